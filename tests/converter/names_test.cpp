// labels: e2e engine gui
// libs: fenwo_converter
// Conversions whatever the names: sources, targets and series folders named with every kind of
// character go through the real engine whole, and touch no other file; an old GIF survives a
// run that fails or is stopped; the result message tells what the run really did.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTimer>
#include <filesystem>
#include <map>

#include "platform/cmdline.h"
#include "support/MainWindowFixture.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlFenwoZantiro;

// Each stands in a source file's and its folder's name, the target GIF's and folder's, and the
// series folder's.
const char* const kNames[] = {
    "say \"hi\" there", "it's", "a,b", "a:b", "k=v", "100%", "why?", "star*", "[1]", "back\\slash", "end\\",
    "a;b&c$d", "two  blanks", "-lead", "中文名", "x\" -vo null -o \"y", "%3%abc",
};

// Every file and folder under root with its bytes (a hash of them), but the settings in home.
using Snapshot = std::map<std::string, size_t>;
Snapshot snapshot(const std::string& root, const std::string& skip = "") {
  Snapshot files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string p = e.path().string();
    if (!skip.empty() && p.rfind(skip, 0) == 0) continue;
    files[p] = e.is_regular_file() ? std::hash<std::string>{}(testsupport::readFile(p)) : 0;
  }
  return files;
}

// The paths that differ between two snapshots.
std::string changes(const Snapshot& a, const Snapshot& b) {
  std::string out;
  for (const auto& [p, h] : a)
    if (!b.count(p) || b.at(p) != h) out += "changed or gone: " + p + "\n";
  for (const auto& [p, h] : b)
    if (!a.count(p)) out += "new: " + p + "\n";
  return out;
}

std::string successText() { return "Encoding successful"; }

class Names : public testsupport::MainWindow {
 protected:
  // A 10-frame range of the clip, copied in as folder/name.avi ("*" stays out of a video's path,
  // where it marks a picture folder).
  std::string source(const std::string& name) {
    std::string file = name;
    for (char& c : file)
      if (c == '*') c = '+';
    const std::string folder = dir() + "/in " + file;
    fs::create_directories(folder);
    const std::string clip = folder + "/" + file + ".avi";
    fs::copy_file(testsupport::media("clip.avi"), clip);
    return clip;
  }
  // Files beside a target that must stay as they are: a plain one, the name cut at "," or ":",
  // and the name with its wildcards filled in.
  void decoys(const std::string& folder, const std::string& name) {
    fs::create_directories(folder);
    testsupport::writeFile(folder + "/keep.txt", "keep");
    testsupport::writeFile(folder + "/" + name.substr(0, name.find_first_of(",:")) + "-cut", "cut");
    std::string filled = name;
    for (char& c : filled)
      if (c == '*' || c == '?') c = '1';
    testsupport::writeFile(folder + "/" + filled + ".gif", "GIF89a decoy");
    testsupport::writeFile(folder + "/00000001.txt", "not a picture");
  }
  void encodeRange() {
    ScopeStart = 0;
    ScopeEnd = 0.4f;
    answers = {{vb::vbOK, "75"}, {vb::vbOK, ""}, {vb::vbOK, ""}, {vb::vbOK, ""}};
    boxes.clear();
    encode();
  }
  std::string lastPrompt() { return boxes.empty() ? "" : boxes.back().prompt; }
  // The source named name for kind (0 GIF, 1 JPG); returns a target folder named with prefix
  // and name, holding the decoys.
  std::string prepare(const std::string& name, int kind, const std::string& prefix) {
    chooseFile(source(name), kind);
    const std::string folder = dir() + "/" + prefix + " " + name;
    decoys(folder, name);
    return folder;
  }
  void chooseTarget(const std::string& chosen) {
    dialogAnswers.push_back({true, {chosen}, 0});
    w().cmdOutput.Click();
  }
};

TEST_F(Names, EveryNameToAGif) {
  for (const std::string name : kNames) {
    SCOPED_TRACE(name);
    const std::string target = prepare(name, 0, "out") + "/" + name + ".gif";
    chooseTarget(target);
    ASSERT_EQ(w().lblOutput.Caption(), target);
    auto before = snapshot(dir(), home());
    shells.clear();
    encodeRange();
    EXPECT_NE(lastPrompt().find(successText()), std::string::npos) << lastPrompt();
    ASSERT_TRUE(fs::exists(target));
    EXPECT_EQ(testsupport::readFile(target).rfind("GIF89a", 0), 0u);
    // The viewer gets the target as one argument.
    ASSERT_EQ(shells.size(), 1u);
    const auto args = win::SplitCommandLine(shells[0]);
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[1], target);
    // Nothing else changed anywhere: the new GIF is the only difference.
    auto after = snapshot(dir(), home());
    before.erase(target);  // the target step may leave an empty file of that name
    after.erase(target);
    EXPECT_EQ(changes(before, after), "");
  }
}

