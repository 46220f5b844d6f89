// MCI string commands. This system has no multimedia devices behind MCI: every command is
// answered with an error, so callers fall back to the engine. Tests put a scripted device in
// its place.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace win {

// Error codes the layer answers with.
inline constexpr uint32_t MCIERR_INVALID_DEVICE_NAME = 263;  // alias not open
inline constexpr uint32_t MCIERR_CANNOT_LOAD_DRIVER = 266;   // "open" of any device type

// Sends one command. The answer (cut to returnLength - 1 bytes) is written into returnString,
// NUL-ended, when returnString is not null and returnLength > 0. Returns 0 on success.
uint32_t mciSendStringA(const std::string& command, char* returnString, uint32_t returnLength,
                        intptr_t hwndCallback);

// Test seam: while a device is set it answers every command (fills answer, returns the code).
using MciDevice = std::function<uint32_t(const std::string& command, std::string& answer)>;
void SetMciDeviceForTests(MciDevice device);  // an empty device restores the error answers

}  // namespace win
