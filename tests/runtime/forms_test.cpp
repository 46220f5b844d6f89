// labels: gui
#include "runtime/forms.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

#include "platform/window.h"
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
  EXPECT_EQ(static_cast<QLabel*>(zero.Widget())->text(), "Zero");  // the mnemonic mark is not shown
  zero.Caption("a && b\r\nc");
  EXPECT_EQ(static_cast<QLabel*>(zero.Widget())->text(), "a & b\nc");
  zero.Caption("&Zero");
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
  int clicked = 0, formDown = 0, labelDown = 0;
  lbl.Click = [&] { ++clicked; };
  lbl.MouseDown = [&](int, int, float, float) { ++labelDown; };
  f.MouseDown = [&](int, int, float, float) { ++formDown; };
  QTest::mouseClick(lbl.Widget(), Qt::LeftButton);
  EXPECT_EQ(clicked, 1);
  EXPECT_EQ(labelDown, 1);
  EXPECT_EQ(formDown, 0);  // the form hears only presses on itself
  QTest::mouseClick(f.ClientWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 90));
  EXPECT_EQ(formDown, 1);
  // A disabled window hears nothing, and keeps its controls' own state.
  f.Enabled(false);
  QTest::mouseClick(lbl.Widget(), Qt::LeftButton);
  EXPECT_EQ(clicked, 1);
  EXPECT_TRUE(lbl.Widget()->isEnabled());
  f.Enabled(true);
  QTest::mouseClick(lbl.Widget(), Qt::LeftButton);
  EXPECT_EQ(clicked, 2);

  auto& txt = f.Ctl<vb::TextBox>("txtField");
  txt.Text("");
  txt.KeyPress = [](int& KeyAscii) {
    if (KeyAscii < '0' || KeyAscii > '9') KeyAscii = 0;  // digits only
  };
  txt.SetFocus();
  QTest::keyClicks(txt.Widget(), "a1b2");
  EXPECT_EQ(txt.Text(), "12");
  // A handler may type another character in place of the one pressed.
  int calls = 0;
  txt.KeyPress = [&](int& KeyAscii) {
    ++calls;
    if (KeyAscii >= 'a' && KeyAscii <= 'y') ++KeyAscii;
  };
  QTest::keyClicks(txt.Widget(), "ab");
  EXPECT_EQ(txt.Text(), "12bc");
  EXPECT_EQ(calls, 2);
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
  ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 2; }, 10000));
  QTest::qWait(100);  // five more intervals: the timer stays off
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

