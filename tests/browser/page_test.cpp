// labels: unit
// Reading the picture page given to Navigate.
#include "browser/page.h"

#include <gtest/gtest.h>

namespace {

std::string ViewerPage(const std::string& bg, const std::string& src) {
  return "about:<html><style>body{border:0}</style><body bgcolor=" + bg +
         " leftMargin=0 topMargin=0 scroll=no oncontextmenu='return false' "
         "onselectstart='return false' ondragstart='return false' onerror='return true'>"
         "<img src=\"" + src + "\" border=0></img></body></html>";
}

TEST(Page, ViewerPagesGiveColourAndPath) {
  struct Case {
    std::string bg, sent, path;
  } cases[] = {
      {"black", "/pics/a.gif", "/pics/a.gif"},
      {"white", "/pics/100%25 sure/p%2525.png", "/pics/100% sure/p%25.png"},
      {"black", "/pics/#1/a#b.jpg", "/pics/#1/a#b.jpg"},
      {"white", "/pics/it's <new>.bmp", "/pics/it's <new>.bmp"},
      {"black", "/pics/say \"hi\".gif", "/pics/say \"hi\".gif"},
      {"black", "/pics/%zz%4.gif", "/pics/%zz%4.gif"},
  };
  for (const auto& c : cases) {
    const auto page = browser::ParsePage(ViewerPage(c.bg, c.sent));
    ASSERT_TRUE(page) << c.sent;
    EXPECT_EQ(page->bgcolor, c.bg);
    ASSERT_TRUE(page->src) << c.sent;
    EXPECT_EQ(*page->src, c.path);
  }
}

TEST(Page, OtherAddressesAndPagesWithoutPicture) {
  EXPECT_FALSE(browser::ParsePage("/pics/a.gif"));
  EXPECT_FALSE(browser::ParsePage("http://example.org/"));
  const auto blank = browser::ParsePage("about:blank");
  ASSERT_TRUE(blank);
  EXPECT_FALSE(blank->src);
  const auto noBody = browser::ParsePage("ABOUT:<IMG SRC='/x.png'>");
  ASSERT_TRUE(noBody);
  EXPECT_EQ(noBody->bgcolor, "");
  EXPECT_EQ(noBody->src.value_or("?"), "/x.png");
}

TEST(Page, Colours) {
  EXPECT_EQ(browser::ParseColour("black"), 0x000000u);
  EXPECT_EQ(browser::ParseColour("White"), 0xFFFFFFu);
  EXPECT_EQ(browser::ParseColour("#102030"), 0x102030u);
  EXPECT_EQ(browser::ParseColour("a0b0c0"), 0xA0B0C0u);
  EXPECT_EQ(browser::ParseColour(""), 0xFFFFFFu);
  EXPECT_EQ(browser::ParseColour("#12345z"), 0xFFFFFFu);
}

}  // namespace
