// The intrinsic controls the windows use.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/Container.h"
#include "runtime/Control.h"

class QAction;
class QMenu;

namespace vb {

enum : int { vbLeftJustify = 0, vbRightJustify = 1, vbCenter = 2 };  // Alignment
enum : int { vbTransparent = 0, vbOpaque = 1 };                     // BackStyle
enum : int { vbBSNoBorder = 0, vbBSFixedSingle = 1 };              // a control's BorderStyle

// A text. BackStyle 0 lets the container show through; mnemonic "&" is not drawn ("&&" is "&").
class Label : public Control {
 public:
  explicit Label(QWidget* parent);
  std::string Caption() const { return caption_; }
  void Caption(const std::string& c);
  int Alignment() const { return alignment_; }
  void Alignment(int a);
  int BackStyle() const { return backStyle_; }
  void BackStyle(int s);
  int BorderStyle() const { return borderStyle_; }
  void BorderStyle(int s);
  bool AutoSize() const { return autoSize_; }
  void AutoSize(bool a);
  bool WordWrap() const { return wordWrap_; }
  void WordWrap(bool w);
  void ReadDesign(const PropertyBag& bag) override;
  void ResetDesign(const PropertyBag& bag) override;

 protected:
  void applyFont() override;
  bool KeepsExactPlace() const override { return true; }

 private:
  void fit();
  std::string caption_;
  int alignment_ = vbLeftJustify, backStyle_ = vbOpaque, borderStyle_ = vbBSNoBorder;
  bool autoSize_ = false, wordWrap_ = false;
};

// A drawing surface with its own scale, a picture and a persistent image; a container.
class PictureBox : public Control, public Container {
 public:
  explicit PictureBox(QWidget* parent);
  int BorderStyle() const { return borderStyle_; }
  void BorderStyle(int s);
  // Grows or shrinks the box to its picture.
  bool AutoSize() const { return autoSize_; }
  void AutoSize(bool a);
  // With AutoSize on, the box takes the size of each new picture.
  void Picture(const StdPicture& p) override;
  using Container::Picture;
  int32_t hWnd() override;
  void BackColor(int32_t c) override;
  using Control::BackColor;
  void Move(float left, std::optional<float> top = {}, std::optional<float> width = {},
            std::optional<float> height = {}) override;
  using Control::Left;
  using Control::Top;
  using Control::Width;
  using Control::Height;
  void Refresh() override;
  void ReadDesign(const PropertyBag& bag) override;
  void ResetDesign(const PropertyBag& bag) override;
  QWidget* ClientWidget() const override;

 protected:
  int32_t SurfaceBackColor() const override { return BackColor(); }

 private:
  int borderStyle_ = vbBSFixedSingle;
  bool autoSize_ = false;
  QWidget* client_ = nullptr;
};

// A picture without a window: at its own size, or stretched to the control's size.
class Image : public Control {
 public:
  explicit Image(QWidget* parent);
  StdPicture Picture() const { return picture_; }
  void Picture(const StdPicture& p);
  bool Stretch() const { return stretch_; }
  void Stretch(bool s);
  int32_t hWnd() override { return 0; }
  void ReadDesign(const PropertyBag& bag) override;
  void ResetDesign(const PropertyBag& bag) override;

 protected:
  bool KeepsExactPlace() const override { return true; }

 private:
  StdPicture picture_;
  bool stretch_ = false;
};

// A rectangle (or other figure) drawn on its container.
enum : int { vbShapeRectangle = 0, vbShapeSquare = 1, vbShapeOval = 2, vbShapeCircle = 3,
             vbShapeRoundedRectangle = 4, vbShapeRoundedSquare = 5 };
enum : int { vbFSSolid = 0, vbFSTransparent = 1 };  // FillStyle
class Shape : public Control {
 public:
  explicit Shape(QWidget* parent);
  int FillStyle() const { return fillStyle_; }
  void FillStyle(int s);
  int32_t FillColor() const { return fillColor_; }
  void FillColor(int32_t c);
  int32_t BorderColor() const { return borderColor_; }
  void BorderColor(int32_t c);
  int BorderWidth() const { return borderWidth_; }
  void BorderWidth(int w);
  int BorderStyle() const { return borderStyle_; }  // 0 transparent, 1 solid
  void BorderStyle(int s);
  int BackStyle() const { return backStyle_; }
  void BackStyle(int s);
  int FigureKind() const { return shape_; }  // the Shape property
  void FigureKind(int s);
  int32_t hWnd() override { return 0; }
  void ReadDesign(const PropertyBag& bag) override;

