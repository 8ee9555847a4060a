#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QTcpServer>

// A tile server on 127.0.0.1 for the map tests: every GET is answered with
// one blank 256 x 256 PNG that may be cached for a day, or with the HTML page
// set for its path, and logged with its headers (names in lower case).
class TileServer : public QObject {
 public:
  struct Request {
    QByteArray path;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray Header(const QByteArray& name) const;
  };

  // Listens on `port` (0: any free port).
  bool Start(quint16 port = 0);
  void SetPage(const QByteArray& path, const QByteArray& html) { pages_[path] = html; }
  void Stop();
  quint16 port() const { return port_; }
  const QList<Request>& requests() const { return requests_; }
  int CountOf(const QByteArray& pathStart) const;

 private:
  void OnConnection();

  QTcpServer server_;
  quint16 port_ = 0;
  QList<Request> requests_;
  QHash<QByteArray, QByteArray> pages_;
};
