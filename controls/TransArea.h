// The clickable picture area: shows the part of its parent's image that lies under it, can
// lay a picture over that with one colour of the picture left out, prints a centred caption,
// and raises click, mouse, hover and drop events. Type name "TransArea" in design texts.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "runtime/UserControl.h"

namespace vb {
class PictureBox;
class TimerControl;
}  // namespace vb

namespace zantiro {

class TransArea : public vb::UserControl {
 public:
  explicit TransArea(const vb::ControlSite& site);
  ~TransArea() override;

  void OLEDropMode(int New_OLEDropMode) override;
  using vb::UserControl::OLEDropMode;
  void Font(const vb::StdFont& New_Font) override;
  using vb::UserControl::Font;
  std::string Caption() const { return m_Caption; }
  void Caption(const std::string& New_Caption);
  // Sets the control's ToolTipText, then redraws.
  void SetToolTip(const std::string& New_Caption);
  // 0 no border, 1 a single line.
  int BorderStyle() const { return vb::UserControl::BorderStyle(); }
  void BorderStyle(int New_BorderStyle);
  // 0 shows the parent's image only; any other value lays the picture over it.
  int32_t BackStyle() const { return m_BackStyle; }
  void BackStyle(int32_t New_BackStyle);
  // Whether points of the MaskColor are left out of the picture.
  bool MaskColorUse() const { return m_MaskColorUse; }
  void MaskColorUse(bool New_MaskColorUse);
  int32_t MaskColor() const;
  void MaskColor(int32_t New_MaskColor);
  void BackColor(int32_t New_BackColor) override;
  using vb::UserControl::BackColor;
  void ForeColor(int32_t New_ForeColor) override;
  using vb::UserControl::ForeColor;
  vb::StdPicture MouseIcon() const { return vb::UserControl::MouseIcon(); }
  void MouseIcon(const vb::StdPicture& New_MouseIcon);
  // Image (the composed background, overlay and caption) is the surface's own.
  vb::StdPicture Picture() const;
  void Picture(const vb::StdPicture& New_Picture) override;
  int16_t ShiftX_Caption() const { return m_ShiftX_Caption; }
  void ShiftX_Caption(int16_t New_Shift);
  int16_t ShiftY_Caption() const { return m_ShiftY_Caption; }
  void ShiftY_Caption(int16_t New_Shift);

  // Events of its own; Click, MouseMove, MouseDown, MouseUp and OLEDragDrop are those of
  // every control.
  std::function<void()> MouseEnter, MouseLeave;

  void InitProperties() override;
  void ReadProperties(const vb::PropertyBag& PropBag) override;
  void WriteProperties(vb::PropertyBag& PropBag) const override;

 protected:
  void UserControl_Resize() override;
  void UserControl_Show() override;
  void UserControl_MouseDown(int Button, int Shift, float X, float Y) override;
  void UserControl_MouseMove(int Button, int Shift, float X, float Y) override;
  void UserControl_MouseUp(int Button, int Shift, float X, float Y) override;

 private:
  void DrawArea();
  void composeParent();
  void tmrCheck_Timer();

  std::unique_ptr<vb::PictureBox> picInput;
  std::unique_ptr<vb::TimerControl> tmrCheck;
  std::string m_Caption;
  int32_t m_BackStyle = 0;
  bool m_MouseInside = false;
  bool m_MaskColorUse = false;
  int16_t m_ShiftX_Caption = 0, m_ShiftY_Caption = 0;
};

}  // namespace zantiro