TEST_F(Names, EveryNameToAJpgSeries) {
  for (const std::string name : kNames) {
    SCOPED_TRACE(name);
    const std::string folder = prepare(name, 1, "jpg");
    chooseTarget(folder);
    ASSERT_EQ(w().lblOutput.Caption(), folder + "/*.jpg");
    auto before = snapshot(dir(), home());
    encodeRange();
    EXPECT_NE(lastPrompt().find(successText()), std::string::npos) << lastPrompt();
    auto after = snapshot(dir(), home());
    int pictures = 0;
    for (auto it = after.begin(); it != after.end();) {
      const fs::path p(it->first);
      if (p.parent_path() == folder && p.extension() == ".jpg" && before.count(it->first) == 0) {
        EXPECT_EQ(testsupport::readFile(it->first).substr(0, 2), "\xFF\xD8");
        ++pictures;
        it = after.erase(it);
      } else {
        ++it;
      }
    }
    EXPECT_GE(pictures, 1);
    EXPECT_EQ(changes(before, after), "");
  }
}

// Engines that stand in for the conversion; the real one answers the probe.
class Results : public Names {
 protected:
  void conversionEngine(const std::string& body) {
    fs::remove(engine());
    testsupport::writeFile(engine(), "#!/bin/sh\ncase \"$*\" in *gif89a*|*outdir*) ;; *) exec " +
                                         testsupport::enginePath() + " \"$@\";; esac\n"
                                         "for a in \"$@\"; do case $a in *output=*) out=${a#*output=};; "
                                         "*outdir=*) out=${a#*outdir=}/00000001.jpg;; esac; done\n" +
                                         body + "\n");
    ::chmod(engine().c_str(), 0755);
  }
};

constexpr const char* kOld = "GIF89a the old one";

TEST_F(Results, TheMessageTellsWhatTheRunDid) {
  // The result: "" for success, else the reason the failure message gives.
  const std::string source = "Unable to resolve the source video format", unwritten = "could not be written completely";
  struct Case {
    const char* kind;
    const char* engine;
    std::string result;
  };
  const Case cases[] = {
      {"gif", "printf 'GIF89a;' > \"$out\"", ""},
      {"gif", "printf 'GIF89a;' > \"$out\"; exit 1", source},         // an error exit
      {"gif", "exit 0", source},                                        // nothing written
      {"gif", "printf 'GIF89a' > \"$out\"", unwritten},                 // no trailer
      {"gif", "printf 'GIF89a' > \"$out\"; kill -9 $$", unwritten},     // cut short
      {"gif", "printf 'GIF89a' > \"$out\"; kill -TERM $$", unwritten},
      {"jpg", "printf '\\377\\330\\377\\331' > \"$out\"", ""},
      {"jpg", "printf '\\377\\330' > \"$out\"", unwritten},           // no end marker
      {"jpg", "exit 0", source},                                        // old pictures only
      {"jpg", "printf '\\377\\330\\377\\331' > \"$out\"; exit 2", source},
  };
  const std::string clip = copyMedia("clip.avi");
  int run = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + ": " + c.engine);
    conversionEngine(c.engine);
    const bool gif = std::string(c.kind) == "gif";
    chooseFile(clip, gif ? 0 : 1);
    const std::string folder = dir() + "/out" + std::to_string(++run);
    fs::create_directories(folder);
    const std::string target = gif ? folder + "/clip.gif" : folder + "/00000001.jpg";
    testsupport::writeFile(target, kOld);
    chooseTarget(gif ? target : folder);
    encodeRange();
    const bool success = c.result.empty();
    EXPECT_EQ(lastPrompt().find(successText()) != std::string::npos, success) << lastPrompt();
    EXPECT_EQ(lastPrompt().find("Sorry , failed to encode") != std::string::npos, !success) << lastPrompt();
    if (!success) {
      EXPECT_NE(lastPrompt().find(c.result), std::string::npos) << lastPrompt();
    }
    // A GIF replaces the old one only when the run succeeded; nothing of the run is left.
    if (gif) {
      EXPECT_EQ(testsupport::readFile(target) == kOld, !success);
    }
    EXPECT_EQ(snapshot(folder).size(), 1u);
  }
}

TEST_F(Results, AStoppedRunKeepsTheOldGif) {
  const std::string clip = copyMedia("clip.avi");
  chooseFile(clip, 0);
  const std::string target = dir() + "/clip.gif";
  testsupport::writeFile(target, kOld);
  conversionEngine("printf 'GIF89a' > \"$out\"; touch " + dir() + "/started; exec sleep 30");
  QTimer stopper;
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    if (fs::exists(dir() + "/started") && w().cmdEncode(1).Visible()) {
      stopper.stop();
      w().cmdEncode(1).Click();
    }
  });
  stopper.start(10);
  encodeRange();
  EXPECT_EQ(lastPrompt(), "Encoding stop !");
  EXPECT_EQ(testsupport::readFile(target), kOld);
  fs::remove(dir() + "/started");
  auto left = snapshot(dir());
  for (const auto& [path, bytes] : left) EXPECT_EQ(fs::path(path).extension() == ".tmp", false) << path;
}

}  // namespace
