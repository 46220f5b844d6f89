// labels: gui
#include "controls/TransArea.h"

#include <gtest/gtest.h>

#include "controls/ImageButton.h"
#include "controls/TestHost.h"

using zantiro::TransArea;

namespace {

using Strings = std::vector<std::string>;

// A window whose picture is red on the left half and blue on the right, with an area of
// 12 x 10 without border or caption at 10, 20.
struct Fixture {
  testhost::Window w{R"(
  Begin TransArea lblPlay
    Left = 10
    Top = 20
    Width = 12
    Height = 10
    BorderStyle = 0
    Caption = ""
    BackColor = &H0000FF00&
  End
)" + std::string(testhost::kAway)};
  TransArea& area = w.Ctl<TransArea>("lblPlay");
  testhost::EventLog log;
  testhost::Pointer pointer;

  Fixture() {
    w.Picture(testhost::MakePicture(300, 200, [](int x, int) { return x < 150 ? vb::vbRed : vb::vbBlue; }));
    log.Hook(area);
    w.ShowNow();
    QTest::mouseMove(w.Ctl("lblAway").Widget(), QPoint(1, 1));  // the pointer starts off the area
  }
  QImage Shown() const { return testhost::ImageOf(area); }
  QWidget* Surface() const { return area.ClientWidget(); }
  std::vector<std::string> Events() const { return log.WithoutMoves(); }
};

// A 4 x 3 glyph: white where x is even, black where it is odd.
vb::StdPicture Glyph() {
  return testhost::MakePicture(4, 3, [](int x, int) { return x % 2 ? vb::vbBlack : vb::vbWhite; });
}

}  // namespace

TEST(TransAreaDrawing, OverlayAndMaskRule) {
  // Columns 0 to 3 hold the glyph (white, black, white, black); column 6 lies outside it.
  struct Case {
    int32_t backStyle;
    bool maskColorUse;
    int32_t maskColor;
    int32_t col0, col1, col6;
  };
  const int32_t kFace = static_cast<int32_t>(0x8000000F);
  const int32_t faceColor = [] {
    const QColor c = vb::ColorOf(static_cast<int32_t>(0x8000000F));
    return vb::RGB(c.red(), c.green(), c.blue());
  }();
  const Case cases[] = {
      // The parent's picture only.
      {0, true, vb::vbWhite, vb::vbRed, vb::vbRed, vb::vbRed},
      // White left out: the parent shows through the glyph's white and around it.
      {1, true, vb::vbWhite, vb::vbRed, vb::vbBlack, vb::vbRed},
      // Nothing left out: the glyph whole, and the mask colour around it.
      {1, false, vb::vbWhite, vb::vbWhite, vb::vbBlack, vb::vbWhite},
      // Black as the mask colour.
      {1, true, vb::vbBlack, vb::vbWhite, vb::vbRed, vb::vbRed},
      // A system colour never equals a point's colour: nothing is left out.
      {1, true, kFace, vb::vbWhite, vb::vbBlack, faceColor},
  };
  Fixture f;
  f.area.Picture(Glyph());
  for (const Case& c : cases) {
    f.area.MaskColor(c.maskColor);
    f.area.MaskColorUse(c.maskColorUse);
    f.area.BackStyle(c.backStyle);
    const QImage img = f.Shown();
    SCOPED_TRACE(testing::Message() << "BackStyle " << c.backStyle << " MaskColorUse "
                                    << c.maskColorUse << " MaskColor " << c.maskColor);
    EXPECT_EQ(testhost::ColorAt(img, 0, 0), c.col0);
    EXPECT_EQ(testhost::ColorAt(img, 1, 2), c.col1);
    EXPECT_EQ(testhost::ColorAt(img, 6, 1), c.col6);
    EXPECT_EQ(testhost::ColorAt(img, 11, 9), c.col6);
  }
}

TEST(TransAreaDrawing, WithoutPictureShowsTheBackColour) {
  Fixture f;
  f.area.BackStyle(1);
  EXPECT_EQ(testhost::ColorAt(f.Shown(), 0, 0), vb::vbGreen);
  EXPECT_EQ(testhost::ColorAt(f.Shown(), 11, 9), vb::vbGreen);
}

