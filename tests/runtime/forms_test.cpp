// labels: gui
#include "runtime/forms.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

#include "runtime/events.h"
#include "runtime/qt.h"
#include "support/paths.h"

namespace {

const char* kDesign = R"(
' a small window
Begin VB.Form frmTest
  Caption = "Test window"
  ScaleMode = 3
  ClientWidth = 200
  ClientHeight = 100
  BackColor = &H00112233&
  Begin VB.Label lblButton
    Index = 0
    Left = 10
    Top = 5
    Width = 20
    Height = 10
    Caption = "&Zero"
    Tag = "first"
  End
  Begin VB.Label lblButton
    Index = 2
    Left = 40
    Top = 5
    Width = 20
    Height = 10
  End
  Begin VB.Label lblButton
    Index = 1
    Left = 70
    Top = 5
    Width = 20
    Height = 10
  End
  Begin VB.PictureBox picBox
    Left = 10
    Top = 20
    Width = 100
    Height = 50
    BorderStyle = 0
    ScaleMode = 1
    Begin VB.Label lblInside
      Left = 150
      Top = 300
      Width = 300
      Height = 150
      Caption = "He said ""hi"""
      BeginProperty Font
        Name = "Arial"
        Size = 12
        Bold = -1
      EndProperty
    End
  End
  Begin VB.TextBox txtField
    Left = 10
    Top = 75
    Width = 80
    Height = 20
    Text = "12"
  End
  Begin VB.Timer tmrTick
    Interval = 20
    Enabled = 0
  End
  Begin VB.Menu mnuPop
    Caption = "Pop"
    Visible = 0
    Begin VB.Menu mnuItem
      Caption = "Item"
      Checked = -1
    End
    Begin VB.Menu mnuSep
      Caption = "-"
    End
  End
End
)";

struct TestForm : vb::Form {
  TestForm() { LoadDesignText(kDesign); }
};

TEST(Forms, DesignTextMakesTheControls) {
  TestForm f;
  EXPECT_EQ(f.Caption(), "Test window");
  EXPECT_EQ(f.ScaleMode(), vb::vbPixels);
  EXPECT_FLOAT_EQ(f.ScaleWidth(), 200);
  EXPECT_FLOAT_EQ(f.ScaleHeight(), 100);
  EXPECT_EQ(f.BackColor(), 0x112233);

  auto& zero = f.Ctl<vb::Label>("lblButton", 0);
  EXPECT_EQ(zero.Caption(), "&Zero");
  EXPECT_EQ(zero.Tag(), "first");
  EXPECT_FLOAT_EQ(zero.Left(), 10);
  EXPECT_FLOAT_EQ(zero.Width(), 20);

  // Elements in Index order, whatever the design order.
  auto arr = f.Arr<vb::Label>("lblButton");
  EXPECT_EQ(arr.Count(), 3);
  EXPECT_EQ(arr.UBound(), 2);
  std::vector<int> order;
  for (vb::Label* l : arr) order.push_back(l->Index());
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  EXPECT_FLOAT_EQ(arr(2).Left(), 40);

  // Positions inside the picture box are in its own scale (twips here).
  auto& inside = f.Ctl<vb::Label>("lblInside");
  EXPECT_EQ(inside.Caption(), "He said \"hi\"");
  EXPECT_FLOAT_EQ(inside.Left(), 150);
  EXPECT_EQ(inside.Widget()->x(), 150 / vb::Screen::TwipsPerPixelX());
  EXPECT_EQ(inside.Font().Name, "Arial");
  EXPECT_TRUE(inside.Font().Bold);

  EXPECT_EQ(f.Ctl<vb::TextBox>("txtField").Text(), "12");
  EXPECT_THROW(f.Ctl("nothing"), vb::Error);
  EXPECT_THROW(f.Ctl<vb::TextBox>("picBox"), vb::Error);
  EXPECT_THROW(f.Arr<vb::Label>("lblButton")(5), vb::Error);
}

TEST(Forms, ClickAndKeyPressReachTheHandlers) {
  TestForm f;
  f.Show();
  auto& lbl = f.Ctl<vb::Label>("lblButton", 1);
  int clicked = 0;
  lbl.Click = [&] { ++clicked; };
  QTest::mouseClick(lbl.Widget(), Qt::LeftButton);
  EXPECT_EQ(clicked, 1);

  auto& txt = f.Ctl<vb::TextBox>("txtField");
  txt.Text("");
  txt.KeyPress = [](int& KeyAscii) {
    if (KeyAscii < '0' || KeyAscii > '9') KeyAscii = 0;  // digits only
  };
  txt.SetFocus();
  QTest::keyClicks(txt.Widget(), "a1b2");
  EXPECT_EQ(txt.Text(), "12");
  vb::Unload(f);
}

TEST(Forms, TimerRunsWhileEnabled) {
  TestForm f;
  auto& t = f.Ctl<vb::TimerControl>("tmrTick");
  int ticks = 0;
  t.Timer = [&] {
    if (++ticks == 2) t.Enabled(false);
  };
  vb::DoEvents();
  EXPECT_EQ(ticks, 0);
  t.Enabled(true);
  QTest::qWait(200);
  EXPECT_EQ(ticks, 2);
}

TEST(Forms, PictureLoaderRefusesPng) {
  const std::string dir = testsupport::media("pictures");
  EXPECT_THROW(
      {
        try {
          vb::LoadPicture(testsupport::media("pictures/png/p1.png"));
        } catch (const vb::Error& e) {
          EXPECT_EQ(e.Number, vb::vbErrInvalidPicture);
          throw;
        }
      },
      vb::Error);
  EXPECT_TRUE(vb::LoadPicture("").IsNothing());
}

}  // namespace
