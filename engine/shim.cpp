// The engine as the programs see it: installed as plugins/FenwoRes1.exe, it turns the engine
// options that exist only on Windows into their Linux counterparts and then becomes the real
// engine (FENWO_ENGINE, else mplayer on the PATH) in this same process, keeping argv[0], so the
// engine process still shows the plug-ins path.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A video output list whose first driver is the Windows overlay output.
bool isWindowsVideoOut(const std::string& value) {
  const std::string first = value.substr(0, value.find_first_of(":,"));
  return first == "directx";
}

// An output that draws into the window given by -wid: the overlay where the X server has one,
// plain X11 drawing where it has not (as on Xvfb), then whatever else the engine has.
constexpr const char* kLinuxVideoOut = "xv,x11,";

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args{argv[0]};
  std::string videoOut = kLinuxVideoOut;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "-priority") {  // process priority on Windows; the engine here has no such option
      ++i;
      continue;
    }
    if (a.rfind("-priority=", 0) == 0) continue;
    args.push_back(argv[i]);
    if (a == "-vo" && i + 1 < argc && isWindowsVideoOut(argv[i + 1])) {
      args.push_back(videoOut.data());
      ++i;
    }
  }
  args.push_back(nullptr);

  const char* engine = std::getenv("FENWO_ENGINE");
  if (!engine || !*engine) engine = "mplayer";
  execvp(engine, args.data());
  std::fprintf(stderr, "FATAL: Cannot start the engine %s: %s\n", engine, std::strerror(errno));
  return 127;
}