TEST(TransAreaDrawing, CopiesTheParentUnderItsCurrentPlace) {
  Fixture f;
  EXPECT_EQ(testhost::ColorAt(f.Shown(), 5, 5), vb::vbRed);
  f.area.Move(200, 20);
  f.area.Caption("");  // a redraw
  EXPECT_EQ(testhost::ColorAt(f.Shown(), 5, 5), vb::vbBlue);
  // Straddling the edge of the two halves: 145 + 5 is the first blue column.
  f.area.Move(145, 20);
  f.area.ShiftX_Caption(0);
  EXPECT_EQ(testhost::ColorAt(f.Shown(), 4, 5), vb::vbRed);
  EXPECT_EQ(testhost::ColorAt(f.Shown(), 5, 5), vb::vbBlue);
}

TEST(TransAreaDrawing, WithoutAParentShowsBackColourAndCaption) {
  testhost::Window host("");
  vb::PropertyBag design;
  design.SetRaw("BorderStyle", "0");
  design.SetRaw("BackColor", "&H0000FF00&");
  design.SetRaw("Caption", "Mark");
  vb::ControlSite site{host, host, host.ClientWidget(), "TransArea", "lblMark", -1, design};
  TransArea area(site);
  area.ReadDesign(design);
  area.Move(0, 0.0f, 60, 30);
  area.Caption("Mark");  // a redraw at the new size (the hidden area gets no resize yet)
  const QImage img = testhost::ImageOf(area);
  EXPECT_EQ(testhost::ColorAt(img, 0, 0), vb::vbGreen);
  int ink = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) ink += testhost::ColorAt(img, x, y) != vb::vbGreen;
  EXPECT_GT(ink, 0);
}

TEST(TransAreaDrawing, CaptionDrawnOverThePictureAndRemovedByTheNextRedraw) {
  Fixture f;
  f.area.Move(10, 20, 80, 40);
  f.area.ForeColor(vb::vbWhite);
  f.area.Caption("Mark\r\nMark");
  const QImage withCaption = f.Shown();
  QRect box;
  for (int y = 0; y < withCaption.height(); ++y)
    for (int x = 0; x < withCaption.width(); ++x)
      if (testhost::ColorAt(withCaption, x, y) != vb::vbRed) box |= QRect(x, y, 1, 1);
  ASSERT_FALSE(box.isEmpty());
  EXPECT_NEAR(box.center().x(), 40, 2);
  EXPECT_NEAR(box.center().y(), 20, 3);
  // The background picture holds the parent's copy only.
  const QImage background = vb::ImageOf(static_cast<vb::Container&>(f.area).Picture());
  ASSERT_EQ(background.size(), QSize(80, 40));
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 80; ++x) ASSERT_EQ(testhost::ColorAt(background, x, y), vb::vbRed);
  f.area.Caption("");
  EXPECT_EQ(f.Shown(), background.convertToFormat(QImage::Format_RGB32));
}

TEST(TransAreaInput, ClickComesBetweenDownAndUpForTheLeftButtonOnly) {
  Fixture f;
  f.pointer.Over(f.Surface());
  QTest::mouseClick(f.Surface(), Qt::LeftButton, {}, QPoint(3, 3));
  QTest::mouseClick(f.Surface(), Qt::RightButton, {}, QPoint(3, 3));
  Strings noHover;
  for (const auto& e : f.Events())
    if (e != "MouseEnter") noHover.push_back(e);
  EXPECT_EQ(noHover, (Strings{"MouseDown(1)", "Click", "MouseUp(1)", "MouseDown(2)", "MouseUp(2)"}));
}

TEST(TransAreaInput, HoverEntersOnceAndLeavesWhenThePointerIsElsewhere) {
  Fixture f;
  f.pointer.Over(f.Surface());
  QTest::mouseMove(f.Surface(), QPoint(2, 2));
  QTest::mouseMove(f.Surface(), QPoint(4, 4));
  EXPECT_EQ(f.Events(), Strings{"MouseEnter"});
  EXPECT_EQ(f.log.names.front(), "MouseMove(0)");
  QTest::qWait(450);
  EXPECT_EQ(f.Events(), Strings{"MouseEnter"});
  f.pointer.Over(f.w.Ctl("lblAway").Widget());
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.Events().size() == 2; }));
  EXPECT_EQ(f.Events().back(), "MouseLeave");
  QTest::mouseMove(f.Surface(), QPoint(5, 5));
  EXPECT_EQ(f.Events().back(), "MouseEnter");
}

