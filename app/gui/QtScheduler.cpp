// SPDX-License-Identifier: MIT
#include "app/gui/QtScheduler.h"

#include <QTimer>
#include <algorithm>
#include <climits>
#include <cmath>

namespace ondrel::gui {
namespace {

class QtRepeatingTimer final : public RepeatingTimer {
public:
    QtRepeatingTimer(int milliseconds, std::function<void()> fire, bool once = false) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setSingleShot(once);
        timer_.setInterval(milliseconds);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, std::move(fire));
        timer_.start();
    }

private:
    QTimer timer_;  // stops when destroyed with this object
};

// QTimer counts whole milliseconds in an int: at least 1, at most about 24 days.
int timerMilliseconds(double seconds) {
    return static_cast<int>(std::clamp(std::round(seconds * 1000.0), 1.0, double(INT_MAX)));
}

}  // namespace

std::unique_ptr<RepeatingTimer> QtScheduler::scheduleRepeating(double intervalSeconds, std::function<void()> fire) {
    return std::make_unique<QtRepeatingTimer>(timerMilliseconds(intervalSeconds), std::move(fire));
}

std::unique_ptr<RepeatingTimer> QtScheduler::scheduleOnce(double delaySeconds, std::function<void()> fire) {
    return std::make_unique<QtRepeatingTimer>(timerMilliseconds(delaySeconds), std::move(fire), true);
}

void QtScheduler::post(std::function<void()> work) {
    QMetaObject::invokeMethod(&context_, std::move(work), Qt::QueuedConnection);
}

}  // namespace ondrel::gui
