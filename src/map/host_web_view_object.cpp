#include "map/host_web_view_object.h"

#include "map/host_web_view_funcs.h"

QString HostWebViewObject::TestMethod(const QString& stringParameter, int integerParameter) {
  return QStringLiteral("TestMethod(") + stringParameter + QStringLiteral(", ") +
         QString::number(integerParameter) + QStringLiteral(") called.\n");
}

int HostWebViewObject::JS2C_ConnectTest() { return funcs_->ConnectTest(); }

QString HostWebViewObject::JS2C_GetMapURL() { return QString::fromStdString(funcs_->GetMapURL()); }

QString HostWebViewObject::JS2C_GetGPSData() {
  return QString::fromStdString(funcs_->GetGPSData());
}

QString HostWebViewObject::JS2C_GetGridData(const QString&) {
  return QString::fromStdString(funcs_->GetGridData());
}

QString HostWebViewObject::JS2C_GetRelJpgNum() {
  return QString::fromStdString(funcs_->GetRelJpgNum());
}

void HostWebViewObject::JS2C_OnClickCrashPoint(int ifile, int igrid, int ipos, int valid,
                                               double lat, double lng, double speed,
                                               double direction) {
  funcs_->OnClickCrashPoint(ifile, igrid, ipos, valid, lat, lng, speed, direction);
}

void HostWebViewObject::JS2C_OnInitHtml() { funcs_->OnInitHtml(); }

void HostWebViewObject::JS2C_SetSend() { funcs_->SetSend(); }

void HostWebViewObject::WebMessageReceived(const QString& json) { emit messageReceived(json); }
