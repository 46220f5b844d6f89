// labels: gui
#include "controls/ImageButton.h"

#include <QApplication>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

#include "controls/TestHost.h"
#include "support/paths.h"

using zantiro::ImageButton;
using zantiro::LayoutCaption;

namespace {

// Faces told apart by their back colours: face i has &H00i00000& + &H00100000&.
const char* kButton = R"(
  Begin ImageButton cmdGo
    Left = 20
    Top = 30
    Width = 124
    Height = 52
    BackColor = &H00100000&
    BackColorMouseDown = &H00200000&
    BackColorDisabled = &H00300000&
    BackColorMouseOver = &H00400000&
    ForeColor = &H00FFFFFF&
    ForeColorMouseDown = &H00FFFFFF&
    ForeColorDisabled = &H00FFFFFF&
    ForeColorMouseOver = &H00FFFFFF&
    Caption = "Go"
  End
)";

struct Fixture {
  testhost::Window w{std::string(kButton) + testhost::kAway};
  ImageButton& btn = w.Ctl<ImageButton>("cmdGo");
  testhost::EventLog log;
  testhost::Pointer pointer;

  Fixture() {
    log.Hook(btn);
    w.ShowNow();
    QTest::mouseMove(Away(), QPoint(1, 1));  // the pointer starts off the button
  }

  // The four faces, by their number.
  std::vector<vb::PictureBox*> Faces() const {
    std::vector<vb::PictureBox*> faces(4);
    for (QObject* o : btn.ClientWidget()->children())
      if (auto* f = dynamic_cast<vb::PictureBox*>(vb::ControlOf(qobject_cast<QWidget*>(o))))
        faces.at(static_cast<size_t>((f->BackColor() >> 20) - 1)) = f;
    return faces;
  }
  vb::PictureBox& Face(int i) const { return *Faces().at(static_cast<size_t>(i)); }
  // The number of the face on top.
  int TopFace() const {
    int top = -1;
    for (QObject* o : btn.ClientWidget()->children())
      if (auto* f = dynamic_cast<vb::PictureBox*>(vb::ControlOf(qobject_cast<QWidget*>(o))))
        top = (f->BackColor() >> 20) - 1;  // later children lie above earlier ones
    return top;
  }
  QWidget* FaceWidget() const { return testhost::Surface(Face(TopFace())); }
  QWidget* Away() const { return w.Ctl("lblAway").Widget(); }
  std::vector<std::string> Events() const { return log.WithoutMoves(); }
};

