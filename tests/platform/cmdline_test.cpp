// labels: unit
#include "platform/cmdline.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, FollowsTheCommandLineRules) {
  struct Case {
    const char* line;
    Args args;
  };
  const Case cases[] = {
      {"", {}},
      {"prog", {"prog"}},
      {"prog a b", {"prog", "a", "b"}},
      {"prog\t a   b  ", {"prog", "a", "b"}},
      {"prog \"a b\" c", {"prog", "a b", "c"}},
      {"prog \"\"", {"prog", ""}},
      {"prog \"\" x \"\"", {"prog", "", "x", ""}},
      {"prog a\\b c:\\d\\", {"prog", "a\\b", "c:\\d\\"}},
      {"prog a\\\"b", {"prog", "a\"b"}},
      {"prog a\\\\\\\"b", {"prog", "a\\\"b"}},
      {"prog \"a\\\\\" b", {"prog", "a\\", "b"}},
      {"prog \"a \\\"q\\\" b\"", {"prog", "a \"q\" b"}},
      {"\"/opt/my dir/e.exe\" -x", {"/opt/my dir/e.exe", "-x"}},
      {"\"/opt/a\\\"b -x", {"/opt/a\\b", "-x"}},  // no escapes in the name
      // The shapes the programs build: options with a quoted value, quoted paths, a time last.
      {"e -vo gif89a:fps=5:output=\"/t/o u.gif\" -vf-add scale=160:120 \"/in/x y.avi\" -fps 25",
       {"e", "-vo", "gif89a:fps=5:output=/t/o u.gif", "-vf-add", "scale=160:120", "/in/x y.avi", "-fps", "25"}},
      {"e -nosound \"mf:///p/*.png\" -mf fps=5", {"e", "-nosound", "mf:///p/*.png", "-mf", "fps=5"}},
      {"e -frames 1 \"/m/a.avi\" -ss 2.5", {"e", "-frames", "1", "/m/a.avi", "-ss", "2.5"}},
      // A quote inside a quoted run closes it, whatever follows.
      {"e \"/m/a\"b.avi\"", {"e", "/m/ab.avi"}},
      {"e \"/m/a\" b.avi\" -fps 5", {"e", "/m/a", "b.avi -fps 5"}},
      {"e \"/t/%&;$*|<>`ü 漢.avi\"", {"e", "/t/%&;$*|<>`ü 漢.avi"}},
  };
  for (const auto& c : cases) EXPECT_EQ(win::SplitCommandLine(c.line), c.args) << c.line;
}

// Every name Linux allows comes back whole from a quoted argument, and never adds one.
TEST(QuoteArg, SplitGivesBackExactlyTheQuotedText) {
  const char* const names[] = {
      "/m/a\"b.avi",         "/m/The \"Best\" Clip.avi", "/m/a\" b.avi",     "/m/\" -vo null \"x.gif",
      "/m/it's.gif",          "/m/a,b:c=d.gif",           "/m/100%.gif",       "/m/why?.gif",
      "/m/*.gif",             "/m/[1].gif",               "/m/back\\slash.gif", "/m/end\\",
      "/m/end\\\\",          "/m/q\\\"x",                "/m/a;b&c$d.gif",    "/m/two  blanks.gif",
      "-leading.gif",         "/m/中文 名字.gif",          "",                  "\"",
      "\\",                   "/m/tab\there",             "/m/\\\" \\\\\" \"\"",
  };
  for (const char* name : names) {
    const std::string line = "e " + win::QuoteArg(name) + " -x " + win::QuoteArg(name);
    EXPECT_EQ(win::SplitCommandLine(line), (Args{"e", name, "-x", name})) << line;
    const std::string option = "e -vo gif89a:output=" + win::QuoteArg(name) + " -fps 5";
    EXPECT_EQ(win::SplitCommandLine(option), (Args{"e", "-vo", std::string("gif89a:output=") + name, "-fps", "5"}))
        << option;
  }
}

TEST(SplitCommandLine, UnquotedProgramPathMayHoldBlanks) {
  const auto isProgram = [](const std::string& p) { return p == "/opt/my progs/bin e" || p == "/opt/my"; };
  // The shortest name that is a program wins, as the start-up search tries them in order.
  EXPECT_EQ(win::SplitCommandLine("/opt/my progs/bin e -x \"a b\"", isProgram),
            (Args{"/opt/my", "progs/bin", "e", "-x", "a b"}));
  const auto onlyLong = [](const std::string& p) { return p == "/opt/my progs/bin e"; };
  EXPECT_EQ(win::SplitCommandLine("/opt/my progs/bin e -x \"a b\"", onlyLong),
            (Args{"/opt/my progs/bin e", "-x", "a b"}));
  const auto none = [](const std::string&) { return false; };
  EXPECT_EQ(win::SplitCommandLine("/opt/my progs/bin -x", none), (Args{"/opt/my", "progs/bin", "-x"}));
  // A quoted program name is taken as it stands.
  EXPECT_EQ(win::SplitCommandLine("\"/opt/my\" progs", isProgram), (Args{"/opt/my", "progs"}));
}

}  // namespace