namespace {

TEST(Forms, ScaleModesAndTwips) {
  const int tpp = vb::Screen::TwipsPerPixelX();
  ASSERT_GT(tpp, 0);
  vb::Form f;
  f.LoadDesignText(R"(Begin Form frmScale
  ClientWidth = 3000
  ClientHeight = 1500
  Begin PictureBox picPlain
    Left = 150
    Top = 300
    Width = 600
    Height = 450
    BorderStyle = 0
  End
  Begin PictureBox picFramed
    Width = 600
    Height = 450
  End
End)");
  // The form works in twips (the default): its inner size and its controls' places.
  EXPECT_FLOAT_EQ(f.ScaleWidth(), static_cast<float>(3000 / tpp * tpp));
  auto& plain = f.Ctl<vb::PictureBox>("picPlain");
  EXPECT_EQ(plain.Widget()->geometry(), QRect(150 / tpp, 300 / tpp, 600 / tpp, 450 / tpp));
  EXPECT_FLOAT_EQ(plain.Left(), static_cast<float>(150 / tpp * tpp));

  // A borderless box: outer and inner size agree; in pixels the inner size is whole pixels.
  EXPECT_FLOAT_EQ(plain.Height(), plain.ScaleHeight());
  plain.ScaleMode(vb::vbPixels);
  EXPECT_FLOAT_EQ(plain.ScaleWidth(), static_cast<float>(600 / tpp));
  EXPECT_FLOAT_EQ(plain.ScaleX(1, vb::vbPixels, vb::vbTwips), static_cast<float>(tpp));
  EXPECT_FLOAT_EQ(plain.ScaleX(1440, vb::vbTwips, vb::vbInches), 1.0f);
  // A framed box is larger outside than inside.
  auto& framed = f.Ctl<vb::PictureBox>("picFramed");
  EXPECT_GT(framed.Height(), framed.ScaleHeight());

  // A user scale: ScaleWidth and ScaleHeight set the units; controls follow.
  plain.ScaleWidth(1000);
  EXPECT_EQ(plain.ScaleMode(), vb::vbUser);
  EXPECT_FLOAT_EQ(plain.ScaleWidth(), 1000);
  EXPECT_NEAR(plain.UnitsPerPixelX(), 1000.0 / plain.ClientWidget()->width(), 1e-9);

  // The form's own place and size are in twips of the screen.
  f.Move(1500.0f, 750.0f, 4500.0f, 3000.0f);
  EXPECT_FLOAT_EQ(f.Width(), static_cast<float>(15 * 300 / tpp * tpp));
  EXPECT_THROW(f.ScaleMode(9), vb::Error);
}

TEST(Forms, AnAutoSizedBoxTakesTheSizeOfEachNewPicture) {
  vb::Form f;
  f.LoadDesignText(R"(Begin Form frmFit
  Begin PictureBox picFit
    ScaleMode = 3
    AutoSize = -1
    Width = 240
    Height = 240
  End
End)");
  auto& box = f.Ctl<vb::PictureBox>("picFit");
  box.Picture(vb::LoadPicture(testsupport::media("pictures/gif/p1.gif")));
  EXPECT_FLOAT_EQ(box.ScaleWidth(), 120);
  EXPECT_FLOAT_EQ(box.ScaleHeight(), 90);
  box.Picture(vb::LoadPicture(testsupport::media("static.gif")));
  EXPECT_FLOAT_EQ(box.ScaleWidth(), 160);
  EXPECT_FLOAT_EQ(box.ScaleHeight(), 120);
}

// Qt tells a hidden window's widgets of a new size only when it shows them; a box answers
// its new inner size (and draws at it) at once, never shown or hidden again.
TEST(Forms, AHiddenBoxAnswersItsNewSizeAtOnce) {
  vb::Form f;
  f.LoadDesignText(R"(Begin Form frmHidden
  ScaleMode = 3
  ClientWidth = 300
  ClientHeight = 200
  Begin PictureBox picPlain
    ScaleMode = 3
    Width = 40
    Height = 30
    BorderStyle = 0
  End
  Begin PictureBox picFramed
    ScaleMode = 3
    Width = 40
    Height = 30
  End
End)");
  for (const bool shownBefore : {false, true}) {
    if (shownBefore) {
      f.Show();
      QApplication::processEvents();
      f.Hide();
    }
    for (const char* name : {"picPlain", "picFramed"}) {
      SCOPED_TRACE(std::string(name) + (shownBefore ? " after a show" : " never shown"));
      auto& box = f.Ctl<vb::PictureBox>(name);
      const int border = box.BorderStyle() ? 4 : 0;
      box.hDC();  // with a device context made at the old size
      box.Width(120);
      box.Height(90);
      EXPECT_FLOAT_EQ(box.ScaleWidth(), static_cast<float>(120 - border));
      EXPECT_FLOAT_EQ(box.ScaleHeight(), static_cast<float>(90 - border));
      EXPECT_EQ(vb::ImageOf(box.Image()).size(), QSize(120 - border, 90 - border));
      box.Move(10, 10, 50, 20);
      EXPECT_FLOAT_EQ(box.ScaleWidth(), static_cast<float>(50 - border));
      EXPECT_FLOAT_EQ(box.ScaleHeight(), static_cast<float>(20 - border));
      EXPECT_EQ(vb::ImageOf(box.Image()).size(), QSize(50 - border, 20 - border));
      box.Move(0, 0, 40, 30);
    }
  }
  vb::Unload(f);
}

TEST(Forms, PaintPictureImageAndDeviceContext) {
  vb::Form f;
  f.LoadDesignText(R"(Begin Form frmPaint
  ScaleMode = 3
  ClientWidth = 100
  ClientHeight = 100
  Begin PictureBox picDraw
    ScaleMode = 3
    Width = 40
    Height = 30
    BorderStyle = 0
    BackColor = &H000000FF&
  End
End)");
  auto& box = f.Ctl<vb::PictureBox>("picDraw");
  QImage blue(4, 4, QImage::Format_RGB32);
  blue.fill(QColor(0, 0, 255));
  const vb::StdPicture pic = vb::PictureFromImage(blue);
  EXPECT_EQ(pic.PixelWidth(), 4);

  // Stretched to 10 x 10 at 5, 5; the rest keeps the back colour (red).
  box.PaintPicture(pic, 5, 5, 10.0f, 10.0f);
  QImage img = vb::ImageOf(box.Image());
  ASSERT_EQ(img.size(), QSize(40, 30));
  EXPECT_EQ(QColor(img.pixel(6, 6)), QColor(0, 0, 255));
  EXPECT_EQ(QColor(img.pixel(14, 14)), QColor(0, 0, 255));
  EXPECT_EQ(QColor(img.pixel(15, 15)), QColor(255, 0, 0));
  EXPECT_EQ(QColor(img.pixel(0, 0)), QColor(255, 0, 0));

  // The device context draws into the same persistent image.
  const auto dc = box.hDC();
  ASSERT_NE(dc, 0);
  EXPECT_EQ(box.hDC(), dc);
  // Cls clears the drawing back to the back colour; the picture shows again.
  box.Cls();
  EXPECT_EQ(QColor(vb::ImageOf(box.Image()).pixel(6, 6)), QColor(255, 0, 0));
  box.Picture(pic);
  EXPECT_EQ(QColor(vb::ImageOf(box.Image()).pixel(1, 1)), QColor(0, 0, 255));
  EXPECT_EQ(QColor(vb::ImageOf(box.Image()).pixel(6, 6)), QColor(255, 0, 0));
  // The form's own picture can be a box's image (the window skins do this).
  f.Picture(box.Image());
  EXPECT_EQ(f.Picture().PixelWidth(), 40);
  EXPECT_THROW(box.PaintPicture(vb::StdPicture(), 0, 0), vb::Error);
}

TEST(Forms, DropsCarryFilesAndText) {
  vb::Form f;
  f.LoadDesignText(R"(Begin Form frmDrop
  Begin Image imgTitle
    Width = 600
    Height = 600
    OLEDropMode = 1
  End
  Begin Image imgDeaf
    Left = 900
    Width = 600
    Height = 600
  End
End)");
  f.Show();
  auto& img = f.Ctl<vb::Image>("imgTitle");
  std::vector<std::string> got;
  bool hasFiles = false, hasText = false;
  img.OLEDragDrop = [&](vb::DataObject& Data, int&, int, int, float, float) {
    hasFiles = Data.GetFormat(vb::vbCFFiles);
    hasText = Data.GetFormat(vb::vbCFText);
    for (int i = 1; i <= Data.FilesCount(); ++i) got.push_back(Data.Files(i));
    if (hasText) got.push_back(Data.GetData(vb::vbCFText));
  };
  auto drop = [&](QWidget* w, QMimeData& data) {
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &enter);
    const bool accepted = enter.isAccepted();
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &dropped);
    return accepted;
  };
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile("/tmp/a b.gif"), QUrl::fromLocalFile("/tmp/c.avi")});
  EXPECT_TRUE(drop(img.Widget(), files));
  EXPECT_TRUE(hasFiles);
  EXPECT_EQ(got, (std::vector<std::string>{"/tmp/a b.gif", "/tmp/c.avi"}));

  got.clear();
  QMimeData text;
  text.setText("/tmp/x.gif");
  drop(img.Widget(), text);
  EXPECT_FALSE(hasFiles);
  EXPECT_TRUE(hasText);
  EXPECT_EQ(got, (std::vector<std::string>{"/tmp/x.gif"}));

  // A control without drop mode takes no drops.
  got.clear();
  auto& deaf = f.Ctl<vb::Image>("imgDeaf");
  deaf.OLEDragDrop = img.OLEDragDrop;
  EXPECT_FALSE(drop(deaf.Widget(), text));
  EXPECT_TRUE(got.empty());
  vb::Unload(f);
}