// The rectangle holding the caption's ink on a face (what is not its back colour).
QRect Ink(const vb::PictureBox& face) {
  const QImage img = testhost::ImageOf(face);
  QRect r;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (testhost::ColorAt(img, x, y) != face.BackColor()) r |= QRect(x, y, 1, 1);
  return r;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(ImageButtonCaption, LayoutCentresLinesAndBlock) {
  const auto width = [](const std::string& s) { return s == "Open" ? 40.0f : 30.0f; };
  struct Case {
    std::string caption;
    float blockHeight, shiftX, shiftY;
    std::vector<std::pair<float, float>> at;
  };
  const Case cases[] = {
      // Two lines on 124 x 52 with a two-line height of 30: rows 11 and 26.
      {"Open\r\nFile", 30, 0, 0, {{42, 11}, {47, 26}}},
      {"Open\r\nFile", 30, 1, 2, {{43, 13}, {48, 28}}},
      {"Open", 15, 0, 0, {{42, 18.5f}}},
      {"Open\r\n\r\nFile", 45, 0, -1, {{42, 2.5f}, {47, 17.5f}, {47, 32.5f}}},
      {"", 0, 0, 0, {}},
  };
  for (const Case& c : cases) {
    const auto lines = LayoutCaption(c.caption, 124, 52, c.blockHeight, width, c.shiftX, c.shiftY);
    ASSERT_EQ(lines.size(), c.at.size()) << c.caption;
    for (size_t j = 0; j < lines.size(); ++j) {
      EXPECT_FLOAT_EQ(lines[j].x, c.at[j].first) << c.caption << " line " << j;
      EXPECT_FLOAT_EQ(lines[j].y, c.at[j].second) << c.caption << " line " << j;
    }
  }
}

TEST(ImageButtonCaption, PrintedCentredAndMovedByEachFacesShift) {
  Fixture f;
  vb::PictureBox& normal = f.Face(0);
  const QRect ink = Ink(normal);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_NEAR(ink.center().x(), 62, 2);
  EXPECT_NEAR(ink.center().y(), 26, 3);

  f.btn.ShiftX_Caption(3);
  f.btn.ShiftY_Caption(4);
  EXPECT_EQ(Ink(normal), ink.translated(3, 4));
  f.btn.ShiftX_CaptionMouseDown(-2);
  f.btn.ShiftY_CaptionMouseDown(1);
  EXPECT_EQ(Ink(f.Face(1)), ink.translated(-2, 1));
  EXPECT_EQ(Ink(f.Face(3)), ink);

  // Two equal lines: the second one a line's height (half the block) lower.
  f.btn.ShiftX_Caption(0);
  f.btn.ShiftY_Caption(0);
  f.btn.Caption("Go\r\nGo");
  const QRect both = Ink(normal);
  const float line = vb::TextHeight(normal, "Go\r\nGo") / 2;
  EXPECT_EQ(both.width(), ink.width());
  EXPECT_EQ(both.height(), ink.height() + static_cast<int>(line));
  EXPECT_NEAR(both.center().y(), 26, 3);
}

TEST(ImageButtonCaption, EmptyCaptionClearsEveryFace) {
  Fixture f;
  f.btn.Caption("");
  for (vb::PictureBox* face : f.Faces()) {
    const QImage img = testhost::ImageOf(*face);
    EXPECT_EQ(Ink(*face), QRect());
    EXPECT_EQ(testhost::ColorAt(img, 62, 26), face->BackColor());
  }
}

TEST(ImageButtonCaption, CaptionGivesEveryFaceTheFontOfTheFirst) {
  Fixture f;
  vb::StdFont big;
  big.Name = "DejaVu Sans";
  big.Size = 20;
  f.Face(2).Font(big);
  f.btn.Caption("Stop");
  for (vb::PictureBox* face : f.Faces()) EXPECT_EQ(face->Font(), f.Face(0).Font());
}

TEST(ImageButtonFaces, PictureDrawnUnscaledAtTheTopLeft) {
  Fixture f;
  const auto red = testhost::MakePicture(10, 6, [](int, int) { return vb::vbRed; });
  f.btn.PictureMouseOver(red);
  const QImage img = testhost::ImageOf(f.Face(3));
  EXPECT_EQ(testhost::ColorAt(img, 0, 0), vb::vbRed);
  EXPECT_EQ(testhost::ColorAt(img, 9, 5), vb::vbRed);
  EXPECT_EQ(testhost::ColorAt(img, 10, 5), 0x400000);
  EXPECT_EQ(testhost::ColorAt(img, 9, 6), 0x400000);
  EXPECT_EQ(testhost::ColorAt(testhost::ImageOf(f.Face(0)), 0, 0), 0x100000);
}

TEST(ImageButtonFaces, StateBringsItsFaceToTheFrontAndIgnoresOtherNumbers) {
  Fixture f;
  Strings changed;
  f.btn.PropertyChangedNotify = [&](const std::string& key) { changed.push_back(key); };
  EXPECT_EQ(f.TopFace(), 0);
  for (int bad : {4, -1}) {
    f.btn.State(bad);
    EXPECT_EQ(f.btn.State(), 0);
    EXPECT_EQ(f.TopFace(), 0);
  }
  EXPECT_TRUE(changed.empty());
  f.btn.State(2);
  EXPECT_EQ(f.TopFace(), 2);
  EXPECT_EQ(changed, Strings{"State"});
  // Faces are disabled only at the next resize.
  EXPECT_TRUE(f.Face(0).Widget()->isEnabled());
  f.btn.Width(130);
  vb::DoEvents();
  EXPECT_FALSE(f.Face(0).Widget()->isEnabled());
  EXPECT_EQ(f.TopFace(), 2);
}

TEST(ImageButtonInput, HoverPressMoveOffReleaseAndLeave) {
  Fixture f;
  f.pointer.Over(f.FaceWidget());
  const QPoint mid(62, 26);
  QTest::mouseMove(f.FaceWidget(), mid);
  EXPECT_EQ(f.TopFace(), 3);
  EXPECT_EQ(f.Events(), Strings{"MouseEnter"});
  ASSERT_FALSE(f.log.names.empty());
  EXPECT_EQ(f.log.names.front(), "MouseMove(0)");  // raised before MouseEnter

  // Moving again while the timer runs enters nothing.
  QTest::mouseMove(f.FaceWidget(), mid + QPoint(5, 0));
  EXPECT_EQ(f.Events(), Strings{"MouseEnter"});

  QWidget* pressed = f.FaceWidget();
  QTest::mousePress(pressed, Qt::LeftButton, {}, mid);
  EXPECT_EQ(f.TopFace(), 1);
  // Off the button with the button held: the pressed face keeps the mouse.
  f.pointer.Over(f.Away());
  QTest::mouseRelease(pressed, Qt::LeftButton, {}, QPoint(200, 120));
  EXPECT_EQ(f.TopFace(), 0);
  EXPECT_EQ(f.Events(), (Strings{"MouseEnter", "MouseDown(1)", "Click", "MouseUp(1)"}));

  ASSERT_TRUE(QTest::qWaitFor([&] { return f.Events().size() == 5; }));
  EXPECT_EQ(f.Events().back(), "MouseLeave");
  EXPECT_EQ(f.TopFace(), 0);
  QTest::qWait(450);
  EXPECT_EQ(f.Events().size(), 5u);  // the timer stopped
}

TEST(ImageButtonInput, PointerStayingOverKeepsTheHoverFace) {
  Fixture f;
  f.pointer.Over(f.FaceWidget());
  QTest::mouseMove(f.FaceWidget(), QPoint(10, 10));
  QTest::qWait(500);
  EXPECT_EQ(f.TopFace(), 3);
  EXPECT_EQ(f.Events(), Strings{"MouseEnter"});
  // After a click face 0 shows until the pointer has left and come back.
  QTest::mouseClick(f.FaceWidget(), Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseMove(f.FaceWidget(), QPoint(12, 10));
  EXPECT_EQ(f.TopFace(), 0);
  f.pointer.Over(f.Away());
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.Events().back() == "MouseLeave"; }));
  f.pointer.Over(f.FaceWidget());
  QTest::mouseMove(f.FaceWidget(), QPoint(14, 10));
  EXPECT_EQ(f.TopFace(), 3);
  EXPECT_EQ(f.Events(), (Strings{"MouseEnter", "MouseDown(1)", "Click", "MouseUp(1)",
                                 "MouseLeave", "MouseEnter"}));
}

