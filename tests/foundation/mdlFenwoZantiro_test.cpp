// labels: unit
#include "foundation/mdlFenwoZantiro.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "foundation/mdlGetDriveType.h"
#include "platform/fs.h"
#include "runtime/app.h"
#include "support/paths.h"

namespace {

using namespace mdlFenwoZantiro;

TEST(FormatTime, FormsAndRounding) {
  struct Case {
    float in;
    int16_t mode;
    std::string text;
    float after;
    int16_t units;
  };
  const Case cases[] = {
      {5, 0, "5.0", 5, 1},          {65, 0, "65.0", 65, 1},
      {3605, 0, "3605.0", 3605, 1}, {5, 1, "5.0", 5, 1},
      {15, 1, "15.0", 15, 1},       {65, 1, "01:05.0", 65, 2},
      {3605, 1, "01:00:05.0", 3605, 3}, {4500, 1, "01:15:00.0", 4500, 3},
      {5, 2, "00:05.0", 5, 2},      {3605, 2, "01:00:05.0", 3605, 3},
      {5, 3, "00:00:05.0", 5, 3},   {4500, 3, "01:15:00.0", 4500, 3},
      {5, 4, "00:05.0", 5, 2},      {3605, 4, "60:05.0", 3605, 2},
      {4500, 4, "75:00.0", 4500, 2},
      {59.996f, 3, "00:01:00.0", 60, 3},   // rounds up into the next minute
      {1.995f, 1, "2.0", 1.99f, 1},       // 1.99, then halves away from zero
      {1.25f, 1, "1.3", 1.25f, 1},
      {65.05f, 1, "01:05.1", 65.05f, 2},  // the seconds field keeps its two decimals
      {0, 0, "0.0", 0, 1},          {0, 1, "0.0", 0, 1},
      {0, 3, "00:00:00.0", 0, 3},
      {-0.1f, 3, "-01:59:59.9", -0.1f, 3},
      {59.96f, 3, "00:00:60.0", 59.96f, 3},  // no carry into the minutes
  };
  for (const Case& c : cases) {
    float s = c.in;
    int16_t units = 0;
    EXPECT_EQ(FormatTime(s, c.mode, 1, units), c.text) << c.in << " mode " << c.mode;
    EXPECT_FLOAT_EQ(s, c.after) << c.in << " mode " << c.mode;
    EXPECT_EQ(units, c.units) << c.in << " mode " << c.mode;
  }
}

TEST(FormatTime, Decimals) {
  float s = 9.994f;
  EXPECT_EQ(FormatTime(s, 1, 0), "10");  // below 10 after rounding: one digit, rounded
  s = 59.99f;
  EXPECT_EQ(FormatTime(s, 3, 0), "00:00:59");  // two digits without decimals: not rounded
  s = 5.5f;
  EXPECT_EQ(FormatTime(s, 3, 2), "00:00:05.50");
  EXPECT_EQ(FormatTime(2.5f, 1, 1), "2.5");  // a value, not a variable
}

TEST(TimeToSeconds, Fields) {
  EXPECT_FLOAT_EQ(TimeToSeconds("00:01:05.5", 0), 65.5f);
  EXPECT_FLOAT_EQ(TimeToSeconds("01:00:00.0", 0.5f), 3600.5f);
  EXPECT_FLOAT_EQ(TimeToSeconds("02:30", 0), 150);
  EXPECT_FLOAT_EQ(TimeToSeconds("5.5", 2), 0);
  EXPECT_FLOAT_EQ(TimeToSeconds("00:00:01.0", -3), 0);
}

TEST(GetValueBetween, EngineLines) {
  const std::string out = "ID_VIDEO_WIDTH=320\r\nID_LENGTH=12.34\r\nID_EMPTY=\r\nID_LAST=7";
  EXPECT_EQ(GetValueBetween(out, "ID_LENGTH="), "12.34");
  EXPECT_EQ(GetValueBetween(out, "ID_VIDEO_WIDTH=", ""), "320");
  EXPECT_EQ(GetValueBetween(out, "ID_EMPTY="), "");
  EXPECT_EQ(GetValueBetween(out, "ID_LAST="), "");  // no marker after it
  EXPECT_EQ(GetValueBetween(out, "ID_MISSING="), "");
  EXPECT_EQ(GetValueBetween("a [x] b", "[", "]"), "x");
  EXPECT_EQ(GetValueBetween("ab", "ab", "b"), "");  // marker inside the key
}

TEST(AddSlash, Paths) {
  EXPECT_EQ(AddSlash(""), "");
  EXPECT_EQ(AddSlash("/x"), "/x/");
  EXPECT_EQ(AddSlash("/x/"), "/x/");
  EXPECT_EQ(AddSlash("c", true), "c:/");
  EXPECT_EQ(AddSlash("c:", true), "c:/");
}

class CurrentFolder : public ::testing::Test {
 protected:
  void TearDown() override { win::SetCurrentDirectoryA(saved); }
  std::string saved = win::GetCurrentDirectoryA();
};

TEST_F(CurrentFolder, FolderOfAPathOrTheFallback) {
  testsupport::TempDir dir;
  const std::string home = dir.path();
  if (!mdlGetDriveType::IsWritableDrive(home)) GTEST_SKIP() << "the temporary folder lies on no disk";
  ChangeCurDir(home + "/clip.avi", "/");
  EXPECT_EQ(win::GetCurrentDirectoryA(), home);
  // /proc lies on no disk: the fallback is taken, except for a picture mask.
  ChangeCurDir("/proc/self/clip.avi", home + "/");
  EXPECT_EQ(win::GetCurrentDirectoryA(), home);
  ChangeCurDir("/proc/*.jpg", home + "/");
  EXPECT_EQ(win::GetCurrentDirectoryA(), "/proc");
  ChangeCurDir(home + "/missing/", "");
  EXPECT_EQ(win::GetCurrentDirectoryA(), "/proc");
  ChangeCurDir("", home);
  EXPECT_EQ(win::GetCurrentDirectoryA(), "/proc");
}

TEST(IsDevIconPresent, MarkerInTheProgramFolder) {
  testsupport::TempDir dir;
  vb::App::SetPathForTests(dir.path());
  EXPECT_FALSE(IsDevIconPresent());
  testsupport::writeFile(dir.file("Quorvane.ico"), "x");
  EXPECT_TRUE(IsDevIconPresent());
  vb::App::SetPathForTests("");
}

}  // namespace
