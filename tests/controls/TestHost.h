// A window to host the skinned controls in tests, the pointer seam, and pixel helpers.
#pragma once
#include <QImage>
#include <QTest>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"
#include "runtime/events.h"
#include "runtime/forms.h"
#include "runtime/qt.h"
#include "support/paths.h"

namespace testhost {

// A picture of the conversion program's skin.
inline std::string SkinFile(const std::string& name) {
  return testsupport::sourceDir() + "/converter/skin/" + name;
}

// A pixel-scaled window of 300 x 200 holding the controls of a design text (with more
// settings of its own); picture names are files of the skin.
struct Window : vb::Form {
  explicit Window(const std::string& controls, const std::string& own = "") {
    LoadDesignText("Begin VB.Form frmHost\n ScaleMode = 3\n ClientWidth = 300\n"
                   " ClientHeight = 200\n BorderStyle = 0\n" +
                       own + controls + "End\n",
                   SkinFile(""));
  }
  void ShowNow() {
    Show();
    (void)QTest::qWaitForWindowExposed(Widget()->window());
    vb::DoEvents();
  }
};

// The pointer seam: GetCursorPos answers this point (screen pixels) while the object lives.
struct Pointer {
  void At(QPoint p) {
    win::SetCursorPosForTests([p] { return win::POINT{p.x(), p.y()}; });
  }
  void Over(QWidget* w) { At(w->mapToGlobal(w->rect().center())); }
  ~Pointer() { win::SetCursorPosForTests({}); }
};

// The widget a control's surface draws in (the inner area of a picture box).
inline QWidget* Surface(vb::Control& c) {
  auto* k = dynamic_cast<vb::Container*>(&c);
  return k ? k->ClientWidget() : c.Widget();
}

inline QImage ImageOf(const vb::Container& c) { return vb::ImageOf(c.Image()).convertToFormat(QImage::Format_RGB32); }

// &H00BBGGRR of a pixel.
inline int32_t ColorAt(const QImage& img, int x, int y) {
  const QRgb v = img.pixel(x, y);
  return vb::RGB(qRed(v), qGreen(v), qBlue(v));
}

// A picture of w x h pixels, each given by f(x, y) as &H00BBGGRR.
inline vb::StdPicture MakePicture(int w, int h, const std::function<int32_t(int, int)>& f) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const auto c = static_cast<uint32_t>(f(x, y));
      img.setPixel(x, y, qRgb(static_cast<int>(c & 0xff), static_cast<int>((c >> 8) & 0xff),
                              static_cast<int>((c >> 16) & 0xff)));
    }
  return vb::PictureFromImage(img);
}

// A label away from the controls under test, for the pointer to go to.
inline const char* kAway = R"(
  Begin Label lblAway
    Left = 200
    Top = 150
    Width = 40
    Height = 20
  End
)";

// Events as they are raised, by name ("MouseDown(1)" with its button).
struct EventLog {
  std::vector<std::string> names;
  // Records the click, mouse and hover events of a skinned control.
  template <class C>
  void Hook(C& c) {
    c.Click = Add("Click");
    c.MouseEnter = Add("MouseEnter");
    c.MouseLeave = Add("MouseLeave");
    c.MouseDown = AddMouse("MouseDown");
    c.MouseUp = AddMouse("MouseUp");
    c.MouseMove = AddMouse("MouseMove");
  }
  // The events but the pointer movements.
  std::vector<std::string> WithoutMoves() const {
    std::vector<std::string> out;
    for (const auto& n : names)
      if (n.rfind("MouseMove", 0) != 0) out.push_back(n);
    return out;
  }
  std::function<void()> Add(const std::string& name) {
    return [this, name] { names.push_back(name); };
  }
  std::function<void(int, int, float, float)> AddMouse(const std::string& name) {
    return [this, name](int Button, int, float, float) {
      names.push_back(name + "(" + std::to_string(Button) + ")");
    };
  }
  void Clear() { names.clear(); }
};

}  // namespace testhost