TEST(Forms, PopupMenuUnderThePointer) {
  TestForm f;
  f.Show();
  auto& pop = f.Ctl<vb::Menu>("mnuPop");
  auto& item = f.Ctl<vb::Menu>("mnuItem");
  EXPECT_TRUE(f.Ctl<vb::Menu>("mnuSep").Action()->isSeparator());
  EXPECT_FALSE(pop.Visible());
  int clicks = 0;
  item.Click = [&] { ++clicks; };
  QPoint shownAt;
  win::SetCursorPosForTests([] { return win::POINT{300, 200}; });
  QTimer::singleShot(0, [&] {
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    shownAt = popup->pos();
    item.Action()->trigger();
    popup->close();
  });
  f.PopupMenu(pop);
  win::SetCursorPosForTests({});
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(shownAt, QPoint(300, 200));
  // A click leaves the tick to the program.
  EXPECT_TRUE(item.Checked());
  EXPECT_TRUE(item.Action()->isChecked());
  item.Checked(false);
  EXPECT_FALSE(item.Action()->isChecked());
  item.Enabled(false);
  EXPECT_FALSE(item.Action()->isEnabled());
  vb::Unload(f);
}

TEST(Forms, ModalShowWaitsAndKeepsItsOwner) {
  TestForm owner, dialog;
  owner.Show();
  bool shownModal = false, ownerSet = false;
  QTimer::singleShot(0, [&] {
    shownModal = dialog.Visible() && dialog.Widget()->isModal();
    ownerSet = dialog.Widget()->windowHandle()->transientParent() == owner.Widget()->windowHandle();
    dialog.Hide();
  });
  dialog.Show(vb::vbModal, &owner);
  EXPECT_TRUE(shownModal);
  EXPECT_TRUE(ownerSet);
  EXPECT_FALSE(dialog.Visible());
  EXPECT_EQ(dialog.Owner(), &owner);
  vb::Unload(owner);
}

