// The base of every control and window of the forms layer (see runtime/forms.h).
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runtime/color.h"
#include "runtime/picture.h"

class QWidget;

namespace vb {

class Form;
class Container;
class Host;
class PropertyBag;

// Mouse buttons, shift states, pointer shapes, drop modes and effects, data formats.
enum : int { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };
enum : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };
enum : int {
  vbDefault = 0, vbArrow = 1, vbCrosshair = 2, vbIbeam = 3, vbSizeAll = 5, vbSizeNESW = 6,
  vbSizeNS = 7, vbSizeNWSE = 8, vbSizeWE = 9, vbUpArrow = 10, vbHourglass = 11, vbNoDrop = 12,
  vbArrowHourglass = 13, vbArrowQuestion = 14, vbCustom = 99,
};
enum : int { vbOLEDropNone = 0, vbOLEDropManual = 1 };
enum : int { vbDropEffectNone = 0, vbDropEffectCopy = 1, vbDropEffectMove = 2 };
enum : int { vbCFText = 1, vbCFBitmap = 2, vbCFFiles = 15 };
enum : int { vbEnter = 0, vbLeave = 1, vbOver = 2 };  // drag-over states
enum : int { vbManual = 0, vbAutomatic = 1 };         // DragMode
// Key codes (KeyDown / KeyUp).
enum : int {
  vbKeyBack = 8, vbKeyTab = 9, vbKeyReturn = 13, vbKeyShift = 16, vbKeyControl = 17,
  vbKeyMenu = 18, vbKeyEscape = 27, vbKeySpace = 32, vbKeyPageUp = 33, vbKeyPageDown = 34,
  vbKeyEnd = 35, vbKeyHome = 36, vbKeyLeft = 37, vbKeyUp = 38, vbKeyRight = 39,
  vbKeyDown = 40, vbKeyInsert = 45, vbKeyDelete = 46, vbKey0 = 48, vbKeyA = 65,
  vbKeyNumpad0 = 96, vbKeyMultiply = 106, vbKeyAdd = 107, vbKeySubtract = 109,
  vbKeyDecimal = 110, vbKeyDivide = 111, vbKeyF1 = 112,
};

// The data of a drop: a file list (vbCFFiles) and/or a text (vbCFText).
class DataObject {
 public:
  DataObject() = default;
  DataObject(std::vector<std::string> files, std::optional<std::string> text)
      : files_(std::move(files)), text_(std::move(text)) {}
  bool GetFormat(int format) const;
  // The text for vbCFText; "" for a format it does not hold.
  std::string GetData(int format = vbCFText) const;
  // The dropped files, full paths (Files(1) is the first, as the runtime counts).
  int FilesCount() const { return static_cast<int>(files_.size()); }
  std::string Files(int index) const;
  const std::vector<std::string>& FileList() const { return files_; }

 private:
  std::vector<std::string> files_;
  std::optional<std::string> text_;
};

// A control: a window (or window-less item) on a form. Positions are in the scale of the
// control's container (its form or picture box); a form's own are in twips of the screen.
//
// Events are plain function members, empty until the window's code sets them. Handlers
// that the runtime passes arguments by reference to (KeyAscii, Cancel, Effect) may change them.
class Control {
 public:
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& Name() const { return name_; }
  int Index() const { return index_; }  // -1 when the control is not part of an array
  Form* Parent() const { return form_; }

  std::string Tag() const { return tag_; }
  void Tag(const std::string& t) { tag_ = t; }

  virtual bool Visible() const;
  virtual void Visible(bool v);
  virtual bool Enabled() const;
  virtual void Enabled(bool e);

  virtual float Left() const;
  virtual float Top() const;
  virtual float Width() const;
  virtual float Height() const;
  virtual void Left(float v);
  virtual void Top(float v);
  virtual void Width(float v);
  virtual void Height(float v);
  // Moves and sizes at once; what is not given stays.
  virtual void Move(float left, std::optional<float> top = {}, std::optional<float> width = {},
                    std::optional<float> height = {});

