// labels: unit
// The conversion program's resources as built into it: the language tables (their form, their
// keys, Chinese wording in the Chinese tables) and the skin pictures.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/resources.h"
#include "support/paths.h"

namespace {

struct Table {
  std::vector<std::string> lines;   // without their CR LF
  std::map<int, std::string> texts; // numbered entries
};

Table Parse(const std::string& code) {
  const auto bytes = vb::LoadResData(code, "CUSTOM");
  const std::string text(bytes.begin(), bytes.end());
  Table t;
  EXPECT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code << ": last line ends with CR LF";
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find("\r\n", at);
    if (end == std::string::npos) break;
    t.lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  for (size_t i = 2; i < t.lines.size(); ++i) {
    const std::string& l = t.lines[i];
    EXPECT_FALSE(l.find('\r') != std::string::npos || l.find('\n') != std::string::npos)
        << code << ": stray line end in " << l;
    const bool keyed = l.size() >= 4 && l[3] == '=' && std::isdigit((unsigned char)l[0]) &&
                       std::isdigit((unsigned char)l[1]) && std::isdigit((unsigned char)l[2]);
    EXPECT_TRUE(keyed) << code << ": key of three digits then '=': " << l;
    if (!keyed) continue;
    const int n = std::stoi(l.substr(0, 3));
    EXPECT_TRUE(t.texts.emplace(n, l.substr(4)).second) << code << ": key twice " << n;
  }
  return t;
}

std::string Placeholders(const std::string& s) {
  std::string found;
  for (const char* p : {"aaa", "bbb", "ccc", "ddd", "eee", "fff", "ggg", "hhh"})
    for (size_t at = s.find(p); at != std::string::npos; at = s.find(p, at + 3)) found += p;
  return found;
}

bool HasNonAscii(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return true;
  return false;
}

// Keys 001 to 144 each in its place, then later texts in ascending order, all within LngText.
TEST(ConverterLanguageTables, HeadLinesAndKeysInOrder) {
  const std::map<std::string, std::vector<std::string>> heads = {
      {"EN", {"language=English", "lng=en"}},
      {"GB", {"language=Chinese (Simplified)", "lng=gb"}},
      {"TW", {"language=Chinese (Traditional)", "lng=tw"}}};
  for (const auto& [code, head] : heads) {
    const Table t = Parse(code);
    ASSERT_GE(t.lines.size(), 146u) << code;
    EXPECT_EQ(t.lines[0], head[0]);
    EXPECT_EQ(t.lines[1], head[1]);
    for (int n = 1; n <= 144; ++n) {
      char key[8];
      std::snprintf(key, sizeof key, "%03d=", n);
      EXPECT_EQ(t.lines[n + 1].substr(0, 4), key) << code << ": entries in ascending order";
    }
    // Texts added later follow in ascending order, within the table's 0 to 150.
    for (size_t i = 146; i < t.lines.size(); ++i) {
      const int n = std::stoi(t.lines[i].substr(0, 3));
      EXPECT_EQ(t.lines[i][3], '=') << code << ": " << t.lines[i];
      EXPECT_GT(n, std::stoi(t.lines[i - 1].substr(0, 3))) << code << ": " << t.lines[i];
      EXPECT_LE(n, 150) << code << ": " << t.lines[i];
    }
  }
}

TEST(ConverterLanguageTables, EnglishWordingAsTheProgramQuotesIt) {
  const Table en = Parse("en");
  const std::map<int, std::string> cases = {
      {7, "Encoding time : "},
      {8, " seconds"},
      {22, "Exit Fenwo.Zantiro ?"},
      {26, " , "},
      {47, "Preparing to encode aaa pics series\\nIt will produce about  bbb  aaa pics\\n"
           "Please input the quality number value of aaa pics\\n"
           "The range of number value is between 0 ~ 100"},
      {53, "Please choose the folder to save aaa pics\\nPlease don't choose the root folder, "
           "for example C:\\, D:\\"},
      {109, ""},
      {118, "Orbeck' Blog welcome you"},
      {136, ""},
      {142, "If you want to advertise to cooperate in the software, or to\\nadvertise or "
            "commercial use, other ideas, please E-Mail me\\n\\nPress \"OK\" to open the "
            "E-Mail , thank you"}};
  for (const auto& [n, text] : cases) EXPECT_EQ(en.texts.at(n), text) << "text " << n;
  for (const auto& [n, text] : en.texts) EXPECT_FALSE(HasNonAscii(text)) << "EN is ASCII: " << n;
}

TEST(ConverterLanguageTables, ChineseTablesAreChineseWithTheSamePlaceholders) {
  const Table en = Parse("EN");
  // Characters that only one of the two scripts uses: a Simplified table must not hold the
  // Traditional form and the other way round.
  const std::map<std::string, std::vector<std::string>> foreign = {
      {"GB", {"檔", "轉", "設", "為", "這", "圖", "選", "擇", "說", "載", "關", "來"}},
      {"TW", {"档", "转", "设", "为", "这", "图", "选", "择", "说", "载", "关", "来"}}};
  for (const auto& [code, avoid] : foreign) {
    const Table t = Parse(code);
    for (const auto& [n, english] : en.texts) {
      const std::string& text = t.texts.at(n);
      EXPECT_EQ(Placeholders(text), Placeholders(english)) << code << " text " << n;
      if (english.empty()) {
        EXPECT_EQ(text, "") << code << " text " << n << " stays empty";
        continue;
      }
      EXPECT_TRUE(HasNonAscii(text)) << code << " text " << n << " left in English: " << text;
      for (const std::string& c : avoid)
        EXPECT_EQ(text.find(c), std::string::npos) << code << " text " << n << " holds " << c;
    }
  }
}

TEST(ConverterLanguageTables, BrandInChineseAndPlaceholdersKeptAlike) {
  EXPECT_EQ(Parse("GB").texts.at(118), "芬窝博客欢迎您");
  EXPECT_EQ(Parse("TW").texts.at(118), "芬窩部落格歡迎您");
  for (const char* code : {"EN", "GB", "TW"}) {
    const Table t = Parse(code);
    EXPECT_NE(t.texts.at(112).find("Merrowin"), std::string::npos) << code;
    EXPECT_NE(t.texts.at(137).find("merrowin@fenwo.example.org"), std::string::npos) << code;
    EXPECT_NE(t.texts.at(137).find("https://fenwo.example.org/"), std::string::npos) << code;
  }
}

TEST(ConverterResources, NamesAndTypesCompareWithoutCaseAndMissingOnesFail) {
  EXPECT_EQ(vb::LoadResData("tw", "Custom"), vb::LoadResData("TW", "CUSTOM"));
  const std::string src = testsupport::readFile(testsupport::sourceDir() + "/converter/res/GB");
  const auto gb = vb::LoadResData("gb", "custom");
  EXPECT_EQ(std::string(gb.begin(), gb.end()), src);
  for (const auto& [name, type] : std::vector<std::pair<std::string, std::string>>{
           {"DE", "CUSTOM"}, {"", "CUSTOM"}, {"EN", "BITMAP"}, {"../CUSTOM/EN", "CUSTOM"}}) {
    EXPECT_THROW(vb::LoadResData(name, type), vb::ResourceNotFound) << name << " " << type;
  }
}

}  // namespace

