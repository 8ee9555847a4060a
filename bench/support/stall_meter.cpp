#include "stall_meter.h"

#include <QCoreApplication>
#include <algorithm>

StallMeter::StallMeter() {
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    const qint64 now = clock_.nsecsElapsed();
    const bool counted = counted_();
    if (counted && wasCounted_) {
      worst_ = std::max(worst_, now - last_ - qint64{kPeriodMs} * 1000000);
    }
    wasCounted_ = counted;
    last_ = now;
  });
}

double StallMeter::Measure(const std::function<bool()>& running,
                           const std::function<bool()>& counted, int ms) {
  counted_ = counted;
  worst_ = 0;
  wasCounted_ = false;
  clock_.start();
  timer_.start(kPeriodMs);
  while (running() || clock_.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  timer_.stop();
  return static_cast<double>(worst_) / 1e6;
}
