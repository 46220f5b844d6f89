#include "converter/SourceProbe.h"

#include "converter/MCI.h"
#include "foundation/mdlConsole.h"
#include "foundation/mdlFenwoZantiro.h"
#include "foundation/mdlGetCmdOutput.h"
#include "platform/clock.h"
#include "platform/cmdline.h"
#include "platform/fs.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/numbers.h"
#include "runtime/strings.h"

namespace zantiro {

using namespace mdlFenwoZantiro;

namespace {

// The GIF video line: "VIDEO:  [", a backspace, "RGB]".
const std::string kGifVideoKey = "VIDEO:  [\bRGB]";

// A status line's time after the "V:" at position v: up to the first "." after it plus one
// character, trimmed. dot receives the position of that "." (0 when there is none).
std::string StatusTime(const std::string& output, int32_t v, int32_t& dot) {
  dot = vb::InStr(v + 2, output, ".");
  if (dot == 0) return "";
  return vb::Trim(vb::Mid(output, v + 2, dot + 1 - (v + 2) + 1));
}

}  // namespace

std::string EnginePath() {
  std::string engine = AddSlash(vb::App::Path()) + "plugins/" + "FenwoRes";
  std::string dll = engine + "1.dll";
  return objFile.FileExists(dll) ? dll : engine + "1.exe";
}

bool CheckPluginFile(const std::string& enginePath) {
  std::string path = enginePath;
  if (!objFile.FileExists(path)) {
    vb::MsgBox(LngText[2], vb::vbOKOnly);
    return false;
  }
  return true;
}

void ReadIdentify(const std::string& output, IdentifyValues values) {
  std::string s = GetValueBetween(output, "ID_VIDEO_WIDTH=");
  if (!s.empty() && vb::Val(s) > 0) values.width = vb::CLng(vb::Val(s));
  s = GetValueBetween(output, "ID_VIDEO_HEIGHT=");
  if (!s.empty() && vb::Val(s) > 0) values.height = vb::CLng(vb::Val(s));
  s = GetValueBetween(output, "ID_VIDEO_FPS=");
  if (!s.empty() && vb::Val(s) > 0) values.fps = static_cast<float>(vb::Val(s));
  s = GetValueBetween(output, "ID_LENGTH=");
  if (!s.empty() && vb::Val(s) > 0) values.length = static_cast<float>(vb::Val(s));
  s = GetValueBetween(output, "ID_VIDEO_FORMAT=");
  if (!s.empty()) values.format = s;
}

bool IsGifOutput(const std::string& output) { return vb::InStr(output, "GIF file format detected") > 0; }

void ReadGifVideoSize(const std::string& output, int32_t& width, int32_t& height) {
  const std::string s = GetValueBetween(output, kGifVideoKey);
  if (s.empty()) return;
  const int32_t x = vb::InStr(s, "x");
  const int32_t b = vb::InStr(x + 1, s, " ");
  const std::string size = vb::Trim(b > 0 ? vb::Left(s, b) : s);
  const std::vector<std::string> parts = vb::Split(size, "x");
  if (parts.size() != 2) return;
  if (vb::IsNumeric(parts[0])) width = vb::CLng(vb::Val(parts[0]));
  if (vb::IsNumeric(parts[1])) height = vb::CLng(vb::Val(parts[1]));
}

std::string ReadGifPlayback(const std::string& output, float& length, int32_t& frameCount, float& fps) {
  const int32_t v = vb::InStrRev(output, "V:");
  if (v == 0) return "";
  int32_t dot = 0;
  const std::string time = StatusTime(output, v, dot);
  if (dot == 0 || !vb::IsNumeric(time)) return "";
  const int32_t slash = vb::InStr(dot, output, "/");
  if (slash == 0) return "";
  length = static_cast<float>(vb::Val(time));

  const std::string status = vb::Trim(vb::Mid(output, v + 2, slash - (v + 2)));
  const int32_t blank = vb::InStr(status, " ");
  if (blank == 0) return "";  // no frame number apart from the time
  const std::string frame = vb::Trim(vb::Mid(status, blank + 1));
  if (!vb::IsNumeric(frame)) return "";
  frameCount = vb::CLng(vb::Val(frame));
  if (length > 0) fps = vb::Round(static_cast<float>(frameCount) / length, 2);
  if (frameCount < 1) return "";
  return frameCount == 1 ? "Static Gif" : "Animated Gifs";
}

float ReadStartTime(const std::string& output) {
  const int32_t a = vb::InStrRev(output, "A:");
  const int32_t v = a > 0 ? vb::InStr(a, output, "V:") : vb::InStrRev(output, "V:");
  if (v == 0) return -1;
  int32_t dot = 0;
  const std::string time = StatusTime(output, v, dot);
  if (dot == 0 || !vb::IsNumeric(time) || vb::InStr(dot, output, "/") == 0) return -1;
  return static_cast<float>(vb::Val(time));
}

float ReadAnsweredFps(const std::string& output) {
  return vb::Int(static_cast<float>(vb::Val(GetValueBetween(output, "ANS_fps="))));
}

std::string ProbeEngine(const std::string& engine, const std::string& source, intptr_t mciWindow,
                        const std::function<intptr_t()>& playerWindow) {
  std::string line = engine + " -identify -ao null -vo null -frames 0 " + win::QuoteArg(source);
  const std::string output = mdlGetCmdOutput::GetCmdOutput(line, false);
  std::string format;
  ReadIdentify(output, {VideoWidth, VideoHeight, VideoFps, VideoLength, format});

  // The engine gives a GIF's size on its identify lines but no length: the frames are counted
  // by playing them as fast as the engine can.
  std::string result;
  if (IsGifOutput(output)) {
    if (VideoWidth == 0 || VideoHeight == 0) ReadGifVideoSize(output, VideoWidth, VideoHeight);
    line = engine + " -ao null -vo null -fps 10000 " + win::QuoteArg(source);
    result = ReadGifPlayback(mdlGetCmdOutput::GetCmdOutput(line, false), VideoLength, FrameCount, VideoFps);
  }

  if (VideoFps == 1000.0f) {
    if (format != "MP42") {
      MCI mci;
      mci.openMCI(source, mciWindow, "forGetFps");
      VideoFps = mci.getFramesRateMPG();
      mci.closeMCI("forGetFps");
    }
    if (VideoFps <= 0 || format == "MP42") {
      mdlConsole::RunHidden(engine + " -vo directx -priority abovenormal -slave -ao null -identify -frames 1"
                                     " -colorkey 0x010203 -wid " + vb::CStr(static_cast<int64_t>(playerWindow())) +
                                " " + win::QuoteArg(source),
                            false);
      mdlConsole::SendCommand("get_property fps");
      // The answer is read from all the output so far (a line may come in two reads), every
      // half second while the engine still runs: it ends by itself after its one frame, and on a
      // busy machine its window output alone may take seconds to start. It gives up after 30.
      std::string answer, chunk;
      VideoFps = 0;
      for (int wait = 0; wait < 60 && VideoFps <= 0; ++wait) {
        win::Sleep(500);
        const bool running = mdlConsole::IsRunning();
        if (mdlConsole::ReadOutput(chunk) == 0) answer += chunk;
        VideoFps = ReadAnsweredFps(answer);
        if (!running && wait >= 1) break;
      }
      mdlConsole::KillEngine();
      if (VideoFps >= 29) VideoFps = 29.97f;
    }
    if (VideoFps <= 0) VideoFps = 29.97f;
  }
  return result;
}

float GetKeyframeTime(const std::string& source, float t) {
  const std::string engine = EnginePath();
  if (!CheckPluginFile(engine)) return -1;
  std::string line = engine + " -ao null -vo null -frames 1 " + win::QuoteArg(source) + " -ss " + vb::CStr(t);
  return ReadStartTime(mdlGetCmdOutput::GetCmdOutput(line, false));
}

bool CheckFileUsable(const std::string& path) {
  std::string p = path;
  if (win::IsFileMask(p)) return objFile.FileExists(p);
  return win::FileLen(p) >= 1;
}

}  // namespace zantiro
