// A multimedia device opened under an alias and driven by MCI string commands: a video or
// audio file ("mpegvideo") or an audio CD track ("cdaudio"). Nothing here raises: a failed
// command leaves its code in the last result and getters answer their error value.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace zantiro {

class MCI {
 public:
  std::string filename() const { return fileName_; }
  void filename(const std::string& name) { fileName_ = name; }
  bool isCDa() const { return deviceType_ == "cdaudio"; }
  bool isAudioOnly() const { return audioOnly_; }
  void isAudioOnly(bool on) { audioOnly_ = on; }
  // Turns the audio on; True when that failed (the source has no audio).
  bool isVideoOnly();
  bool isSuccess() const { return success_; }
  void isSuccess(bool on) { success_ = on; }

  void openMCI(const std::string& fileName, intptr_t hWnd = 0, const std::string& aliasName = "");
  // Plays from..to (clamped to the length) when a range is given; the range is remembered
  // unless notRange.
  void playMCI(std::optional<int32_t> from = std::nullopt, std::optional<int32_t> to = std::nullopt,
               bool rangeRepeat = false, bool notRange = false, bool repeat = false);
  // Places the video window: width x height at (left, top), or centred in the player's
  // playerWidth x playerHeight. A failure marks the device audio-only.
  void putMCI(int32_t width, int32_t height, bool centre, int32_t left, int32_t top,
              int32_t playerWidth, int32_t playerHeight);

  void rngCancel();
  bool isRngPlaying() const { return rngStart_ >= 1 || rngEnd_ >= 1; }
  int32_t rngStart() const { return rngStart_; }
  void rngStart(int32_t frame) { rngStart_ = frame; }
  int32_t rngEnd() const { return rngEnd_; }
  void rngEnd(int32_t frame) { rngEnd_ = frame; }
  bool rngRepeat() const { return rngRepeat_; }
  void rngRepeat(bool on) { rngRepeat_ = on; }

  void pauseMCI();
  void resumeMCI();
  void stepMCI(int32_t frames);
  void stopMCI(const std::string& aliasName = "", int32_t position = 0);
  void closeMCI(const std::string& aliasName = "", bool stopCD = false);
  void closeAllMCI();

  std::string getStatus();
  int32_t getStartFrame();
  int32_t getTotalFrames();
  float getTotalSeconds();
  void setCurFrame(int32_t position, bool play = false);
  int32_t getCurFrame();
  float getFramesPerSecond();
  // The device's frame rate (it answers in thousandths); -1 when it cannot tell.
  float getFramesRateMPG();
  void getCurSize(int32_t& width, int32_t& height);
  void getDefaultSize(int32_t& width, int32_t& height);
  int32_t getVolume();
  // Volume 0..1000; the result is the success flag.
  bool setVolume(int32_t volume);
  void setAudioShow(bool on);
  std::string getAudioOnOff();
  void setSpeed(int32_t speed);
  int32_t getSpeed();

 private:
  uint32_t send(const std::string& command);
  uint32_t query(const std::string& command, std::string& answer);
  void setTimeFormat(const std::string& format);
  static std::string makeFromTo(int32_t from, int32_t to);
  static std::string leadingWord(const std::string& answer);
  static bool parseRectSize(const std::string& answer, int32_t& width, int32_t& height);
  std::string lengthQuery() const;

  std::string alias_ = "MyPlayer";
  uint32_t lastResult_ = 0;
  intptr_t container_ = 0;
  std::string fileName_;
  std::string track_;
  std::string deviceType_;
  bool success_ = false;
  bool audioOnly_ = false;
  int32_t rngStart_ = 0;
  int32_t rngEnd_ = 0;
  bool rngRepeat_ = false;
  int32_t startOffset_ = 0;
  int32_t totalFrames_ = 0;
};

}  // namespace zantiro
