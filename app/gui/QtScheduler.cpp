#include "app/gui/QtScheduler.h"

#include <QTimer>
#include <algorithm>
#include <climits>
#include <cmath>

namespace ondrel::gui {
namespace {

class QtRepeatingTimer final : public RepeatingTimer {
public:
    QtRepeatingTimer(int milliseconds, std::function<void()> fire) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(milliseconds);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, std::move(fire));
        timer_.start();
    }

private:
    QTimer timer_;  // stops when destroyed with this object
};

}  // namespace

std::unique_ptr<RepeatingTimer> QtScheduler::scheduleRepeating(double intervalSeconds, std::function<void()> fire) {
    // QTimer counts whole milliseconds in an int: at least 1, at most about 24 days.
    const double milliseconds = std::clamp(std::round(intervalSeconds * 1000.0), 1.0, double(INT_MAX));
    return std::make_unique<QtRepeatingTimer>(static_cast<int>(milliseconds), std::move(fire));
}

}  // namespace ondrel::gui
