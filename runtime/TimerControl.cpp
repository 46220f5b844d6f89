#include <QTimer>

#include "runtime/controls.h"
#include "runtime/propbag.h"

namespace vb {

struct TimerControl::Impl {
  QTimer timer;
};

TimerControl::TimerControl() : Control(nullptr), impl_(std::make_unique<Impl>()) {
  QObject::connect(&impl_->timer, &QTimer::timeout, [this] {
    if (Timer) Timer();
  });
}

TimerControl::~TimerControl() = default;

// Setting Interval or turning the timer on starts the count again.
void TimerControl::restart() {
  if (on_ && interval_ > 0) impl_->timer.start(interval_);
  else impl_->timer.stop();
}

void TimerControl::Interval(int ms) {
  interval_ = std::max(0, ms);
  restart();
}

void TimerControl::Enabled(bool e) {
  if (e == on_) return;
  on_ = e;
  restart();
}

void TimerControl::ResetDesign(const PropertyBag& bag) {
  Tag("");
  interval_ = 0;
  on_ = true;
  ReadDesign(bag);
}

void TimerControl::ReadDesign(const PropertyBag& bag) {
  Tag(bag.ReadProperty("Tag", Tag()));
  interval_ = bag.ReadProperty("Interval", interval_);
  on_ = bag.ReadProperty("Enabled", on_);
  restart();
}

}  // namespace vb