  std::string ToolTipText() const { return toolTip_; }
  void ToolTipText(const std::string& t);
  int MousePointer() const { return mousePointer_; }
  void MousePointer(int p);
  StdPicture MouseIcon() const { return mouseIcon_; }
  void MouseIcon(const StdPicture& p);
  int OLEDropMode() const { return oleDropMode_; }
  virtual void OLEDropMode(int mode);
  int DragMode() const { return dragMode_; }
  void DragMode(int mode) { dragMode_ = mode; }

  virtual int32_t BackColor() const { return backColor_; }
  virtual void BackColor(int32_t c);
  virtual int32_t ForeColor() const { return foreColor_; }
  virtual void ForeColor(int32_t c);
  virtual StdFont Font() const { return font_; }
  virtual void Font(const StdFont& f);
  void FontName(const std::string& name);
  void FontSize(float size);
  void FontBold(bool bold);

  // The native window id (X11 window on the xcb platform); 0 for window-less controls.
  virtual int32_t hWnd();
  void SetFocus();
  // 0: in front of its siblings; 1: behind them.
  void ZOrder(int position = 0);
  virtual void Refresh();

  std::function<void()> Click, DblClick, GotFocus, LostFocus, Change, Resize;
  std::function<void(int Button, int Shift, float X, float Y)> MouseDown, MouseMove, MouseUp;
  std::function<void(int& KeyCode, int Shift)> KeyDown, KeyUp;
  std::function<void(int& KeyAscii)> KeyPress;
  std::function<void(DataObject& Data, int& Effect, int Button, int Shift, float X, float Y)>
      OLEDragDrop;
  std::function<void(DataObject& Data, int& Effect, int Button, int Shift, float X, float Y,
                     int State)>
      OLEDragOver;
  // Drag of a control in automatic drag mode (DragMode 1: pressing the left button on it
  // starts one): the control under the pointer hears DragOver with State vbEnter, vbOver,
  // vbLeave, and DragDrop where the button is let go. X, Y are in the control's own scale for
  // forms and picture boxes, in twips from its corner for any other control.
  std::function<void(Control& Source, float X, float Y, int State)> DragOver, DragDrop;

  // --- For the forms layer and for libraries that bring their own widgets ---
  QWidget* Widget() const { return widget_; }
  Container* ContainerOf() const { return container_; }
  // Applies the settings of the design text; a control type reads its own keys and calls
  // the base. Called once right after the control is made.
  virtual void ReadDesign(const PropertyBag& bag);
  // Back to the design settings (the window is loaded again): what run-time code changed and
  // the design does not name goes back to the type's start; then ReadDesign.
  virtual void ResetDesign(const PropertyBag& bag);

 protected:
  // `widget` is the control's window, made by the control type as a child of its container's
  // client widget (nullptr for window-less items such as timers and menus). The control
  // takes it over.
  explicit Control(QWidget* widget);
  // For types that make their widget after the base (it must not have one yet).
  void attachWidget(QWidget* widget);

  // Scale of the container: pixels to container units and back.
  float toUnitsX(double px) const;
  float toUnitsY(double px) const;
  double toPixelsX(float units) const;
  double toPixelsY(float units) const;

  virtual void applyColors();
  virtual void applyFont();
  // Window-less types keep fractions of a pixel of their place.
  virtual bool KeepsExactPlace() const { return false; }

 private:
  bool exactValid(int i) const;
  double placePx(int i) const;
  friend class Host;
  QWidget* widget_ = nullptr;
  double place_[4] = {};
  bool exact_ = false;
  Form* form_ = nullptr;
  Container* container_ = nullptr;
  std::string name_;
  int index_ = -1;
  std::string tag_, toolTip_;
  int mousePointer_ = vbDefault;
  StdPicture mouseIcon_;
  int oleDropMode_ = vbOLEDropNone;
  int dragMode_ = vbManual;
  bool enabled_ = true;
  bool visible_ = true;
  int32_t backColor_ = vbButtonFace;
  int32_t foreColor_ = vbButtonText;
  StdFont font_;
};

}  // namespace vb