TEST(Forms, LoadUnloadAndTheirEvents) {
  TestForm f;
  std::vector<std::string> events;
  int cancel = 1;
  f.Load = [&] { events.push_back("Load"); };
  f.QueryUnload = [&](int& Cancel, int mode) {
    events.push_back("QueryUnload " + std::to_string(mode));
    Cancel = cancel;
  };
  f.Unload = [&](int&) { events.push_back("Unload"); };
  f.Show();
  f.Show();
  EXPECT_FALSE(vb::Unload(f));  // cancelled: stays
  EXPECT_TRUE(f.Visible());
  cancel = 0;
  auto& t = f.Ctl<vb::TimerControl>("tmrTick");
  t.Enabled(true);
  EXPECT_TRUE(vb::Unload(f));
  EXPECT_FALSE(f.Visible());
  EXPECT_FALSE(f.Loaded());
  EXPECT_FALSE(t.Enabled());  // a window's timers end with it
  vb::Load(f);
  EXPECT_EQ(events, (std::vector<std::string>{"Load", "QueryUnload 1", "QueryUnload 1", "Unload", "Load"}));
  EXPECT_EQ(vb::Forms(), std::vector<vb::Form*>{&f});
  vb::Unload(f);
  EXPECT_TRUE(vb::Forms().empty());

  // Resize comes with the first show after each load, once, also at the size the window had.
  int resized = 0;
  f.Resize = [&] { ++resized; };
  for (int load = 1; load <= 2; ++load) {
    f.Show();
    QApplication::processEvents();
    f.Show();
    QApplication::processEvents();
    EXPECT_EQ(resized, load);
    vb::Unload(f);
  }
}

TEST(Forms, KeyPreviewSeesKeysFirst) {
  TestForm f;
  f.Show();
  auto& txt = f.Ctl<vb::TextBox>("txtField");
  txt.Text("");
  txt.SetFocus();
  std::vector<std::string> seen;
  f.KeyPreview(true);
  f.KeyDown = [&](int& KeyCode, int) {
    seen.push_back("form " + std::to_string(KeyCode));
    if (KeyCode == vb::vbKeyEscape) KeyCode = 0;
  };
  txt.KeyDown = [&](int& KeyCode, int) { seen.push_back("text " + std::to_string(KeyCode)); };
  QTest::keyClick(txt.Widget(), Qt::Key_A);
  QTest::keyClick(txt.Widget(), Qt::Key_Escape);
  EXPECT_EQ(seen, (std::vector<std::string>{"form 65", "text 65", "form 27"}));
  EXPECT_EQ(txt.Text(), "a");
  vb::Unload(f);
}

TEST(Forms, ControlArrayElementsLoadedAtRunTime) {
  TestForm f;
  auto& made = f.LoadElement("lblButton", 7);
  EXPECT_FALSE(made.Visible());
  EXPECT_EQ(f.Arr<vb::Label>("lblButton").UBound(), 7);
  EXPECT_FLOAT_EQ(made.Left(), f.Ctl("lblButton", 0).Left());  // a copy of the first element
  EXPECT_THROW(f.LoadElement("lblButton", 7), vb::Error);
  EXPECT_THROW(f.UnloadElement("lblButton", 0), vb::Error);  // made at design time
  f.UnloadElement("lblButton", 7);
  EXPECT_FALSE(f.Has("lblButton", 7));
}

