#pragma once

#include <QObject>
#include <QString>

class IHostWebViewFuncs;

// The map page's host object, published to the page as "sample" over the
// web channel. The page's calls that return nothing arrive here; the values
// it reads come from the page's own stand-in of this object, which the host
// keeps filled (res/sample_facade.js). The values the page needs from the
// start (`config`, JSON text) come with the channel: they are data to the
// page, never script. A page loaded again reads them afresh.
class HostWebViewObject : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString config MEMBER config_ NOTIFY configChanged)
 public:
  HostWebViewObject(IHostWebViewFuncs* funcs, const QString& config, QObject* parent = nullptr)
      : QObject(parent), funcs_(funcs), config_(config) {}

  // The values a page loaded from now on starts with.
  void SetConfig(const QString& config) {
    config_ = config;
    emit configChanged();
  }

  Q_INVOKABLE QString TestMethod(const QString& stringParameter, int integerParameter);
  Q_INVOKABLE int JS2C_ConnectTest();
  Q_INVOKABLE QString JS2C_GetMapURL();
  Q_INVOKABLE QString JS2C_GetGPSData();
  Q_INVOKABLE QString JS2C_GetGridData(const QString& ignored);
  Q_INVOKABLE QString JS2C_GetRelJpgNum();
  Q_INVOKABLE void JS2C_OnClickCrashPoint(int ifile, int igrid, int ipos, int valid, double lat,
                                          double lng, double speed, double direction);
  Q_INVOKABLE void JS2C_OnInitHtml();
  Q_INVOKABLE void JS2C_SetSend();
  // A web message from the page (JSON text of one flat object).
  Q_INVOKABLE void WebMessageReceived(const QString& json);

 signals:
  // The host's web message to the page (the `update` message).
  void webMessage(const QString& json);
  void messageReceived(const QString& json);
  void configChanged();

 private:
  IHostWebViewFuncs* funcs_;
  QString config_;
};
