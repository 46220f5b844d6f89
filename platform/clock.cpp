#include "platform/clock.h"

#include <ctime>
#include <sys/time.h>

namespace win {
namespace {
std::function<double()>& hook() {
  static std::function<double()> h;
  return h;
}
}  // namespace

double SecondsSinceMidnight() {
  if (hook()) return hook()();
  timeval now{};
  gettimeofday(&now, nullptr);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
         static_cast<double>(now.tv_usec) / 1e6;
}

void SetClockForTests(std::function<double()> secondsSinceMidnight) {
  hook() = std::move(secondsSinceMidnight);
}

}  // namespace win