TEST(Forms, DesignFileReadsPicturesBesideIt) {
  testsupport::TempDir dir;
  QImage img(3, 2, QImage::Format_RGB32);
  img.fill(Qt::green);
  ASSERT_TRUE(img.save(QString::fromStdString(dir.file("face.bmp")), "BMP"));
  testsupport::writeFile(dir.file("frmPic.txt"), "Begin Form frmPic\r\n  Picture = \"face.bmp\"\r\n"
                                                 "  Begin Image imgFace\r\n    Picture = \"face.bmp\"\r\n  End\r\nEnd\r\n");
  vb::Form f(dir.file("frmPic.txt"));
  EXPECT_EQ(f.Picture().PixelWidth(), 3);
  EXPECT_EQ(f.Ctl<vb::Image>("imgFace").Widget()->size(), QSize(3, 2));
  EXPECT_THROW(vb::Form(dir.file("none.txt")), vb::Error);
  vb::Form g;
  EXPECT_THROW(g.LoadDesignText("Begin Form x\n Begin Gadget y\n End\nEnd\n"), vb::Error);
  EXPECT_THROW(g.LoadDesignText("Begin Form x\n Caption = \"a\"\n"), vb::Error);
}

TEST(Pictures, LoaderReadsBmpJpegGifIconsByContent) {
  for (const char* name : {"bmp/p1.bmp", "jpg/p1.jpg", "gif/p1.gif"}) {
    SCOPED_TRACE(name);
    const vb::StdPicture p = vb::LoadPicture(testsupport::media(std::string("pictures/") + name));
    ASSERT_FALSE(p.IsNothing());
    EXPECT_EQ(p.Type(), vb::vbPicTypeBitmap);
    // Sizes in HiMetric: 2540 per inch.
    EXPECT_EQ(p.Width(), static_cast<int32_t>(p.PixelWidth() * vb::Screen::TwipsPerPixelX() * 2540.0 / 1440.0 + 0.5));
  }
  const vb::StdPicture cur = vb::LoadPicture(testsupport::sourceDir() + "/converter/skin/hand.cur");
  EXPECT_EQ(cur.Type(), vb::vbPicTypeIcon);
  EXPECT_THROW(vb::LoadPicture("/nonexistent/x.bmp"), vb::Error);
  // A PNG under another name is still refused: the content decides.
  testsupport::TempDir dir;
  testsupport::writeFile(dir.file("fake.bmp"), testsupport::readFile(testsupport::media("pictures/png/p1.png")));
  EXPECT_THROW(vb::LoadPicture(dir.file("fake.bmp")), vb::Error);
}

TEST(PropertyBag, ReadsWithDefaultsAndWritesOnlyWhatDiffers) {
  vb::PropertyBag bag;
  EXPECT_EQ(bag.ReadProperty("State", int32_t{3}), 3);
  bag.WriteProperty("State", int32_t{2}, int32_t{0});
  bag.WriteProperty("Caption", std::string("Go"), std::string(""));
  bag.WriteProperty("Same", int32_t{5}, int32_t{5});
  EXPECT_EQ(bag.ReadProperty("state", int32_t{0}), 2);  // keys without regard to case
  EXPECT_EQ(bag.ReadProperty("Caption", ""), "Go");
  EXPECT_FALSE(bag.Contains("Same"));
  // Writing the default again removes the stored value.
  bag.WriteProperty("State", int32_t{0}, int32_t{0});
  EXPECT_FALSE(bag.Contains("State"));

  bag.SetRaw("Color", "&H00FF8000&");
  EXPECT_EQ(bag.ReadProperty("Color", int32_t{0}), 0xFF8000);
  bag.SetRaw("Flag", "True");
  EXPECT_TRUE(bag.ReadProperty("Flag", false));
  bag.SetRaw("Bad", "abc");
  try {
    bag.ReadProperty("Bad", int32_t{0});
    ADD_FAILURE() << "no error";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number, vb::vbErrTypeMismatch);
  }

  vb::StdFont font;
  font.Name = "Arial";
  font.Size = 12;
  font.Bold = true;
  bag.WriteProperty("Font", font, vb::StdFont());
  EXPECT_EQ(bag.ReadProperty("Font", vb::StdFont()), font);

  QImage img(2, 2, QImage::Format_RGB32);
  const vb::StdPicture pic = vb::PictureFromImage(img);
  bag.WriteProperty("Picture", pic, vb::StdPicture());
  EXPECT_EQ(bag.ReadProperty("Picture", vb::StdPicture()).data(), pic.data());
  EXPECT_EQ(bag.Keys(), (std::vector<std::string>{"Caption", "Color", "Flag", "Bad", "Font", "Picture"}));
}

