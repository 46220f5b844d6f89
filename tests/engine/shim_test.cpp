// labels: engine
// The engine shim in the program folder, run as the programs run it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>

#include "platform/cmdline.h"
#include "platform/process.h"
#include "support/paths.h"

namespace {

using namespace win;

struct Result {
  DWORD code = 0;
  std::string output;
};

// Runs a command line to its end with the given environment ("" for this process's own).
Result run(const std::string& line, const std::string& env = "", const char* folder = nullptr) {
  Result r;
  HANDLE rd = 0, wr = 0;
  EXPECT_TRUE(CreatePipe(&rd, &wr, nullptr, 2048));
  STARTUPINFOA si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = wr;
  PROCESS_INFORMATION pi;
  const bool started = CreateProcessA(nullptr, line, nullptr, nullptr, 1, 0, env.empty() ? nullptr : env.c_str(),
                                      folder, &si, &pi);
  CloseHandle(wr);
  EXPECT_TRUE(started) << line;
  if (!started) {
    CloseHandle(rd);
    return r;
  }
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(rd, buf, sizeof buf, &n, nullptr)) r.output.append(buf, n);
  while (GetExitCodeProcess(pi.hProcess, &r.code) && r.code == STILL_ACTIVE) WaitForPipeOrExit(0, pi.hProcess, 100);
  for (HANDLE h : {pi.hProcess, pi.hThread, rd}) CloseHandle(h);
  return r;
}

std::string block(std::initializer_list<std::string> vars) {
  std::string b;
  for (const auto& v : vars) b += v + '\0';
  return b + '\0';
}

class Shim : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_ = testsupport::writeFile(dir_.file("fake-engine"),
                                   "#!/bin/sh\nfor a in \"$@\"; do case \"$a\" in mf://@*) printf '[mf://@list:'; "
                                   "tr '\\n' '|' < \"${a#mf://@}\"; printf ']';; *) printf '[%s]' \"$a\";; esac; done\n");
    ::chmod(fake_.c_str(), 0755);
  }
  std::string viaFake(const std::string& options) {
    return run(testsupport::enginePath() + " " + options, block({"FENWO_ENGINE=" + fake_})).output;
  }
  testsupport::TempDir dir_{"shim"};
  std::string fake_;
};

TEST_F(Shim, MapsTheWindowsOnlyOptionsAndPassesTheRest) {
  struct Case {
    std::string options, args;
  };
  const Case cases[] = {
      // The preview and the frame-rate question.
      {"\"/m/a b.avi\" -vo directx -priority abovenormal -subcp cp936 -slave -wid 77 -ss 00:00:01.0",
       "[/m/a b.avi][-vo][xv,x11,][-subcp][cp936][-slave][-wid][77][-ss][00:00:01.0][-zoom][-vf-add][eq2,hue][-softvol][-softvol-max][100]"
       "[-nomouseinput][-input][nodefault-bindings:conf=/dev/null]"},
      {"-slave -identify -frames 1", "[-slave][-identify][-frames][1]"},
      {"-vo directx:noaccel -x", "[-vo][xv,x11,][-x]"},
      {"-priority=high -x -priority", "[-x]"},
      // GIF output runs go at full speed; a slave run with that output, series and probes do not.
      {"-nosound -vo gif89a:fps=5:output=\"/o/x.gif\" \"/i/directx\" -fps 25",
       "[-nosound][-vo][gif89a:fps=5:output=/o/x.gif][/i/directx][-fps][25][-benchmark]"},
      {"-vo gif89a -benchmark x", "[-vo][gif89a][-benchmark][x]"},
      {"-vo gif89a:output=a.gif -vo null x", "[-vo][gif89a:output=a.gif][-vo][null][x]"},
      {"-slave -vo gif89a x", "[-slave][-vo][gif89a][x]"},
      {"-vo gif89ax x", "[-vo][gif89ax][x]"},
      // Series and probes pass unchanged.
      {"-identify -ao null -vo null -frames 0 \"/i/%&;$*ü.avi\"", "[-identify][-ao][null][-vo][null][-frames][0][/i/%&;$*ü.avi]"},
      {"-vo jpeg:quality=75:outdir=\"/o d\" -vf-add framestep=5 -vo",
       "[-vo][jpeg:quality=75:outdir=/o d][-vf-add][framestep=5][-vo]"},
  };
  for (const auto& c : cases) EXPECT_EQ(viaFake(c.options), c.args) << c.options;
}

