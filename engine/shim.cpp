// The engine as the programs see it: installed as plugins/FenwoRes1.exe, it turns the engine
// options that exist only on Windows into their Linux counterparts and then becomes the real
// engine (FENWO_ENGINE, else mplayer on the PATH) in this same process, keeping argv[0], so the
// engine process still shows the plug-ins path.
#include <X11/Xlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/gifspeed.h"
#include "engine/mfmask.h"
#include "engine/outpath.h"
#include "engine/rotation.h"

namespace {

// A video output list whose first driver is the Windows overlay output.
bool isWindowsVideoOut(const std::string& value) {
  const std::string first = value.substr(0, value.find_first_of(":,"));
  return first == "directx";
}

// An output that draws into the window given by -wid: the overlay where the X server has one,
// plain X11 drawing where it has not (as on Xvfb), then whatever else the engine has.
constexpr const char* kLinuxVideoOut = "xv,x11,";
// A preview's output where the display has OpenGL: it scales, and its own colour controls
// apply when the picture is drawn, so a paused picture can be redrawn in new colours without
// moving on a frame (the engine's software filters only colour the next frame).
constexpr const char* kPreviewVideoOut = "gl,xv,x11,";

bool displayHasGl() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  int opcode = 0, event = 0, error = 0;
  const bool gl = XQueryExtension(display, "GLX", &opcode, &event, &error);
  XCloseDisplay(display);
  return gl;
}

bool hasWord(const std::vector<std::string>& words, const char* word) {
  for (const std::string& w : words)
    if (w == word) return true;
  return false;
}

// A preview that draws into a window (slave mode with -wid) gets what the Windows overlay gave
// it without asking: the video scaled to the window, and colour commands that change the
// picture: OpenGL does both; without it, x11 scales only with -zoom and has no colour controls,
// and hue is missing from most outputs, so the software equaliser and hue filters take them.
// Volume steps change the engine's own sound whatever the output, never the system's mixer (as
// an ALSA output's volume would). The window is the program's: its clicks and keys (the crop
// rectangle, typing in a field with the pointer over the video) are none of the engine's
// business, as on Windows, where it never saw them.
void addPreviewOptions(std::vector<std::string>& words) {
  if (!hasWord(words, "-slave") || !hasWord(words, "-wid")) return;
  bool gl = false;
  for (std::size_t i = 0; i + 1 < words.size(); ++i)
    if (words[i] == "-vo" && words[i + 1] == kLinuxVideoOut && displayHasGl()) {
      words[i + 1] = kPreviewVideoOut;
      gl = true;
    }
  if (!gl) {
    for (const char* w : {"-zoom", "-vf-add", "eq2,hue"}) words.emplace_back(w);
  }
  for (const char* w : {"-softvol", "-softvol-max", "100", "-nomouseinput", "-input", "nodefault-bindings:conf=/dev/null"})
    words.emplace_back(w);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "-priority") {  // process priority on Windows; the engine here has no such option
      ++i;
      continue;
    }
    if (a.rfind("-priority=", 0) == 0) continue;
    if (a == "-vo" && i + 1 < argc && isWindowsVideoOut(argv[i + 1])) {
      words.push_back(a);
      words.push_back(kLinuxVideoOut);
      ++i;
      continue;
    }
    AddPictureMask(words, a);
  }
  addPreviewOptions(words);
  addGifSpeed(words);
  shim::MendOutputPaths(words);
  shim::TurnUpright(words);
  std::vector<char*> args{argv[0]};
  for (std::string& w : words) args.push_back(w.data());
  args.push_back(nullptr);

  const char* engine = std::getenv("FENWO_ENGINE");
  if (!engine || !*engine) engine = "mplayer";
  execvp(engine, args.data());
  std::fprintf(stderr, "FATAL: Cannot start the engine %s: %s\n", engine, std::strerror(errno));
  return 127;
}
