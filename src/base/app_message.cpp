#include "base/app_message.h"

#include <QCoreApplication>

void PostAppMessage(QObject* target, int message, std::intptr_t wParam, std::intptr_t lParam) {
  QCoreApplication::postEvent(target, new AppMessageEvent(message, wParam, lParam));
}