TEST_F(Shim, APreviewOnADisplayWithOpenGlUsesItsColourControls) {
  const char* display = std::getenv("DISPLAY");
  if (!display) GTEST_SKIP() << "no display";
  const char* authority = std::getenv("XAUTHORITY");
  const std::string args =
      run(testsupport::enginePath() + " x.avi -vo directx -slave -wid 77",
          block({"FENWO_ENGINE=" + fake_, std::string("DISPLAY=") + display,
                 std::string("XAUTHORITY=") + (authority ? authority : "")}))
          .output;
  EXPECT_EQ(args, "[x.avi][-vo][gl,xv,x11,][-slave][-wid][77][-softvol][-softvol-max][100][-nomouseinput][-input]"
                  "[nodefault-bindings:conf=/dev/null]");
}

// T7 of the conversions names "*.gif" for the pictures of the current folder, T6 "mf://" and
// the folder's mask: both match as the programs' masks do (without regard to case, no hidden
// files), whatever the folder's name holds; a name the user chose stays as it is.
TEST_F(Shim, ExpandsThePictureMasksAsTheProgramsMatchThem) {
  for (const char* n : {"g2.gif", "G1.GIF", "g3.Gif", ".g0.gif", "x.png", "a*b.gif", "y.PNG", "-g4.gif"})
    testsupport::writeFile(dir_.file(n), "");
  ::mkdir(dir_.file("sub.gif").c_str(), 0755);
  const std::string mf = "mf://" + dir_.path() + "/*.png";
  const Result r = run(testsupport::enginePath() + " -fixed-vo *.gif *.bmp a*b.gif ?.png \"" + mf + "\" \"mf://" +
                           dir_.path() + "/*.bmp\"",
                       block({"FENWO_ENGINE=" + fake_}), dir_.path().c_str());
  EXPECT_EQ(r.output, "[-fixed-vo][./-g4.gif][G1.GIF][a*b.gif][g2.gif][g3.Gif][*.bmp][a*b.gif][?.png][mf://@list:" +
                          dir_.path() + "/x.png|" + dir_.path() + "/y.PNG|][mf://" + dir_.path() + "/*.bmp]");
}

// A picture folder whose name means something in the engine's own mask syntax.
TEST_F(Shim, ListsThePicturesOfAFolderWithAnyName) {
  for (const std::string name : {"a,b", "%d [1]", "x\\", "q?*", "\"' ;&$  -z", "\xE5\x9B\xBE"}) {
    const std::string folder = dir_.file(name);
    ::mkdir(folder.c_str(), 0755);
    testsupport::writeFile(folder + "/P2.JPG", "");
    testsupport::writeFile(folder + "/p1.jpg", "");
    EXPECT_EQ(viaFake(win::QuoteArg("mf://" + folder + "/*.jpg")), "[mf://@list:" + folder + "/P2.JPG|" + folder + "/p1.jpg|]")
        << name;
  }
}

TEST_F(Shim, MissingEngineSaysFatalAndFails) {
  Result r = run(testsupport::enginePath() + " -identify x", block({"FENWO_ENGINE=/no/such/engine"}));
  EXPECT_NE(r.code, 0u);
  EXPECT_EQ(r.output.rfind("FATAL: ", 0), 0u) << r.output;
  // No FENWO_ENGINE and no mplayer on the PATH.
  r = run(testsupport::enginePath() + " -identify x", block({"PATH=" + dir_.path()}));
  EXPECT_NE(r.code, 0u);
  EXPECT_NE(r.output.find("FATAL: "), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("mplayer"), std::string::npos) << r.output;
}

