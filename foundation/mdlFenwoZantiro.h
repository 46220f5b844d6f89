// Small helpers every window uses (time texts, engine-output values, folders, links, window
// transparency and top-most placement), and the values the windows share for the whole run.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "foundation/FileObject.h"

namespace vb {
class Control;
}

namespace mdlFenwoZantiro {

// The text table of the program in its chosen language: 0 to 150 in the conversion program,
// 0 to 45 in the viewer. Filled by the language switch; texts may hold "aaa" to "hhh".
inline std::array<std::string, 151> LngText;
// Fills entries 0 to count - 1 of LngText from the language resource `code` ("en", "gb", "tw"):
// lines of a number, "=" and the text, "\n" standing for a line break. Lines of other numbers
// are passed over. Throws vb::ResourceNotFound when the program has no such table.
void LoadLngText(const std::string& code, std::size_t count = LngText.size());

// The source, as the probe found it (0 when unknown).
inline int32_t VideoWidth = 0;
inline int32_t VideoHeight = 0;
inline float VideoLength = 0;   // seconds
inline float VideoFps = 0;      // 5 for a picture folder
inline int32_t FrameCount = 0;  // pictures of a folder or frames of a GIF; 0 for a video

// The encode settings of the next conversion.
inline int32_t OutWidth = 0;
inline int32_t OutHeight = 0;
inline float OutFps = 5.0f;
inline float OutLength = 0;  // seconds; the runner's duration when it is given none
inline float ScopeStart = 0;
inline float ScopeEnd = 0;  // 0: to the end of the source
// On-flag, x1, y1, x2, y2 in output pixels; no crop when x2 or y2 is 0.
inline std::array<int32_t, 5> CropRect{};
inline std::string EncodeColorArgs;  // colour options of the conversion; "" when unchanged

// The preview.
inline std::string ColorArgs;  // colour options of the preview command line
inline std::string VolumeArg;  // volume option of the preview command line
inline float CurTime = 0;      // playback position in seconds
inline float SecPerTwip = 0;   // seconds per twip of the seek slider

inline bool MainActivated = false;  // the main window has been activated (starts the fade-in)
inline bool ShowConsole = false;    // developer switch: mirror engine runs into the console window

// The program's file helper.
inline FileObject objFile;

// Seconds as a time text; the seconds are first rounded to hundredths, and the rounded value is
// written back. mode 0: total seconds (65.0); 1: [hh:][mm:]s.d (5.0, 01:05.0); 2: [hh:]mm:ss.d;
// 3: hh:mm:ss.d; 4: mm:ss.d with total minutes. units tells how many fields were written.
std::string FormatTime(float& seconds, int16_t mode, int16_t decimals, int16_t& units);
std::string FormatTime(float& seconds, int16_t mode, int16_t decimals);
std::string FormatTime(float&& seconds, int16_t mode, int16_t decimals);

// "hh:mm:ss.d" (or fewer fields) as seconds, plus offset; 0 for a text without ":" and for a
// sum below 0.
float TimeToSeconds(const std::string& text, float offset);

// The text between key and the next endMarker after it (a CR when endMarker is empty); "" when
// either is missing.
std::string GetValueBetween(const std::string& text, const std::string& key, std::string endMarker = "");

// The path ending in "/" ("" stays ""); addColon first appends ":" when it is missing.
std::string AddSlash(const std::string& path, bool addColon = false);

// Makes the folder of path current (a path ending in "/" is itself the folder). When the path
// lies on neither a fixed nor a removable drive and is no picture mask, the fallback folder is
// taken instead (when not empty). Errors leave the current folder as it was.
void ChangeCurDir(std::string path, const std::string& fallback);

// Opens a web address or a "mailto:" address with the desktop's handler.
void OpenURL(const std::string& address);

// Makes a window layered: alpha 0 (invisible) to 255 (opaque) and/or a colour key whose pixels
// are cut out; a negative value leaves that setting alone. A saved extended style that is not
// 0 is put back instead.
void SetWindowTrans(int32_t hWnd, int32_t colorKey, int32_t alpha, int32_t savedExStyle);

// Keeps the window above all others, or lets it go back among them.
void SetTopMost(vb::Control& window, bool onTop);

// Whether the developer marker Quorvane.ico lies in the program folder.
bool IsDevIconPresent();

}  // namespace mdlFenwoZantiro