TEST(ImageButtonInput, RightButtonOnlyRaisesDownAndUp) {
  Fixture f;
  f.pointer.Over(f.FaceWidget());
  QTest::mouseMove(f.FaceWidget(), QPoint(10, 10));
  f.log.Clear();
  QTest::mousePress(f.FaceWidget(), Qt::RightButton, {}, QPoint(10, 10));
  EXPECT_EQ(f.TopFace(), 3);
  QTest::mouseRelease(f.FaceWidget(), Qt::RightButton, {}, QPoint(10, 10));
  EXPECT_EQ(f.TopFace(), 3);
  EXPECT_EQ(f.Events(), (Strings{"MouseDown(2)", "MouseUp(2)"}));
}

TEST(ImageButtonInput, DesignModeChangesNoFace) {
  Fixture f;
  f.btn.SetUserMode(false);
  f.pointer.Over(f.FaceWidget());
  QTest::mouseMove(f.FaceWidget(), QPoint(30, 20));
  QTest::mouseClick(f.FaceWidget(), Qt::LeftButton, {}, QPoint(30, 20));
  EXPECT_EQ(f.TopFace(), 0);
  EXPECT_EQ(f.Events(), (Strings{"MouseDown(1)", "MouseUp(1)"}));
  EXPECT_EQ(f.log.names.front(), "MouseMove(0)");
}

TEST(ImageButtonInput, DroppedFilesRaiseOLEDragDrop) {
  Fixture f;
  f.btn.OLEDropMode(vb::vbOLEDropManual);
  std::string dropped;
  f.btn.OLEDragDrop = [&](vb::DataObject& Data, int&, int, int, float, float) {
    dropped = Data.Files(1);
  };
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile("/tmp/clip.avi")});
  QWidget* target = f.Face(f.TopFace()).Widget();
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  EXPECT_EQ(dropped, "/tmp/clip.avi");
}

TEST(ImageButtonFaces, MouseIconOnEveryFaceButTheDisabledOne) {
  Fixture f;
  f.btn.MouseIcon(vb::LoadPicture(testhost::SkinFile("hand.cur")));
  for (int i = 0; i < 4; ++i) {
    const bool custom = f.Face(i).Widget()->cursor().shape() == Qt::BitmapCursor;
    EXPECT_EQ(custom, i != 2) << "face " << i;
  }
}

TEST(ImageButtonSettings, DefaultsOfAnInstanceWithoutStoredSettings) {
  testhost::Window w("  Begin ImageButton cmdPlain\n  End\n");
  auto& b = w.Ctl<ImageButton>("cmdPlain");
  EXPECT_EQ(b.State(), 0);
  EXPECT_EQ(b.Caption(), "ImageButton");
  EXPECT_EQ(b.OLEDropMode(), 0);
  for (int32_t c : {b.BackColor(), b.BackColorMouseDown(), b.BackColorDisabled(),
                    b.BackColorMouseOver()})
    EXPECT_EQ(c, static_cast<int32_t>(0x8000000F));
  for (int32_t c : {b.ForeColor(), b.ForeColorMouseDown(), b.ForeColorDisabled(),
                    b.ForeColorMouseOver()})
    EXPECT_EQ(c, static_cast<int32_t>(0x80000008));
  EXPECT_FALSE(b.Picture() || b.PictureMouseDown() || b.PictureDisabled() ||
               b.PictureMouseOver() || b.MouseIcon());
  EXPECT_EQ(b.Font(), w.Font());
  // Everything at its default: nothing is stored.
  vb::PropertyBag out;
  b.WriteProperties(out);
  EXPECT_TRUE(out.Keys().empty());
  // A new instance takes the host's font.
  vb::StdFont hostFont;
  hostFont.Name = "DejaVu Serif";
  w.Font(hostFont);
  b.Caption("x");
  b.InitProperties();
  EXPECT_EQ(b.Caption(), "ImageButton");
  EXPECT_EQ(b.Font(), hostFont);
}