TEST(TransAreaInput, DesignModeRaisesNoClickAndNoHover) {
  Fixture f;
  f.area.SetUserMode(false);
  f.pointer.Over(f.Surface());
  QTest::mouseMove(f.Surface(), QPoint(6, 6));
  QTest::mouseClick(f.Surface(), Qt::LeftButton, {}, QPoint(6, 6));
  EXPECT_EQ(f.Events(), (Strings{"MouseDown(1)", "MouseUp(1)"}));
}

TEST(TransAreaSettings, DefaultsAndRoundTrip) {
  testhost::Window w("  Begin TransArea lblPlain\n  End\n");
  auto& plain = w.Ctl<TransArea>("lblPlain");
  EXPECT_EQ(plain.Caption(), "TransArea");
  EXPECT_EQ(plain.BorderStyle(), 1);
  EXPECT_EQ(plain.BackStyle(), 0);
  EXPECT_FALSE(plain.MaskColorUse());
  EXPECT_EQ(plain.MaskColor(), vb::vbWhite);
  EXPECT_EQ(plain.BackColor(), static_cast<int32_t>(0x8000000F));
  EXPECT_EQ(plain.ForeColor(), static_cast<int32_t>(0x80000008));
  EXPECT_EQ(plain.OLEDropMode(), 0);
  EXPECT_FALSE(plain.Picture() || plain.MouseIcon());
  vb::PropertyBag none;
  plain.WriteProperties(none);
  EXPECT_TRUE(none.Keys().empty());

  testhost::Window w2(R"(
  Begin TransArea lblVol
    Index = 1
    Width = 20
    Height = 20
    BorderStyle = 0
    BackStyle = 1
    MaskColorUse = -1
    MaskColor = &H00000000&
    ForeColor = &H00E7DED9&
    OLEDropMode = 1
    Caption = "Vol"
    ShiftX_Caption = 2
    ShiftY_Caption = -1
    Picture = "volup.gif"
    MouseIcon = "hand.cur"
  End
)");
  auto& vol = w2.Ctl<TransArea>("lblVol", 1);
  vb::PropertyBag out;
  vol.WriteProperties(out);
  EXPECT_EQ(out.Keys(), (Strings{"BorderStyle", "BackStyle", "MaskColorUse", "MaskColor",
                                 "ForeColor", "OLEDropMode", "Caption", "ShiftX_Caption",
                                 "ShiftY_Caption", "Picture", "MouseIcon"}));
  plain.ReadProperties(out);
  vb::PropertyBag again;
  plain.WriteProperties(again);
  EXPECT_EQ(again.Keys(), out.Keys());
  for (const std::string& k : out.Keys()) EXPECT_EQ(again.Raw(k), out.Raw(k)) << k;
  EXPECT_EQ(plain.Picture().PixelWidth(), vol.Picture().PixelWidth());
}

TEST(TransAreaSettings, UnreadableKeysAreSkipped) {
  testhost::Window w(R"(
  Begin TransArea lblBad
    BackStyle = "high"
    MaskColorUse = -1
    Picture = "no-such-file.gif"
    Caption = "Still"
  End
)");
  auto& a = w.Ctl<TransArea>("lblBad");
  EXPECT_EQ(a.BackStyle(), 0);
  EXPECT_TRUE(a.MaskColorUse());
  EXPECT_FALSE(a.Picture());
  EXPECT_EQ(a.Caption(), "Still");
}

TEST(TransAreaSettings, SettersNotifyByKey) {
  Fixture f;
  Strings changed;
  f.area.PropertyChangedNotify = [&](const std::string& key) { changed.push_back(key); };
  f.area.BackStyle(1);
  f.area.MaskColor(0);
  f.area.SetToolTip("Play");
  f.area.OLEDropMode(1);
  EXPECT_EQ(changed, (Strings{"BackStyle", "MaskColor", "OLEDropMode"}));
  EXPECT_EQ(f.area.ToolTipText(), "Play");
}
