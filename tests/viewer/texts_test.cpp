// labels: unit
// Texts the viewer makes without its window: the picture path from its command line, the page
// that shows a picture, its language table.
#include <gtest/gtest.h>

#include "runtime/resources.h"
#include "viewer/frmMain.h"
#include "viewer/mdlLumtak.h"

namespace {

TEST(ViewerCommandLine, TakesOnePathQuotedOrWhole) {
  struct Case { const char* command; const char* path; };
  const Case cases[] = {
      {"", ""},
      {"   ", ""},
      {"/tmp/a.gif", "/tmp/a.gif"},
      {"  /tmp/a.gif  ", "/tmp/a.gif"},
      {"\"/tmp/my pics/a b.gif\"", "/tmp/my pics/a b.gif"},
      {"\"/tmp/my pics/a b.gif\" --more \"x y\"", "/tmp/my pics/a b.gif"},
      {"\" /tmp/a.gif \"", "/tmp/a.gif"},
      {"/tmp/my pics/a b.gif", "/tmp/my pics/a b.gif"},
      {"/tmp/a.gif \"quoted word\"", "/tmp/a.gif"},
      {"/tmp/my pics/a.gif \"x\"", "/tmp/my"},
      {"\"/tmp/no closing quote.gif", ""},
      {"/tmp/a\"b.gif", "/tmp/ab.gif"},
  };
  for (const Case& c : cases) EXPECT_EQ(lumtak::PicPathFromCommand(c.command), c.path) << c.command;
}

TEST(ViewerPage, OneImageOnABlackOrWhitePageWithOnlyPercentEscaped) {
  const std::string tail = " leftMargin=0 topMargin=0 scroll=no oncontextmenu='return false' "
                           "onselectstart='return false' ondragstart='return false' "
                           "onerror='return true'><img src=\"";
  EXPECT_EQ(lumtak::PicturePage("/p/100% #1 & <b>.gif", 0),
            "about:<html><style>body{border:0}</style><body bgcolor=black" + tail +
                "/p/100%25 #1 & <b>.gif\" border=0></img></body></html>");
  // Any colour but black gives a white page.
  for (int32_t colour : {0xFFFFFF, 1, 0x808080})
    EXPECT_EQ(lumtak::PicturePage("/a%%.gif", colour),
              "about:<html><style>body{border:0}</style><body bgcolor=white" + tail +
                  "/a%25%25.gif\" border=0></img></body></html>");
}

TEST(ViewerZoomStep, FivePercentOfTheWidthBetweenFourAndTenPixels) {
  EXPECT_FLOAT_EQ(lumtak::ZoomStep(100), 5);
  EXPECT_FLOAT_EQ(lumtak::ZoomStep(50), 4);
  EXPECT_FLOAT_EQ(lumtak::ZoomStep(1), 4);
  EXPECT_FLOAT_EQ(lumtak::ZoomStep(1000), 10);
  EXPECT_FLOAT_EQ(lumtak::ZoomStep(190), 9.5f);
}

TEST(ViewerLanguage, TablesFillTheirSlotsWithLineBreaksMade) {
  using mdlLumtak::LngText;
  LngText.fill("");
  mdlLumtak::LoadLngText("tw");
  EXPECT_EQ(LngText[16], "無法播放此檔案");
  mdlLumtak::LoadLngText("EN");
  EXPECT_EQ(LngText[0], "");
  EXPECT_EQ(LngText[16], "Unable to play this file");
  EXPECT_EQ(LngText[40], "Download ");
  EXPECT_EQ(LngText[12], "");
  EXPECT_EQ(LngText[45].substr(0, 62),
            "If you want to advertise to cooperate in the software, or to\r\n");
  EXPECT_NE(LngText[45].find("E-Mail me\r\n\r\nPress \"OK\""), std::string::npos);
  // No resource of that name: nothing changes.
  EXPECT_THROW(mdlLumtak::LoadLngText("xx"), vb::ResourceNotFound);
  EXPECT_THROW(mdlLumtak::LoadLngText(""), vb::ResourceNotFound);
  EXPECT_EQ(LngText[16], "Unable to play this file");
}

}  // namespace