 protected:
  bool KeepsExactPlace() const override { return true; }

 private:
  friend class ShapeWidget;
  int fillStyle_ = vbFSTransparent, borderStyle_ = 1, backStyle_ = vbTransparent;
  int borderWidth_ = 1, shape_ = vbShapeRectangle;
  int32_t fillColor_ = 0, borderColor_ = 0;
};

// A text field. MultiLine (design only) makes a text area. KeyPress may change or cancel
// (KeyAscii = 0) the typed character; Change follows every change of Text.
class TextBox : public Control {
 public:
  TextBox(QWidget* parent, bool multiLine);
  std::string Text() const;
  void Text(const std::string& t);
  int SelStart() const;
  void SelStart(int s);
  int SelLength() const;
  void SelLength(int n);
  std::string SelText() const;
  void SelText(const std::string& t);
  int MaxLength() const { return maxLength_; }
  void MaxLength(int n);
  bool Locked() const { return locked_; }
  void Locked(bool l);
  int Alignment() const { return alignment_; }
  void Alignment(int a);
  bool MultiLine() const { return multiLine_; }
  int BorderStyle() const { return borderStyle_; }
  void BorderStyle(int s);
  int32_t hWnd() override;
  void ReadDesign(const PropertyBag& bag) override;
  void ResetDesign(const PropertyBag& bag) override;

 private:
  bool multiLine_;
  int maxLength_ = 0, alignment_ = vbLeftJustify, borderStyle_ = vbBSFixedSingle;
  bool locked_ = false;
};

// A timer: Timer runs every Interval ms while Enabled and Interval > 0.
class TimerControl : public Control {
 public:
  TimerControl();
  ~TimerControl() override;
  int Interval() const { return interval_; }
  void Interval(int ms);
  bool Enabled() const override { return on_; }
  void Enabled(bool e) override;
  bool Visible() const override { return false; }
  void Visible(bool) override {}
  int32_t hWnd() override { return 0; }
  std::function<void()> Timer;
  void ReadDesign(const PropertyBag& bag) override;
  void ResetDesign(const PropertyBag& bag) override;

 private:
  void restart();
  int interval_ = 0;
  bool on_ = true;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A menu item, or a menu when it has items. Caption "-" is a separator. A top-level menu of
// a form is in its menu bar while visible; hidden ones serve as pop-up menus.
class Menu : public Control {
 public:
  Menu();
  ~Menu() override;
  std::string Caption() const { return caption_; }
  void Caption(const std::string& c);
  bool Checked() const { return checked_; }
  void Checked(bool c);
  bool Enabled() const override { return menuEnabled_; }
  void Enabled(bool e) override;
  bool Visible() const override { return menuVisible_; }
  void Visible(bool v) override;
  int32_t hWnd() override { return 0; }
  Menu* ParentMenu() const { return parent_; }
  const std::vector<Menu*>& Items() const { return items_; }
  void ReadDesign(const PropertyBag& bag) override;
  void ResetDesign(const PropertyBag& bag) override;

  // --- For the forms layer ---
  void AddItem(Menu* item);
  QAction* Action() const;
  QMenu* Popup() const;  // the menu of its items (nullptr for a plain item)
  std::function<void()> OnVisibility;  // the menu bar follows a top-level menu's Visible

 private:
  std::string caption_;
  bool checked_ = false, menuEnabled_ = true, menuVisible_ = true;
  Menu* parent_ = nullptr;
  std::vector<Menu*> items_;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A list of the file names of one folder that match a pattern ("*.gif;*.jpg").
class FileListBox : public Control {
 public:
  explicit FileListBox(QWidget* parent);
  std::string Path() const { return path_; }
  void Path(const std::string& p);
  std::string Pattern() const { return pattern_; }
  void Pattern(const std::string& p);
  std::string FileName() const;
  int ListCount() const { return static_cast<int>(files_.size()); }
  std::string List(int index) const;
  int ListIndex() const { return listIndex_; }
  void ListIndex(int i);
  void Refresh() override;
  void ReadDesign(const PropertyBag& bag) override;

 private:
  std::string path_, pattern_ = "*.*";
  std::vector<std::string> files_;
  int listIndex_ = -1;
};

}  // namespace vb
