#include "tile_server.h"

#include <QBuffer>
#include <QImage>
#include <QTcpSocket>
#include <memory>

namespace {

QByteArray BlankTile() {
  QImage image(256, 256, QImage::Format_RGB32);
  image.fill(QColor(0xF2, 0xEF, 0xE9));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

}  // namespace

QByteArray TileServer::Request::Header(const QByteArray& name) const {
  for (const auto& [key, value] : headers) {
    if (key == name) return value;
  }
  return {};
}

bool TileServer::Start(quint16 port) {
  if (!server_.listen(QHostAddress::LocalHost, port)) return false;
  port_ = server_.serverPort();
  connect(&server_, &QTcpServer::newConnection, this, &TileServer::OnConnection,
          Qt::UniqueConnection);
  return true;
}

void TileServer::Stop() { server_.close(); }

int TileServer::CountOf(const QByteArray& pathStart) const {
  int count = 0;
  for (const Request& r : requests_) count += r.path.startsWith(pathStart) ? 1 : 0;
  return count;
}

void TileServer::OnConnection() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    auto pending = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, pending] {
      *pending += socket->readAll();
      for (qsizetype end = pending->indexOf("\r\n\r\n"); end >= 0;
           end = pending->indexOf("\r\n\r\n")) {
        const QList<QByteArray> lines = pending->left(end).split('\n');
        pending->remove(0, end + 4);
        Request request;
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.path = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
          const qsizetype colon = lines[i].indexOf(':');
          if (colon > 0) {
            request.headers.append(
                {lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed()});
          }
        }
        requests_.append(request);
        static const QByteArray tile = BlankTile();
        const auto page = pages_.constFind(request.path);
        const bool html = page != pages_.constEnd();
        const QByteArray body = html ? *page : tile;
        socket->write(QByteArray("HTTP/1.1 200 OK\r\nContent-Type: ") +
                      (html ? "text/html" : "image/png") +
                      "\r\nCache-Control: max-age=86400\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\n\r\n" + body);
      }
    });
  }
}