TEST_F(Shim, EngineKeepsThePlugInsPathAsItsName) {
  STARTUPINFOA si;
  PROCESS_INFORMATION pi;
  const std::string env = block({"FENWO_ENGINE=sleep", "PATH=/usr/bin:/bin"});
  ASSERT_TRUE(CreateProcessA(nullptr, testsupport::enginePath() + " 30", nullptr, nullptr, 1, 0, env.c_str(), nullptr,
                             &si, &pi));
  const std::string proc = "/proc/" + std::to_string(pi.dwProcessId);
  std::string cmdline, exe;
  // Until the shim has become the engine and the engine's arguments are readable: just after the
  // exec /proc shows the new executable with an empty command line for a moment.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    char buf[4096];
    const ssize_t n = readlink((proc + "/exe").c_str(), buf, sizeof buf);
    exe = n > 0 ? std::string(buf, static_cast<size_t>(n)) : "";
    cmdline = testsupport::readFile(proc + "/cmdline");
    if (exe.find("sleep") != std::string::npos && !cmdline.empty()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_NE(exe.find("sleep"), std::string::npos) << exe;
  EXPECT_EQ(cmdline, testsupport::enginePath() + '\0' + "30" + '\0');
  EXPECT_TRUE(TerminateProcess(pi.hProcess, 3838));
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
}

// A copy of the test clip (its video track first, then its sound) with these numbers a, b, c, d
// of the first track's matrix (16.16 fixed point); swapped: the tracks' kinds swapped, so that the
// video is the second track, carrying the matrix `second`.
constexpr int32_t kOne = 0x10000;
using Matrix = std::array<int32_t, 4>;
std::string TurnedClip(const std::string& path, Matrix m, bool swapped = false, Matrix second = {}) {
  std::string bytes = testsupport::readFile(testsupport::media("clip.mp4"));
  const auto put = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<char>(v >> (24 - 8 * i));
  };
  const auto setMatrix = [&](size_t tkhd, Matrix v) {
    const size_t at = tkhd + 4 + 40;  // version 0: the matrix after 40 bytes of the header's contents
    for (int i = 0; i < 4; ++i) put(at + (i < 2 ? 4 * static_cast<size_t>(i) : 4 * static_cast<size_t>(i) + 4), static_cast<uint32_t>(v[static_cast<size_t>(i)]));
  };
  const size_t moov = bytes.find("moov"), tkhd = bytes.find("tkhd", moov);
  setMatrix(tkhd, m);
  if (swapped) {
    setMatrix(bytes.find("tkhd", tkhd + 4), second);
    const size_t video = bytes.find("vide", moov), sound = bytes.find("soun", moov);
    bytes.replace(video, 4, "soun");
    bytes.replace(sound, 4, "vide");
  }
  return testsupport::writeFile(path, bytes);
}

