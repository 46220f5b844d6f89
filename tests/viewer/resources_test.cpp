// labels: unit
// The viewer's resources as built into it: its three language tables, the hand cursor and the
// title picture.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "runtime/resources.h"
#include "support/paths.h"

namespace {

// Numbered entries of a table; checks the line form on the way.
std::map<int, std::string> Entries(const std::string& code, std::string* head) {
  const auto bytes = vb::LoadResData(code, "custom");
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
  std::map<int, std::string> out;
  int line = 0;
  for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
    const std::string l = text.substr(at, end - at);
    EXPECT_EQ(l.find_first_of("\r\n"), std::string::npos) << code << ": " << l;
    if (line++ < 2) {
      *head += l + "|";
      continue;
    }
    EXPECT_EQ(l.find('='), 3u) << code << ": " << l;
    const int n = std::stoi(l.substr(0, 3));
    EXPECT_EQ(n, line - 2) << code << ": keys 001 to 045 in ascending order";
    out[n] = l.substr(4);
  }
  return out;
}

TEST(ViewerLanguageTables, FortyFiveEntriesEachChineseWhereEnglishHasWords) {
  std::string head;
  const auto en = Entries("EN", &head);
  EXPECT_EQ(head, "language=English|lng=en|");
  ASSERT_EQ(en.size(), 45u);
  const std::map<int, std::string> quoted = {
      {7, "Play New Pics  ...\tF1"}, {12, ""}, {16, "Unable to play this file"},
      {21, "Play Next\tPageDown"}, {27, ""}, {40, "Download "}, {42, ""},
      {45, "If you want to advertise to cooperate in the software, or to\\nadvertise or "
           "commercial use, other ideas, please E-Mail me\\n\\nPress \"OK\" to open the E-Mail , "
           "thank you"}};
  for (const auto& [n, text] : quoted) EXPECT_EQ(en.at(n), text) << "text " << n;

  const std::map<std::string, std::pair<std::string, std::vector<std::string>>> chinese = {
      {"GB", {"language=Chinese (Simplified)|lng=gb|", {"檔", "圖", "關", "視", "載", "說"}}},
      {"TW", {"language=Chinese (Traditional)|lng=tw|", {"档", "图", "关", "视", "载", "说"}}}};
  for (const auto& [code, expect] : chinese) {
    std::string h;
    const auto t = Entries(code, &h);
    EXPECT_EQ(h, expect.first);
    ASSERT_EQ(t.size(), 45u) << code;
    for (const auto& [n, english] : en) {
      const std::string& text = t.at(n);
      if (english.empty()) {
        EXPECT_EQ(text, "") << code << " text " << n;
        continue;
      }
      bool wide = false;
      for (unsigned char c : text) wide = wide || c >= 0x80;
      EXPECT_TRUE(wide) << code << " text " << n << " left in English: " << text;
      for (const std::string& c : expect.second)
        EXPECT_EQ(text.find(c), std::string::npos) << code << " text " << n << " holds " << c;
    }
    // The menu key names stay as the keys are labelled.
    EXPECT_NE(t.at(7).find("F1"), std::string::npos);
    EXPECT_NE(t.at(21).find("PageDown"), std::string::npos);
  }
}

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int size) {
  uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = v << 8 | b[at + i];
  return v;
}

TEST(ViewerHandCursor, LaidOutAsA32By32CursorWithItsHotSpotOnTheFingertip) {
  const auto cur = vb::LoadResData("HAND", "Custom");
  ASSERT_EQ(cur.size(), 768u);
  EXPECT_EQ(std::string(cur.begin(), cur.end()),
            testsupport::readFile(testsupport::sourceDir() + "/viewer/res/harrow.cur"));
  // Directory: reserved, type 2 (cursor), one image; its entry.
  EXPECT_EQ(Le(cur, 0, 2), 0u);
  EXPECT_EQ(Le(cur, 2, 2), 2u);
  EXPECT_EQ(Le(cur, 4, 2), 1u);
  EXPECT_EQ(cur[6], 32);
  EXPECT_EQ(cur[7], 32);
  EXPECT_EQ(Le(cur, 10, 2), 12u) << "hot spot x";
  EXPECT_EQ(Le(cur, 12, 2), 1u) << "hot spot y";
  EXPECT_EQ(Le(cur, 14, 4), 744u);
  EXPECT_EQ(Le(cur, 18, 4), 22u);
  // Bitmap header: 32 by 64 (colour and mask halves), 1 plane, 4 bits.
  EXPECT_EQ(Le(cur, 22, 4), 40u);
  EXPECT_EQ(Le(cur, 26, 4), 32u);
  EXPECT_EQ(Le(cur, 30, 4), 64u);
  EXPECT_EQ(Le(cur, 34, 2), 1u);
  EXPECT_EQ(Le(cur, 36, 2), 4u);
  // Colour table (16 entries), colour bits (32 rows of 16 bytes), mask (32 rows of 4 bytes),
  // both stored bottom row first; 22 + 744 bytes, then padding to 768.
  const size_t colours = 22 + 40, xorBits = colours + 64, andBits = xorBits + 512;
  ASSERT_EQ(andBits + 128, 766u);
  auto opaque = [&](int x, int y) {
    const size_t row = andBits + static_cast<size_t>(31 - y) * 4;
    return ((cur[row + x / 8] >> (7 - x % 8)) & 1) == 0;
  };
  auto colour = [&](int x, int y) {
    const uint8_t b = cur[xorBits + static_cast<size_t>(31 - y) * 16 + x / 2];
    const int index = x % 2 ? b & 15 : b >> 4;
    return Le(cur, colours + static_cast<size_t>(index) * 4, 3);  // B, G, R
  };
  EXPECT_TRUE(opaque(12, 1)) << "the fingertip is at the hot spot";
  EXPECT_EQ(colour(12, 1), 0u) << "drawn in black";
  EXPECT_FALSE(opaque(12, 0)) << "nothing above the fingertip";
  EXPECT_FALSE(opaque(0, 0));
  EXPECT_FALSE(opaque(31, 31));
  EXPECT_TRUE(opaque(12, 5));
  EXPECT_EQ(colour(12, 5), 0xFFFFFFu) << "the finger is filled white";
  int shown = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) shown += opaque(x, y);
  EXPECT_GT(shown, 200) << "a hand, not a few dots";
  EXPECT_EQ(cur[766], 0);
  EXPECT_EQ(cur[767], 0);
}

TEST(ViewerTitlePicture, FitsTheEmptyWindowAndHasSeeThroughCorners) {
  const QImage title(":/skin/title.gif");
  ASSERT_FALSE(title.isNull());
  // The window without a picture has a client area of 300 by 240 pixels.
  EXPECT_LE(title.width(), 300);
  EXPECT_LE(title.height(), 240);
  EXPECT_EQ(qAlpha(title.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(title.pixel(title.width() / 2, title.height() / 2)), 255);
}

}  // namespace