TEST(Screen, TwipsAndSize) {
  const int tpp = vb::Screen::TwipsPerPixelX();
  EXPECT_EQ(tpp, 1440 / static_cast<int>(QGuiApplication::primaryScreen()->logicalDotsPerInchX()));
  EXPECT_FLOAT_EQ(vb::Screen::Width(), static_cast<float>(QGuiApplication::primaryScreen()->geometry().width() * tpp));
  const auto wa = vb::Screen::WorkArea();
  EXPECT_GT(wa.Right - wa.Left, 0);
}

}  // namespace

namespace {

// A control type brought by another library, with a widget of its own.
class Gadget : public vb::Control {
 public:
  explicit Gadget(const vb::ControlSite& site) : vb::Control(new QWidget(site.parentWidget)) {
    Shade = site.design.ReadProperty("Shade", int32_t{0});
  }
  int32_t Shade;
};

TEST(Forms, RegisteredTypesComeFromTheDesignText) {
  EXPECT_FALSE(vb::IsControlTypeRegistered("Gadget"));
  vb::RegisterControlType("Gadget", [](const vb::ControlSite& site) { return std::make_unique<Gadget>(site); });
  EXPECT_TRUE(vb::IsControlTypeRegistered("gadget"));
  vb::Form f;
  f.LoadDesignText(R"(Begin Form frmG
  ScaleMode = 3
  ClientWidth = 100
  ClientHeight = 100
  Begin Gadget gdg
    Index = 3
    Left = 12
    Top = 7
    Width = 30
    Height = 20
    Shade = 5
    Tag = "g"
    ToolTipText = "tip"
  End
End)");
  f.Show();
  auto& g = f.Ctl<Gadget>("gdg", 3);
  EXPECT_EQ(g.Shade, 5);
  EXPECT_EQ(g.Widget()->geometry(), QRect(12, 7, 30, 20));
  EXPECT_EQ(g.Tag(), "g");
  EXPECT_EQ(g.Widget()->toolTip(), "tip");
  EXPECT_EQ(vb::ControlOf(g.Widget()), &g);
  float x = -1, y = -1;
  int button = 0;
  g.MouseDown = [&](int Button, int, float X, float Y) { button = Button, x = X, y = Y; };
  QTest::mousePress(g.Widget(), Qt::RightButton, Qt::NoModifier, QPoint(4, 6));
  EXPECT_EQ(button, vb::vbRightButton);
  EXPECT_FLOAT_EQ(x, 4);  // the container's units (pixels here)
  EXPECT_FLOAT_EQ(y, 6);
  EXPECT_NE(g.hWnd(), 0);
  vb::Unload(f);
}

}  // namespace