namespace {

// The skin as built into the program: every picture loads at its design size.
TEST(ConverterSkin, PicturesLoadAtTheirDesignSizes) {
  const std::vector<std::tuple<std::string, int, int>> pictures = {
      {"main.gif", 460, 340},     {"options.gif", 640, 420},   {"splash.bmp", 360, 200},
      {"banner.gif", 436, 26},    {"progress.gif", 300, 28},   {"track.gif", 384, 10},
      {"thumb.gif", 12, 18},      {"play.gif", 28, 28},        {"pause.gif", 28, 28},
      {"backward.gif", 28, 28},   {"forward.gif", 28, 28},     {"bigscreen.gif", 28, 28},
      {"embedded.gif", 28, 28},   {"capture.gif", 28, 28},     {"capture_stop.gif", 28, 28},
      {"mark.gif", 76, 24},       {"markdel.gif", 24, 24},     {"minus.gif", 20, 20},
      {"plus.gif", 20, 20},       {"reset.gif", 20, 20},       {"voldown.gif", 20, 20},
      {"volup.gif", 20, 20}};
  for (const auto& [file, w, h] : pictures) {
    const QImage img(QString::fromStdString(":/skin/" + file));
    EXPECT_EQ(img.size(), QSize(w, h)) << file;
  }
  const std::vector<std::tuple<std::string, std::string, int, int>> buttons = {
      {"btn", "gif", 120, 34}, {"small", "gif", 56, 20}, {"encode", "gif", 120, 36},
      {"stop", "gif", 120, 36}, {"dlg", "gif", 90, 28}, {"ok", "gif", 90, 28},
      {"shot", "jpg", 28, 28}};
  for (const auto& [set, ext, w, h] : buttons)
    for (const char* face : {"normal", "down", "disabled", "over"}) {
      const std::string file = set + "_" + face + "." + ext;
      EXPECT_EQ(QImage(QString::fromStdString(":/skin/" + file)).size(), QSize(w, h)) << file;
    }
  EXPECT_EQ(testsupport::readFile(testsupport::sourceDir() + "/converter/skin/hand.cur"),
            testsupport::readFile(testsupport::sourceDir() + "/viewer/res/harrow.cur"));
}

// Pure white is a see-through colour: around the picture areas' glyphs and the splash's card,
// and nowhere inside the card, where it would punch holes.
TEST(ConverterSkin, WhiteIsSeeThroughOnlyWhereMeant) {
  const QRgb white = qRgb(255, 255, 255);
  for (const char* icon : {"play", "pause", "backward", "forward", "bigscreen", "embedded",
                           "capture", "capture_stop", "mark", "markdel", "minus", "plus",
                           "reset", "voldown", "volup"}) {
    const QImage img(QString(":/skin/%1.gif").arg(icon));
    ASSERT_FALSE(img.isNull()) << icon;
    EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, white & 0xFFFFFF) << icon;
    EXPECT_EQ(img.pixel(img.width() - 1, img.height() - 1) & 0xFFFFFF, white & 0xFFFFFF)
        << icon;
  }
  const QImage splash(":/skin/splash.bmp");
  ASSERT_FALSE(splash.isNull());
  EXPECT_EQ(splash.pixel(0, 0) & 0xFFFFFF, white & 0xFFFFFF);
  EXPECT_EQ(splash.pixel(359, 199) & 0xFFFFFF, white & 0xFFFFFF);
  int holes = 0;
  for (int y = 14; y < 186; ++y)
    for (int x = 0; x < 360; ++x) holes += (splash.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
  EXPECT_EQ(holes, 0);
}

}  // namespace