TEST(ImageButtonSettings, StoredSettingsRoundTripInOrder) {
  testhost::Window w(R"(
  Begin ImageButton cmdEncode
    Index = 1
    Width = 120
    Height = 36
    Caption = "Stop"
    State = 2
    BackColor = &H00262016&
    ForeColorMouseOver = &H00FFFFFF&
    OLEDropMode = 1
    ShiftX_CaptionMouseDown = 1
    ShiftY_CaptionMouseDown = 2
    ShiftY_CaptionMouseOver = -3
    Picture = "stop_normal.gif"
    PictureDisabled = "stop_disabled.gif"
    MouseIcon = "hand.cur"
    BeginProperty Font
      Name = "DejaVu Sans"
      Size = 11
      Bold = -1
    EndProperty
  End
)");
  auto& b = w.Ctl<ImageButton>("cmdEncode", 1);
  EXPECT_EQ(b.State(), 2);
  EXPECT_EQ(b.Caption(), "Stop");
  EXPECT_EQ(b.BackColor(), 0x262016);
  EXPECT_EQ(b.BackColorMouseDown(), static_cast<int32_t>(0x8000000F));
  EXPECT_EQ(b.ForeColorMouseOver(), 0xFFFFFF);
  EXPECT_EQ(b.OLEDropMode(), 1);
  EXPECT_EQ(b.ShiftX_CaptionMouseDown(), 1);
  EXPECT_EQ(b.ShiftY_CaptionMouseDown(), 2);
  EXPECT_EQ(b.ShiftY_CaptionMouseOver(), -3);
  EXPECT_EQ(b.Font().Name, "DejaVu Sans");
  EXPECT_TRUE(b.Font().Bold);
  EXPECT_TRUE(b.Picture() && b.PictureDisabled() && b.MouseIcon());
  EXPECT_FALSE(b.PictureMouseDown());

  vb::PropertyBag out;
  b.WriteProperties(out);
  EXPECT_EQ(out.Keys(), (Strings{"State", "BackColor", "ForeColorMouseOver", "OLEDropMode", "Font",
                                 "Caption", "ShiftX_CaptionMouseDown", "ShiftY_CaptionMouseDown",
                                 "ShiftY_CaptionMouseOver", "Picture", "PictureDisabled",
                                 "MouseIcon"}));
  // Read back into a plain instance: the same settings.
  testhost::Window w2("  Begin ImageButton cmdCopy\n  End\n");
  auto& copy = w2.Ctl<ImageButton>("cmdCopy");
  copy.ReadProperties(out);
  vb::PropertyBag again;
  copy.WriteProperties(again);
  EXPECT_EQ(again.Keys(), out.Keys());
  for (const std::string& k : out.Keys()) EXPECT_EQ(again.Raw(k), out.Raw(k)) << k;
  EXPECT_EQ(copy.Picture().PixelWidth(), b.Picture().PixelWidth());
  EXPECT_EQ(copy.Font(), b.Font());
  EXPECT_EQ(copy.State(), 2);
}

TEST(ImageButtonInput, AWindowCoveringTheButtonCountsAsLeaving) {
  Fixture f;
  f.pointer.Over(f.FaceWidget());
  QTest::mouseMove(f.FaceWidget(), QPoint(20, 20));
  ASSERT_EQ(f.Events(), Strings{"MouseEnter"});
  QTest::qWait(250);
  EXPECT_EQ(f.Events(), Strings{"MouseEnter"});
  QWidget cover;
  cover.setWindowFlags(Qt::FramelessWindowHint);
  cover.setGeometry(QRect(f.FaceWidget()->mapToGlobal(QPoint(0, 0)), QSize(200, 100)));
  cover.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.Events().size() == 2; }));
  EXPECT_EQ(f.Events().back(), "MouseLeave");
}

TEST(ImageButtonSettings, StoredFaceNumberOutsideTheFacesShowsTheNormalFace) {
  testhost::Window w("  Begin ImageButton cmdOdd\n    State = 7\n    Width = 40\n    Height = 20\n  End\n");
  auto& b = w.Ctl<ImageButton>("cmdOdd");
  EXPECT_EQ(b.State(), 0);
  w.ShowNow();  // draws and stacks the faces
  EXPECT_EQ(b.State(), 0);
}
