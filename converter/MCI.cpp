#include "converter/MCI.h"

#include <algorithm>

#include "platform/mci.h"
#include "runtime/msgbox.h"
#include "runtime/numbers.h"
#include "runtime/strings.h"

namespace zantiro {
namespace {

std::string num(int64_t n) { return vb::CStr(n); }
std::string num(int32_t n) { return vb::CStr(n); }

}  // namespace

uint32_t MCI::send(const std::string& command) {
  lastResult_ = win::mciSendStringA(command, nullptr, 0, 0);
  return lastResult_;
}

uint32_t MCI::query(const std::string& command, std::string& answer) {
  char buffer[128] = {};
  lastResult_ = win::mciSendStringA(command, buffer, sizeof buffer, 0);
  answer = buffer;  // up to the first NUL
  return lastResult_;
}

void MCI::setTimeFormat(const std::string& format) { send("set " + alias_ + " time format " + format); }

std::string MCI::makeFromTo(int32_t from, int32_t to) { return " from " + num(from) + " to " + num(to); }

std::string MCI::leadingWord(const std::string& answer) {
  const auto end = std::find_if(answer.begin(), answer.end(), [](char c) {
    return !((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'));
  });
  return std::string(answer.begin(), end);
}

bool MCI::parseRectSize(const std::string& answer, int32_t& width, int32_t& height) {
  const auto parts = vb::Split(answer, " ");
  if (parts.size() < 4) return false;
  width = vb::CLng(vb::Val(parts[2]));
  height = vb::CLng(vb::Val(parts[3]));
  return true;
}

std::string MCI::lengthQuery() const {
  return "status " + alias_ + " length" + (isCDa() ? " track " + track_ : "");
}

bool MCI::isVideoOnly() {
  setAudioShow(true);
  return lastResult_ != 0;
}

void MCI::openMCI(const std::string& fileName, intptr_t hWnd, const std::string& aliasName) {
  const bool wasCD = isCDa();
  fileName_ = fileName;
  rngCancel();
  totalFrames_ = 0;

  if (hWnd != 0) container_ = hWnd;
  if (container_ == 0) vb::MsgBox("務必指定 hWnd 參數", vb::vbOKOnly);
  if (!aliasName.empty()) alias_ = aliasName;
  if (alias_.empty()) vb::MsgBox("務必指定 aliasName 參數", vb::vbOKOnly);

  deviceType_ = "mpegvideo";
  const std::string lower = vb::LCase(fileName);
  if (vb::Like(lower, "*track##.cda")) {
    track_ = num(vb::CLng(vb::Val(vb::Mid(lower, vb::Len(lower) - 5, 2))));
    deviceType_ = "cdaudio";
  }

  if (!(wasCD && isCDa())) {
    send("stop " + alias_);
    send("close " + alias_);
  }

  uint32_t opened;
  if (isCDa()) {
    // The device of a CD track is the drive (the file system) that holds it.
    opened = send("open " + vb::Left(fileName, 1) + " type cdaudio alias " + alias_ + " wait shareable");
    setTimeFormat("ms");
    if (opened == 0) audioOnly_ = true;
  } else {
    opened = send("open \"" + fileName + "\" type " + deviceType_ + " alias " + alias_ + " parent " +
                  num(static_cast<int64_t>(container_)) + " style child");
    setTimeFormat("frames");
  }
  startOffset_ = getStartFrame();
  success_ = opened == 0;
}

void MCI::playMCI(std::optional<int32_t> from, std::optional<int32_t> to, bool rangeRepeat,
                  bool notRange, bool repeat) {
  std::string command = "play " + alias_;
  if (from || to) {
    const int32_t total = getTotalFrames();
    int32_t first = std::max(from.value_or(0), 0);
    int32_t last = to.value_or(total);
    if (total > 0) {
      first = std::min(first, total);
      if (last <= 0 || last > total) last = total;
    }
    last = std::max(last, first);
    if (!notRange) {
      rngStart_ = first;
      rngEnd_ = last;
      rngRepeat_ = rangeRepeat;
    }
    command += makeFromTo(first, last);
  }
  if (repeat) command += " repeat";
  send(command);
}

void MCI::putMCI(int32_t width, int32_t height, bool centre, int32_t left, int32_t top,
                 int32_t playerWidth, int32_t playerHeight) {
  if (isCDa()) return;
  const int32_t x = centre ? left + (playerWidth - width) / 2 : left;
  const int32_t y = centre ? top + (playerHeight - height) / 2 : top;
  if (send("put " + alias_ + " window at " + num(x) + " " + num(y) + " " + num(width) + " " +
           num(height)) != 0)
    audioOnly_ = true;
}

void MCI::rngCancel() {
  rngStart_ = 0;
  rngEnd_ = 0;
  rngRepeat_ = false;
}

void MCI::pauseMCI() { send("pause " + alias_); }
void MCI::resumeMCI() { send("resume " + alias_); }
void MCI::stepMCI(int32_t frames) { send("step " + alias_ + " by " + num(frames)); }

void MCI::stopMCI(const std::string& aliasName, int32_t position) {
  if (rngRepeat_) {
    playMCI(rngStart_, rngEnd_, true);
    return;
  }
  const std::string a = aliasName.empty() ? alias_ : aliasName;
  if (isCDa() && position == 0) {
    send("pause " + a);
    return;
  }
  const int32_t target = position != 0 ? startOffset_ + position : rngStart_;
  send("seek " + a + " to " + num(target));
}

void MCI::closeMCI(const std::string& aliasName, bool /*stopCD*/) {
  const std::string a = aliasName.empty() ? alias_ : aliasName;
  rngCancel();
  send("stop " + a);
  success_ = send("close " + a) == 0;
}

void MCI::closeAllMCI() {
  if (isCDa()) send("stop " + alias_);
  send("Close All");
}

std::string MCI::getStatus() {
  std::string answer;
  return query("status " + alias_ + " mode", answer) == 0 ? leadingWord(answer) : "error";
}

int32_t MCI::getStartFrame() {
  if (!isCDa()) return 0;
  setTimeFormat("ms");
  std::string answer;
  if (query("status " + alias_ + " position track " + track_, answer) != 0) return 0;
  return vb::CLng(vb::Val(answer));
}

int32_t MCI::getTotalFrames() {
  if (totalFrames_ > 0) return totalFrames_;
  std::string answer;
  if (query(lengthQuery(), answer) == 0) totalFrames_ = vb::CLng(vb::Val(answer));
  return totalFrames_;
}

float MCI::getTotalSeconds() {
  setTimeFormat("ms");
  std::string answer;
  const float seconds = query(lengthQuery(), answer) == 0 ? static_cast<float>(vb::Val(answer) / 1000) : 0;
  setTimeFormat("frames");
  return seconds;
}

void MCI::setCurFrame(int32_t position, bool play) {
  const int32_t total = getTotalFrames();
  position = std::clamp(position, 0, std::max(total, 0));
  const std::string playPart = "play " + alias_ + makeFromTo(position, total);
  if (play) {
    send(playPart);
  } else {
    // Playing from a paused device shows the frame at once; pause it again there.
    send("pause " + alias_);
    send(playPart);
    send("pause " + alias_);
  }
}

int32_t MCI::getCurFrame() {
  std::string answer;
  if (query("status " + alias_ + " position", answer) != 0) return 0;
  return vb::CLng(vb::Val(answer)) - startOffset_;
}

float MCI::getFramesPerSecond() {
  if (isCDa()) return 1000.0f;
  const int32_t frames = getTotalFrames();
  const float seconds = getTotalSeconds();
  if (seconds <= 0) return -1;
  return static_cast<float>(frames) / seconds;
}

float MCI::getFramesRateMPG() {
  std::string answer;
  if (query("status " + alias_ + " frame rate", answer) != 0) return -1;
  return static_cast<float>(vb::Val(answer) / 1000);
}

void MCI::getCurSize(int32_t& width, int32_t& height) {
  std::string answer;
  if (query("where " + alias_ + " destination max", answer) == 0) parseRectSize(answer, width, height);
}

void MCI::getDefaultSize(int32_t& width, int32_t& height) {
  std::string answer;
  if (query("where " + alias_ + " source", answer) == 0) parseRectSize(answer, width, height);
}

int32_t MCI::getVolume() {
  std::string answer;
  return query("status " + alias_ + " volume", answer) == 0 ? vb::CLng(vb::Val(answer)) : -1;
}

bool MCI::setVolume(int32_t volume) {
  volume = std::clamp(volume, 0, 1000);
  success_ = send("setaudio " + alias_ + " volume to " + num(volume)) == 0;
  return success_;
}

void MCI::setAudioShow(bool on) { send("set " + alias_ + " audio all " + (on ? "on" : "off")); }

std::string MCI::getAudioOnOff() {
  std::string answer;
  return query("status " + alias_ + " audio", answer) == 0 ? leadingWord(answer) : "error";
}

void MCI::setSpeed(int32_t speed) { send("set " + alias_ + " speed " + num(speed)); }

int32_t MCI::getSpeed() {
  std::string answer;
  return query("status " + alias_ + " speed", answer) == 0 ? vb::CLng(vb::Val(answer)) : -1;
}

}  // namespace zantiro
