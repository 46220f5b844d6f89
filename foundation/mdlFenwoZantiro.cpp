#include "foundation/mdlFenwoZantiro.h"

#include <cmath>

#include "foundation/mdlGetDriveType.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "platform/shellexec.h"
#include "platform/window.h"
#include "runtime/Control.h"
#include "runtime/app.h"
#include "runtime/events.h"
#include "runtime/numbers.h"
#include "runtime/resources.h"
#include "runtime/strings.h"

namespace mdlFenwoZantiro {
namespace {

// s as a number of two decimals, written with the seconds pattern: rounded to its decimals
// (halves away from zero), the whole part padded to the pattern's width. A pattern of exactly
// "00" takes the whole part as it is, without rounding.
std::string formatSeconds(float s, const std::string& pattern) {
  const double twoDecimals = std::round(static_cast<double>(s) * 100.0) / 100.0;
  if (pattern == "00") return vb::Format(std::floor(twoDecimals), "00");
  return vb::Format(twoDecimals, pattern);
}

}  // namespace

std::string FormatTime(float& seconds, int16_t mode, int16_t decimals, int16_t& units) {
  const float sum = static_cast<float>(static_cast<double>(seconds) + 0.004);
  seconds = vb::Int(sum * 100.0f) / 100.0f;

  std::string pattern = (mode == 0 || mode == 1) && seconds < 10 ? "0" : "00";
  if (decimals >= 1) pattern += "." + std::string(static_cast<size_t>(decimals), '0');

  float h = vb::Int(seconds / 3600.0f);
  float m = vb::Int((seconds - h * 3600.0f) / 60.0f);
  if (mode == 4) {
    h = 0;
    m = vb::Int(seconds / 60.0f);
  }
  const float s = seconds - h * 3600.0f - m * 60.0f;

  std::string text = formatSeconds(s, pattern);
  units = 1;
  if (mode >= 2 || m >= 1 || h >= 1) {
    text = vb::Format(m, "00") + ":" + text;
    units = 2;
  }
  if (mode == 3 || h >= 1) {
    text = vb::Format(h, "00") + ":" + text;
    units = 3;
  }
  if (mode == 0) {
    text = formatSeconds(seconds, pattern);
    units = 1;
  }
  return text;
}

std::string FormatTime(float& seconds, int16_t mode, int16_t decimals) {
  int16_t units = 0;
  return FormatTime(seconds, mode, decimals, units);
}

std::string FormatTime(float&& seconds, int16_t mode, int16_t decimals) {
  float copy = seconds;
  return FormatTime(copy, mode, decimals);
}

float TimeToSeconds(const std::string& text, float offset) {
  if (vb::InStr(text, ":") == 0) return 0;
  const std::vector<std::string> fields = vb::Split(text, ":");
  float sum = 0;
  float unit = 1;
  for (size_t i = fields.size(); i-- > 0;) {
    sum += static_cast<float>(vb::Val(fields[i])) * unit;
    unit *= 60;
  }
  sum += offset;
  return sum < 0 ? 0 : sum;
}

std::string GetValueBetween(const std::string& text, const std::string& key, std::string endMarker) {
  if (endMarker.empty()) endMarker = vb::vbCr;
  const int32_t p = vb::InStr(text, key);
  if (p == 0) return "";
  const int32_t q = vb::InStr(p, text, endMarker);
  const int32_t start = p + vb::Len(key);
  if (q <= p || q < start) return "";
  return vb::Mid(text, start, q - start);
}

std::string AddSlash(const std::string& path, bool addColon) {
  if (path.empty()) return "";
  std::string result = path;
  if (addColon && vb::Right(result, 1) != ":") result += ":";
  if (vb::Right(result, 1) != "/") result += "/";
  return result;
}

void ChangeCurDir(std::string path, const std::string& fallback) {
  if (path.empty()) return;
  const std::string passed = path;
  if (vb::Right(path, 1) != "/") path = AddSlash(objFile.GetParentFolderName(path));
  if (!fallback.empty() && !win::IsFileMask(passed) && !mdlGetDriveType::IsWritableDrive(path))
    path = fallback;
  // There are no drive letters here: making the folder current also makes its drive current.
  win::SetCurrentDirectoryA(path);
  vb::DoEvents();
}

void OpenURL(const std::string& address) {
  // The owner window only places the system's error dialogs, which the desktop shows itself.
  win::ShellExecuteA(0, "open", address, "", "", win::SW_HIDE);
}

void SetWindowTrans(int32_t hWnd, int32_t colorKey, int32_t alpha, int32_t savedExStyle) {
  if (savedExStyle != 0) {
    win::SetWindowLongA(hWnd, win::GWL_EXSTYLE, savedExStyle);
    return;
  }
  win::SetWindowLongA(hWnd, win::GWL_EXSTYLE,
                      win::GetWindowLongA(hWnd, win::GWL_EXSTYLE) | static_cast<int32_t>(win::WS_EX_LAYERED));
  const auto key = static_cast<uint32_t>(colorKey);
  const auto a = static_cast<uint8_t>(alpha);
  if (colorKey < 0 && alpha >= 0) win::SetLayeredWindowAttributes(hWnd, 0, a, win::LWA_ALPHA);
  else if (colorKey >= 0 && alpha < 0) win::SetLayeredWindowAttributes(hWnd, key, 0, win::LWA_COLORKEY);
  else if (colorKey >= 0 && alpha >= 0)
    win::SetLayeredWindowAttributes(hWnd, key, a, win::LWA_COLORKEY | win::LWA_ALPHA);
}

void SetTopMost(vb::Control& window, bool onTop) {
  win::SetWindowPos(window.hWnd(), onTop ? win::HWND_TOPMOST : win::HWND_NOTOPMOST, 0, 0, 0, 0,
                    win::SWP_NOSIZE | win::SWP_NOMOVE);
}

bool IsDevIconPresent() {
  std::string marker = AddSlash(vb::App::Path()) + "Quorvane.ico";
  return objFile.FileExists(marker);
}

void LoadLngText(const std::string& code, std::size_t count) {
  const std::vector<std::uint8_t> bytes = vb::LoadResData(code, "CUSTOM");
  const std::string table(bytes.begin(), bytes.end());
  for (const std::string& line : vb::Split(table, "\r\n")) {
    const int32_t p = vb::InStr(line, "=");
    if (p == 0) continue;
    const std::string key = vb::LCase(vb::Left(line, p - 1));
    if (!vb::IsNumeric(key)) continue;
    const double n = vb::Val(key);
    // The table has no slot for other numbers.
    if (n < 0 || n >= static_cast<double>(count) || n != static_cast<int>(n)) continue;
    LngText[static_cast<std::size_t>(n)] = vb::Replace(vb::Mid(line, p + 1), "\\n", "\r\n");
  }
}

}  // namespace mdlFenwoZantiro