// A video stored on its side gets the engine's filter that turns it upright, ahead of all other
// filters wherever it stands; an identify run starts with the upright size. Without a quarter
// turn the command line stays as it is.
TEST_F(Shim, TurnsAVideoStoredOnItsSideUpright) {
  const std::string upright = "ID_VIDEO_WIDTH=240\nID_VIDEO_HEIGHT=320\n";
  struct Case {
    const char* name;
    Matrix matrix;
    std::string added, size;
  };
  const Case cases[] = {
      {"none", {kOne, 0, 0, kOne}, "", ""},
      {"90", {0, kOne, -kOne, 0}, "[-vf-pre][rotate=1]", upright},
      {"180", {-kOne, 0, 0, -kOne}, "[-vf-pre][mirror,flip]", ""},
      {"270", {0, -kOne, kOne, 0}, "[-vf-pre][rotate=2]", upright},
      {"mirrored", {-kOne, 0, 0, kOne}, "", ""},
      {"an eighth turn", {46341, 46341, -46341, 46341}, "", ""},
  };
  for (const Case& c : cases) {
    const std::string clip = TurnedClip(dir_.file(std::string(c.name) + ".mp4"), c.matrix);
    EXPECT_EQ(viaFake("-nosound -vo jpeg:outdir=/o " + win::QuoteArg(clip) + " -speed 100 -vf-add framestep=5"),
              "[-nosound][-vo][jpeg:outdir=/o][" + clip + "][-speed][100][-vf-add][framestep=5]" + c.added)
        << c.name;
    EXPECT_EQ(viaFake("-identify -ao null -vo null -frames 0 " + win::QuoteArg(clip)),
              c.size + "[-identify][-ao][null][-vo][null][-frames][0][" + clip + "]" + c.added)
        << c.name;
  }
  // The track the engine plays is the first video track, wherever it stands.
  const std::string second = TurnedClip(dir_.file("second.mp4"), {0, kOne, -kOne, 0}, true, {0, -kOne, kOne, 0});
  EXPECT_EQ(viaFake(win::QuoteArg(second)), "[" + second + "][-vf-pre][rotate=2]");
}

// A damaged file, or anything else that is not a movie, plays as it is stored; nothing waits on a
// pipe named on the command line.
TEST_F(Shim, DamagedFilesAndOtherWordsPlayAsStored) {
  const std::string turned = testsupport::readFile(TurnedClip(dir_.file("turned.mp4"), {0, kOne, -kOne, 0}));
  ASSERT_EQ(viaFake(dir_.file("turned.mp4")), "[" + dir_.file("turned.mp4") + "][-vf-pre][rotate=1]");
  const size_t moov = turned.find("moov") - 4, tkhd = turned.find("tkhd", moov) - 4, mdat = turned.find("mdat") - 4;
  // The file with those bytes at that place.
  const auto patched = [&](size_t at, const std::string& with) { return std::string(turned).replace(at, with.size(), with); };
  const std::pair<const char*, std::string> files[] = {
      {"cut in the track header", turned.substr(0, tkhd + 30)},
      {"track header longer than its track", patched(tkhd, std::string("\xff\xff\xff\x00", 4))},
      {"first box of 2^64 - 1 bytes", patched(0, std::string("\0\0\0\1ftyp\xff\xff\xff\xff\xff\xff\xff\xff", 16))},
      {"box shorter than its header", patched(moov, std::string("\0\0\0\4", 4))},
      {"media data to the end of the file", patched(mdat, std::string(4, '\0'))},
      {"text", "not a movie at all, just words"},
      {"empty", ""},
  };
  for (const auto& [name, bytes] : files) {
    const std::string file = testsupport::writeFile(dir_.file(name), bytes);
    const Result r = run(testsupport::enginePath() + " -identify " + win::QuoteArg(file), block({"FENWO_ENGINE=" + fake_}));
    EXPECT_EQ(r.code, 0u) << name;
    EXPECT_EQ(r.output, "[-identify][" + file + "]") << name;
  }
  ASSERT_EQ(::mkfifo(dir_.file("pipe").c_str(), 0600), 0);
  EXPECT_EQ(viaFake(dir_.file("pipe") + " " + dir_.path()), "[" + dir_.file("pipe") + "][" + dir_.path() + "]");
}

TEST(ShimWithRealEngine, IdentifiesTheTestVideo) {
  const Result r = run(testsupport::enginePath() + " -identify -ao null -vo null -frames 0 \"" +
                       testsupport::media("clip.avi") + "\"");
  EXPECT_EQ(r.code, 0u);
  EXPECT_NE(r.output.find("ID_VIDEO_WIDTH=320"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("ID_LENGTH=4.00"), std::string::npos);
}

}  // namespace
