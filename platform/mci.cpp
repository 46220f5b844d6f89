#include "platform/mci.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace win {
namespace {

MciDevice& device() {
  static MciDevice d;
  return d;
}

// No driver is installed: an open cannot load one, and no alias is ever open.
uint32_t noDevice(const std::string& command, std::string& answer) {
  answer.clear();
  const bool open = command.size() >= 4 && (command[0] | 0x20) == 'o' &&
                    (command[1] | 0x20) == 'p' && (command[2] | 0x20) == 'e' &&
                    (command[3] | 0x20) == 'n' && (command.size() == 4 || command[4] == ' ');
  return open ? MCIERR_CANNOT_LOAD_DRIVER : MCIERR_INVALID_DEVICE_NAME;
}

}  // namespace

uint32_t mciSendStringA(const std::string& command, char* returnString, uint32_t returnLength,
                        intptr_t /*hwndCallback*/) {
  std::string answer;
  const uint32_t code = device() ? device()(command, answer) : noDevice(command, answer);
  if (returnString && returnLength > 0) {
    const size_t n = std::min<size_t>(answer.size(), returnLength - 1);
    std::memcpy(returnString, answer.data(), n);
    returnString[n] = '\0';
  }
  return code;
}

void SetMciDeviceForTests(MciDevice d) { device() = std::move(d); }

}  // namespace win
