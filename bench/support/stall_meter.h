#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <functional>

// The longest lateness of a 10 ms timer on the UI thread, over the intervals
// that begin and end while `counted` holds: how long a click would have
// waited for the window.
class StallMeter {
 public:
  static constexpr int kPeriodMs = 10;

  StallMeter();
  // Runs the event loop while `running` holds, and for at least `ms`; the
  // worst lateness in ms.
  double Measure(const std::function<bool()>& running, const std::function<bool()>& counted,
                 int ms);

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  std::function<bool()> counted_;
  bool wasCounted_ = false;
  qint64 last_ = 0;
  qint64 worst_ = 0;
};
