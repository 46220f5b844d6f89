#include "platform/clock.h"

#include <chrono>
#include <ctime>
#include <thread>
#include <sys/time.h>

namespace win {
namespace {
std::function<double()>& hook() {
  static std::function<double()> h;
  return h;
}
}  // namespace

void Sleep(std::uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

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
