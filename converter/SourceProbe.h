// What the engine tells about a source: the engine's path, and the values read out of its
// identify, play and slave-mode output.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace zantiro {

// The engine in the plug-ins folder: FenwoRes1.dll when that file is there, else FenwoRes1.exe.
std::string EnginePath();

// Whether the engine file is there; says so to the user (text 2) when it is not.
bool CheckPluginFile(const std::string& enginePath);

// Runs the engine on a video or GIF source and writes what it learns into the shared source
// values (VideoWidth, VideoHeight, VideoLength, VideoFps, FrameCount); a value it does not find
// keeps what it held. A frame rate of exactly 1000 (what the engine says of ASF and WMV files) is
// asked of the MCI device (opened on mciWindow), then of the engine in slave mode drawing into
// the window that playerWindow gives. Returns "Static Gif" or "Animated Gifs" when a GIF's frames
// were counted, else "".
std::string ProbeEngine(const std::string& engine, const std::string& source, intptr_t mciWindow,
                        const std::function<intptr_t()>& playerWindow);

// The time at which the engine really starts decoding the source when asked to start at t (the
// key frame at or after t); -1 when the engine does not tell (or is missing: text 2).
float GetKeyframeTime(const std::string& source, float t);

// The identify lines. Each value is written only when the output carries a usable one; the
// others keep what the caller left in them.
struct IdentifyValues {
  int32_t& width;
  int32_t& height;
  float& fps;
  float& length;
  std::string& format;
};
void ReadIdentify(const std::string& output, IdentifyValues values);

bool IsGifOutput(const std::string& output);

// The size on a GIF's video line ("VIDEO:  [" BS "RGB]  160x120  8bpp ..."); only numeric parts
// are written.
void ReadGifVideoSize(const std::string& output, int32_t& width, int32_t& height);

// The last status line of a GIF played to its end: its time and frame number. Writes length,
// and when the frame number is there frameCount and (for a length above 0) fps. Returns
// "Static Gif" for one frame, "Animated Gifs" for more, "" when no frame number was read.
std::string ReadGifPlayback(const std::string& output, float& length, int32_t& frameCount, float& fps);

// The time of the video status line that goes with the last audio status line (or the last
// video status line when there is no audio); -1 when there is none or it has no frame counter.
float ReadStartTime(const std::string& output);

// The whole frames per second of a slave "ANS_fps=" answer; 0 when there is none.
float ReadAnsweredFps(const std::string& output);

// Whether a path names something usable: a file of at least one byte, or for a picture
// folder's mask ("*.jpg" as its last part) any matching file.
bool CheckFileUsable(const std::string& path);

}  // namespace zantiro