namespace {

TEST(Forms, AutomaticDragReportsOverEnterAndLeave) {
  vb::Form f;
  f.LoadDesignText(R"(Begin Form frmD
  ScaleMode = 3
  ClientWidth = 200
  ClientHeight = 100
  Begin Label lblSource
    Width = 50
    Height = 50
    DragMode = 1
  End
  Begin Label lblOther
    Left = 100
    Width = 50
    Height = 50
  End
End)");
  f.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(f.Widget()));
  auto& src = f.Ctl<vb::Label>("lblSource");
  auto& other = f.Ctl<vb::Label>("lblOther");
  std::vector<std::string> seen;
  auto note = [&](const char* who) {
    return [&seen, who](vb::Control& Source, float X, float Y, int State) {
      seen.push_back(std::string(who) + " " + Source.Name() + " " + std::to_string(static_cast<int>(X)) + "," +
                     std::to_string(static_cast<int>(Y)) + " " + std::to_string(State));
    };
  };
  src.DragOver = note("src");
  other.DragOver = note("other");
  other.DragDrop = note("drop");
  const int t = vb::Screen::TwipsPerPixelX();
  QTest::mousePress(src.Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  auto moveTo = [&](QWidget* w, QPoint at, bool release) {
    const QPointF global = w->mapToGlobal(QPointF(at));
    QMouseEvent e(release ? QEvent::MouseButtonRelease : QEvent::MouseMove, src.Widget()->mapFromGlobal(global),
                  global, Qt::LeftButton, release ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(src.Widget(), &e);
  };
  moveTo(other.Widget(), QPoint(2, 3), false);
  moveTo(other.Widget(), QPoint(4, 3), true);
  const std::string x2 = std::to_string(2 * t), x4 = std::to_string(4 * t), y = std::to_string(3 * t);
  EXPECT_EQ(seen, (std::vector<std::string>{"src lblSource " + std::to_string(10 * t) + "," + std::to_string(10 * t) + " 0",
                                            "src lblSource " + std::to_string(102 * t) + "," + y + " 1",
                                            "other lblSource " + x2 + "," + y + " 0",
                                            "drop lblSource " + x4 + "," + y + " 2"}));
  vb::Unload(f);
}

}  // namespace

namespace {

TEST(Forms, WindowlessControlsKeepFractionsOfAPixel) {
  const int t = vb::Screen::TwipsPerPixelY();
  vb::Form f;
  f.LoadDesignText(R"(Begin Form frmM
  Begin Label lblMarquee
    Top = 1500
    Width = 1500
    Height = 300
    AutoSize = -1
    Caption = "Loading"
  End
  Begin PictureBox picBox
    Top = 1500
    Width = 1500
    Height = 300
  End
End)");
  auto& lbl = f.Ctl<vb::Label>("lblMarquee");
  auto& box = f.Ctl<vb::PictureBox>("picBox");
  for (int i = 0; i < t; ++i) {
    lbl.Top(lbl.Top() - 1);  // one twip at a time, as a marquee scrolls
    box.Top(box.Top() - 1);
  }
  EXPECT_FLOAT_EQ(lbl.Top(), static_cast<float>(1500 - t));
  EXPECT_EQ(lbl.Widget()->y(), 1500 / t - 1);
  EXPECT_FLOAT_EQ(box.Top(), 1500.0f);  // a window snaps back to its whole pixel each time
}

}  // namespace

namespace {

TEST(Forms, WhatTheWindowShows) {
  vb::Form f;
  f.LoadDesignText(R"(Begin Form frmLook
  ScaleMode = 3
  ClientWidth = 120
  ClientHeight = 60
  BackColor = &H000000FF&
  Begin Label lblClear
    Width = 40
    Height = 20
    BackStyle = 0
  End
  Begin Label lblSolid
    Left = 50
    Width = 40
    Height = 20
    BackColor = &H0000FF00&
  End
  Begin Menu mnuFile
    Caption = "&File"
    Begin Menu mnuOpen
      Caption = "&Open"
    End
  End
End)");
  f.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(f.Widget()));
  // The menu bar sits above the inner area, which keeps its designed size.
  EXPECT_FLOAT_EQ(f.ScaleHeight(), 60);
  EXPECT_GT(f.Height(), static_cast<float>(60 * vb::Screen::TwipsPerPixelY()));
  const QImage shot = f.ClientWidget()->grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(5, 5)), QColor(255, 0, 0));   // through the clear label
  EXPECT_EQ(QColor(shot.pixel(55, 15)), QColor(0, 255, 0));  // the solid label's own colour
  EXPECT_EQ(QColor(shot.pixel(100, 50)), QColor(255, 0, 0));

  // Hiding the only menu of the bar gives its room back to the window.
  const float withBar = f.Height();
  f.Ctl<vb::Menu>("mnuFile").Visible(false);
  EXPECT_LT(f.Height(), withBar);
  EXPECT_FLOAT_EQ(f.ScaleHeight(), 60);

  int resized = 0;
  f.Resize = [&] { ++resized; };
  f.Width(f.Width() + 150);
  QApplication::processEvents();
  EXPECT_GE(resized, 1);
  vb::Unload(f);
}

}  // namespace

