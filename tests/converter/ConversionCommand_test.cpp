// labels: unit
// libs: fenwo_converter
#include "converter/ConversionCommand.h"

#include <gtest/gtest.h>

#include <map>

#include "converter/FitSize.h"

namespace {

using zantiro::EncodeJob;

const std::string E = "/opt/Fenwo/plugins/FenwoRes1.exe";

EncodeJob Job(const std::string& source, const std::string& target, const std::string& kind) {
  EncodeJob j;
  j.engine = E;
  j.source = source;
  j.target = target;
  j.kind = kind;
  j.series = kind != "gif";
  j.videoFps = 25;
  j.videoLength = 4;
  j.outFps = 5;
  j.frameCount = 12;
  j.outWidth = 320;
  j.outHeight = 240;
  return j;
}

struct Template {
  const char* name;
  EncodeJob job;
  std::string line;
  float outLength;
};

// One case per template, each with the pieces that it may carry.
TEST(EncodeCommandLine, EachTemplateCharacterForCharacter) {
  std::vector<Template> cases;

  EncodeJob t1 = Job("/v/clip.avi", "/v/clip.gif", "gif");
  t1.videoFps = 29.97f;
  t1.videoLength = 10;
  t1.scopeStart = 1.5f;
  t1.scopeEnd = 3.5f;
  t1.n = 60;
  t1.colorArgs = " -vf-add eq2=1:1.2";
  t1.cropRect = {1, 10, 20, 110, 220};
  cases.push_back({"T1", t1,
                   E + " -nosound -ss 00:00:01.5 -frames 60 -vo gif89a:fps=5:output=\"/v/clip.gif\" -vf-add eq2=1:1.2"
                       " -vf-add scale=320:240 -vf-add crop=100:200:10:20 \"/v/clip.avi\" -fps 29.97",
                   10});

  EncodeJob t8 = Job("/v/Anim.GIF", "/v/Anim_gif2.gif", "gif");
  t8.outFps = 7.5f;
  t8.scopeEnd = 2;  // no range on a GIF: T8 has no SS piece
  cases.push_back({"T8", t8,
                   E + " -nosound -vo gif89a:fps=7.5:output=\"/v/Anim_gif2.gif\" -vf-add scale=320:240"
                       " \"/v/Anim.GIF\" -fps 7.5",
                   4});

  EncodeJob t2 = Job("/v/clip.mp4", "/v/out/*.jpg", "jpg");
  t2.quality = "75";
  t2.step = 5;
  cases.push_back({"T2", t2,
                   E + " -nosound -vo jpeg:quality=75:outdir=\"/v/out\" -vf-add scale=320:240 \"/v/clip.mp4\""
                       " -speed 100 -vf-add framestep=5",
                   4});

  EncodeJob t3 = Job("/v/clip.mp4", "/v/*.png", "png");
  t3.quality = "3";
  t3.step = 6;
  t3.scopeStart = 2;
  t3.scopeEnd = 3;
  t3.n = 4;
  cases.push_back({"T3", t3,
                   E + " -nosound -ss 00:00:02.0 -frames 4 -vo png:z=3:outdir=\"/v\" -vf-add scale=320:240"
                       " \"/v/clip.mp4\" -speed 100 -vf-add framestep=6",
                   4});

  EncodeJob t4 = Job("/v/anim.gif", "/v/output/*.jpg", "jpg");
  t4.quality = "100";
  cases.push_back({"T4", t4,
                   E + " -nosound -vo jpeg:quality=100:outdir=\"/v/output\" -vf-add scale=320:240 \"/v/anim.gif\""
                       " -fps 1000 -vf-add framestep=1",
                   4});

  EncodeJob t5 = Job("/v/anim.gif", "/v/*.png", "png");
  t5.quality = "9";
  t5.step = 2;
  cases.push_back({"T5", t5,
                   E + " -nosound -vo png:z=9:outdir=\"/v\" -vf-add scale=320:240 \"/v/anim.gif\" -fps 1000"
                       " -vf-add framestep=2",
                   4});

  EncodeJob t7 = Job("/p/gifs/*.gif", "/home/u/g1.gif", "gif");
  t7.frameCount = 7;
  t7.outFps = 3;
  cases.push_back({"T7", t7,
                   E + " -fps 3 -nosound -vo gif89a:fps=3:output=\"/home/u/g1.gif\" -vf-add scale=320:240"
                       " -fixed-vo *.gif",
                   2.33f});

  EncodeJob t6 = Job("/p/pngs/*.png", "/p/pngs/p1.gif", "gif");
  t6.cropRect = {1, 0, 0, 60, 0};  // y2 0: no crop
  cases.push_back({"T6", t6,
                   E + " -nosound -vo gif89a:fps=5:output=\"/p/pngs/p1.gif\" -vf-add scale=320:240"
                       " \"mf:///p/pngs/*.png\" -mf fps=5",
                   2.4f});

  for (Template& c : cases) {
    float outLength = -1;
    EXPECT_EQ(zantiro::EncodeCommandLine(c.job, outLength), c.line) << c.name;
    EXPECT_FLOAT_EQ(outLength, c.outLength) << c.name;
  }
}

TEST(EncodeCommandLine, ARangeStartIsWrittenAsATimeAndRoundedBack) {
  EncodeJob j = Job("/v/clip.avi", "/v/clip.gif", "gif");
  j.scopeStart = 3661.996f;
  j.scopeEnd = 3700;
  j.n = 10;
  float outLength = 0;
  EXPECT_NE(zantiro::EncodeCommandLine(j, outLength).find(" -ss 01:01:02.0 -frames 10 "), std::string::npos);
  EXPECT_FLOAT_EQ(j.scopeStart, 3662.0f);
}

TEST(EncodeCommandLine, APictureFolderToASeriesHasNoCommandLine) {
  EncodeJob j = Job("/p/*.png", "/p/*.jpg", "jpg");
  float outLength = 0;
  EXPECT_EQ(zantiro::EncodeCommandLine(j, outLength), "");
}

TEST(CountFrames, FramesAndStepByTargetAndSource) {
  struct Case {
    std::string source;
    bool series;
    float videoFps, outFps, length, start, end;
    int32_t frameCount, n, step;
  };
  const Case cases[] = {
      {"/v/a.avi", false, 25, 5, 4, 0, 0, 0, 100, 1},          // whole video to GIF
      {"/v/a.avi", false, 25, 5, 10, 2, 3.5f, 0, 38, 1},       // range: round(1.5 x 25) = 37.5 -> 38
      {"/v/a.avi", true, 25, 5, 4, 0, 0, 0, 20, 5},            // step 5
      {"/v/a.avi", true, 29.97f, 5, 10, 0, 0, 0, 50, 6},       // 5.994 rounds to 6; round(300 / 6)
      {"/v/a.avi", true, 5, 30, 4, 0, 0, 0, 20, 1},            // step at least 1
      {"/v/a.gif", false, 5, 10, 4, 0, 0, 20, 20, 1},          // GIF: its frame count
      {"/v/a.gif", true, 10, 5, 2, 0, 0, 25, 12, 2},           // round(25 / 2) = 12.5 -> 12
      {"/p/*.png", false, 5, 5, 2.4f, 0, 0, 12, 12, 1},
  };
  for (const Case& c : cases) {
    EncodeJob j = Job(c.source, "", c.series ? "jpg" : "gif");
    j.series = c.series;
    j.videoFps = c.videoFps;
    j.outFps = c.outFps;
    j.videoLength = c.length;
    j.scopeStart = c.start;
    j.scopeEnd = c.end;
    j.frameCount = c.frameCount;
    zantiro::CountFrames(j);
    EXPECT_EQ(j.n, c.n) << c.source << " " << c.videoFps << "/" << c.outFps;
    EXPECT_EQ(j.step, c.step) << c.source << " " << c.videoFps << "/" << c.outFps;
  }
}

TEST(QualityFromAnswer, AcceptedAnswersAndTheirText) {
  struct Case {
    std::string kind, answer;
    bool accepted;
    std::string quality;
  };
  const Case cases[] = {
      {"jpg", "100", true, "100"}, {"jpg", "75.9", true, "75"}, {"jpg", "0", true, "0"},
      {"jpg", "abc", true, "0"},   {"png", "100", true, "9"},   {"png", "35", true, "3"},
      {"png", "9", true, "0"},     {"jpg", "101", false, ""},   {"png", "-1", false, ""},
      {"jpg", "", false, ""},
  };
  for (const Case& c : cases) {
    std::string q;
    EXPECT_EQ(zantiro::QualityFromAnswer(c.kind, c.answer, q), c.accepted) << c.kind << " " << c.answer;
    EXPECT_EQ(q, c.quality) << c.kind << " " << c.answer;
  }
}

TEST(EarlierKeyframe, SearchesBackASecondAtATime) {
  // Key frames every 3 s; the engine starts at the next one at or after a request.
  const auto every3 = [](float t) { return t <= 0 ? 0.0f : static_cast<float>(3 * static_cast<int>((t + 2.999f) / 3)); };
  EXPECT_FLOAT_EQ(zantiro::EarlierKeyframe(10, 12, every3), 9);
  EXPECT_FLOAT_EQ(zantiro::EarlierKeyframe(4, 6, every3), 3);
  EXPECT_FLOAT_EQ(zantiro::EarlierKeyframe(1.5f, 3, every3), 0);  // 0.5 gives 3, then -0.5 the start
  // An engine that cannot tell ends the search; one that only finds t1 runs it out.
  std::vector<float> asked;
  EXPECT_FLOAT_EQ(zantiro::EarlierKeyframe(10, 12, [&](float t) { asked.push_back(t); return -1.0f; }), -1);
  EXPECT_EQ(asked, std::vector<float>{9});
  asked.clear();
  EXPECT_FLOAT_EQ(zantiro::EarlierKeyframe(40, 42, [&](float t) { asked.push_back(t); return 42.0f; }), -1);
  EXPECT_EQ(asked.size(), 15u);
  EXPECT_FLOAT_EQ(asked.back(), 25);
}

TEST(FitSize, KeepsSmallSourcesAndBringsLargeOnesWithin960) {
  struct Case {
    int32_t w, h, outW, outH;
  };
  const Case cases[] = {
      {1280, 720, 960, 540}, {720, 1281, 540, 960}, {1921, 1, 960, 2},   {0, 0, 0, 0},
      {961, 961, 960, 960},  {959, 700, 959, 700},  {1000, 2000, 960, 1920}, {0, 2000, 0, 2000},
      {321, 241, 321, 241},  {700, 1000, 672, 960},
  };
  for (const Case& c : cases) {
    int32_t w = -1, h = -1;
    zantiro::FitSize(c.w, c.h, w, h);
    EXPECT_EQ(w, c.outW) << c.w << "x" << c.h;
    EXPECT_EQ(h, c.outH) << c.w << "x" << c.h;
  }
}

}  // namespace
