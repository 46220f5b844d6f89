// The engine command line of one conversion, and the numbers that go into it: the frame count,
// the frame step of a picture series, the picture quality and the earlier key frame.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace zantiro {

// One conversion as Encode Now finds it.
struct EncodeJob {
  std::string engine;  // unquoted
  std::string source;  // a file, or a picture folder mask (folder & "*." & kind)
  std::string target;  // a GIF file, or a series mask (folder & "*.jpg" / "*.png")
  std::string kind;    // "gif", "jpg", "png"
  bool series = false;  // the options window's lblFpsStr.Tag is not empty
  float videoFps = 0, videoLength = 0, outFps = 5, scopeStart = 0, scopeEnd = 0;
  int32_t frameCount = 0, outWidth = 0, outHeight = 0;
  std::array<int32_t, 5> cropRect{};
  std::string colorArgs;
  int32_t n = 0;        // frames (GIF) or pictures (series)
  int32_t step = 1;     // frame step of a series
  std::string quality;  // JPG quality or PNG compression level
};

// A picture source: a folder mask, or a GIF file.
bool IsPictureSource(const std::string& source);

// The seconds converted: the source's length, or the marked range.
float Duration(const EncodeJob& job);

// Sets n and step.
void CountFrames(EncodeJob& job);

// The quality answer of a series: JPG 0..100 as is, PNG 0..100 as a compression level 0..9.
// False when the answer is refused (its number outside 0..100).
bool QualityFromAnswer(const std::string& kind, const std::string& answer, std::string& quality);

// Searches back from start, a second at a time for up to 15 seconds, for a key frame before
// start other than t1 (where the engine starts when asked for start). Returns its time, 0 for
// the beginning of the source, -1 when none was found.
float EarlierKeyframe(float start, float t1, const std::function<float(float)>& keyframeTime);

// The command line, and the length of the result in seconds (the runner's duration when the
// run has no range). "" for a source and target that no template covers. Writes the start time
// rounded to hundredths back into job.scopeStart when the range is written.
std::string EncodeCommandLine(EncodeJob& job, float& outLength);

}  // namespace zantiro