namespace {

TEST(Forms, FocusMovesBetweenFields) {
  vb::Form f;
  f.LoadDesignText(R"(Begin Form frmF
  Begin TextBox txtA
    Width = 900
    Height = 300
  End
  Begin TextBox txtB
    Top = 400
    Width = 900
    Height = 300
  End
  Begin Label lblLink
    Top = 800
    Width = 900
    Height = 300
    MousePointer = 99
    MouseIcon = ")" + testsupport::sourceDir() + R"(/converter/skin/hand.cur"
  End
End)");
  f.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(f.Widget()));
  f.Widget()->activateWindow();
  auto& a = f.Ctl<vb::TextBox>("txtA");
  auto& b = f.Ctl<vb::TextBox>("txtB");
  std::vector<std::string> seen;
  a.GotFocus = [&] { seen.push_back("a got"); };
  a.LostFocus = [&] { seen.push_back("a lost"); };
  b.GotFocus = [&] { seen.push_back("b got"); };
  a.SetFocus();  // the first field has the focus from the show
  b.SetFocus();
  a.SetFocus();
  EXPECT_EQ(seen, (std::vector<std::string>{"a lost", "b got", "a got"}));

  // A custom pointer takes the picture with its hot spot.
  auto& link = f.Ctl<vb::Label>("lblLink");
  EXPECT_EQ(link.MousePointer(), vb::vbCustom);
  EXPECT_EQ(link.Widget()->cursor().shape(), Qt::BitmapCursor);
  EXPECT_FALSE(link.Widget()->cursor().pixmap().isNull());
  vb::Unload(f);
}

}  // namespace

namespace {

TEST(Forms, LoadedAgainAfterAnUnloadItStartsAsDesigned) {
  TestForm f;
  vb::Load(f);
  auto& item = f.Ctl<vb::Menu>("mnuItem");
  auto& zero = f.Ctl<vb::Label>("lblButton", 0);
  auto& tick = f.Ctl<vb::TimerControl>("tmrTick");
  item.Checked(false);
  item.Caption("Changed");
  zero.Caption("Changed");
  zero.Tag("run");
  zero.Visible(false);
  f.Ctl<vb::TextBox>("txtField").Text("typed");
  tick.Enabled(true);
  tick.Interval(500);
  f.LoadElement("lblButton", 9);
  vb::Unload(f);
  EXPECT_FALSE(tick.Enabled());
  vb::Load(f);
  EXPECT_TRUE(item.Checked());
  EXPECT_EQ(item.Caption(), "Item");
  EXPECT_EQ(zero.Caption(), "&Zero");
  EXPECT_EQ(zero.Tag(), "first");
  EXPECT_TRUE(zero.Visible());
  EXPECT_EQ(f.Ctl<vb::TextBox>("txtField").Text(), "12");
  EXPECT_FALSE(tick.Enabled());  // as designed
  EXPECT_EQ(tick.Interval(), 20);
  EXPECT_FALSE(f.Has("lblButton", 9));
  vb::Unload(f);
}

}  // namespace

namespace {

// A control that lets events run for a while when it is shown, as the skinned controls do while
// they draw themselves. Qt walks the window's children while it shows them: it counts those that
// went meanwhile (the walk would meet them after they went).
class SlowToDraw : public vb::Control {
 public:
  explicit SlowToDraw(const vb::ControlSite& site) : vb::Control(new Surface(site.parentWidget)) {}
  static inline int gone = 0;

 private:
  struct Surface : QWidget {
    using QWidget::QWidget;
    void showEvent(QShowEvent*) override {
      std::vector<QPointer<QObject>> walked;
      for (QObject* c : window()->children()) walked.emplace_back(c);
      QElapsedTimer clock;
      clock.start();
      while (clock.elapsed() < 300) vb::DoEvents();
      for (const auto& c : walked) gone += c.isNull();
    }
  };
};

// An owned window opens over its owner; what keeps it there goes once the window stands there,
// which may be while its controls are still being shown.
TEST(Forms, AnOwnedWindowOpensWhileItsControlsLetEventsRun) {
  vb::RegisterControlType("SlowToDraw", [](const vb::ControlSite& site) { return std::make_unique<SlowToDraw>(site); });
  TestForm owner;
  owner.Show();
  vb::Form f;
  f.LoadDesignText(R"(Begin Form frmSlow
  ScaleMode = 3
  BorderStyle = 0
  ClientWidth = 100
  ClientHeight = 60
  Begin SlowToDraw first
    Width = 50
    Height = 30
  End
  Begin SlowToDraw second
    Left = 50
    Width = 50
    Height = 30
  End
End)");
  f.Show(vb::vbModeless, &owner);
  EXPECT_EQ(SlowToDraw::gone, 0);
  EXPECT_TRUE(f.Widget()->isVisible());
  EXPECT_EQ(f.Widget()->frameGeometry().center(), owner.Widget()->frameGeometry().center());
  vb::Unload(f);
  vb::Unload(owner);
}

}  // namespace
