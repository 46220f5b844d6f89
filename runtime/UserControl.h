// User controls: controls whose type is written in the program itself (the skinned button and
// area). A user control is a control with a drawing surface of its own in pixels (persistent
// image, background picture, border, hDC), hosted on a form like any other control and made
// from the window's design text through the registry of control types (runtime/design.h).
//
// The type draws on its surface and on its parts (picture boxes, timers made as children of
// the surface), handles the input of both through the UserControl_... hooks and the parts'
// event members, and raises its own events: the Control event members (Click, MouseDown ...)
// and any of its own. The runtime raises none of the surface's mouse events to the host by
// itself; drops on a surface whose OLEDropMode is 1 reach OLEDragDrop directly.
//
// Its stored settings come from the design text as a property bag: ReadDesign applies the
// host's settings of the control (Left, Top, Width, Height, Visible, Enabled, Tag,
// ToolTipText) and hands the bag to ReadProperties.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "runtime/Container.h"
#include "runtime/Control.h"
#include "runtime/design.h"

namespace vb {

class PropertyBag;

// What the host tells its user controls.
struct AmbientProperties {
  bool UserMode = true;  // False while the window is being designed
  StdFont Font;          // the host's font
};

class UserControl : public Control, public Container {
 public:
  ~UserControl() override;

  // The host's ambient properties: its font, and whether it runs (UserMode).
  AmbientProperties Ambient() const;
  // Puts the control into design mode (false) or run mode (true, the default).
  void SetUserMode(bool userMode) { userMode_ = userMode; }

  // The stored settings. InitProperties is for an instance that has none (a new one).
  virtual void InitProperties() {}
  virtual void ReadProperties(const PropertyBag& bag) { (void)bag; }
  virtual void WriteProperties(PropertyBag& bag) const { (void)bag; }

  // Told each time the type reports a changed setting (PropertyChanged), with its key.
  std::function<void(const std::string& PropertyName)> PropertyChangedNotify;

  // 0 no border, 1 a single line; the surface is what lies inside.
  int BorderStyle() const { return borderStyle_; }
  void BorderStyle(int style);

  void Move(float left, std::optional<float> top = {}, std::optional<float> width = {},
            std::optional<float> height = {}) override;
  void OLEDropMode(int mode) override;
  using Control::OLEDropMode;
  void BackColor(int32_t c) override;
  using Control::BackColor;

  // --- For the forms layer ---
  void ReadDesign(const PropertyBag& bag) override;
  QWidget* ClientWidget() const override { return client_; }

 protected:
  explicit UserControl(const ControlSite& site);

  // Marks a stored setting as changed.
  void PropertyChanged(const std::string& propertyName);

  // The surface's own events.
  virtual void UserControl_Resize() {}
  virtual void UserControl_Show() {}
  virtual void UserControl_MouseDown(int Button, int Shift, float X, float Y) {
    (void)Button, (void)Shift, (void)X, (void)Y;
  }
  virtual void UserControl_MouseMove(int Button, int Shift, float X, float Y) {
    (void)Button, (void)Shift, (void)X, (void)Y;
  }
  virtual void UserControl_MouseUp(int Button, int Shift, float X, float Y) {
    (void)Button, (void)Shift, (void)X, (void)Y;
  }

  // The parent widget for parts made by the type (picture boxes): the surface.
  QWidget* PartsParent() const { return ClientWidget(); }

  int32_t SurfaceBackColor() const override { return Control::BackColor(); }

 private:
  friend class UserControlEvents;
  bool userMode_ = true;
  int borderStyle_ = 0;
  QWidget* client_ = nullptr;
};

// Raises an event: calls its handler when the host has set one.
template <class Event, class... Args>
void RaiseEvent(const Event& event, Args&&... args) {
  if (event) event(std::forward<Args>(args)...);
}

// The control whose window lies under a point of the screen (pixels), nullptr when none of
// the program's windows is there (another window covers it, or nothing is there).
Control* ControlFromPoint(int32_t x, int32_t y);

// Text and points on the persistent image of a surface (a picture box or a user control), in
// the surface's own scale, font and fore colour. `surface` must be both a Control and a
// Container.
// Width of the widest line, and height of all lines together (lines end at CR LF).
float TextWidth(const Control& surface, const std::string& text);
float TextHeight(const Control& surface, const std::string& text);
// Prints one line with its top-left corner at x, y, without a background.
void Print(Control& surface, float x, float y, const std::string& text);
// The colour (&H00BBGGRR) of one point; -1 outside the surface.
int32_t Point(const Control& surface, float x, float y);
// Sets one point; a point outside the surface is left out.
void PSet(Control& surface, float x, float y, int32_t color);

}  // namespace vb
