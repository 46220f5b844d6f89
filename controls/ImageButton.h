// The skinned push button: four stacked faces (normal, mouse down, disabled, mouse over), each
// with its own picture, colours and caption offset, switched as the pointer enters, presses,
// releases and leaves. Type name "ImageButton" in design texts.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/UserControl.h"

namespace vb {
class PictureBox;
class TimerControl;
}  // namespace vb

namespace zantiro {

// Colours of the design defaults: the button face and the window text of the desktop.
constexpr int32_t kColorButtonFace = static_cast<int32_t>(0x8000000F);
constexpr int32_t kColorWindowText = static_cast<int32_t>(0x80000008);

// One line of a caption and where its top-left corner goes.
struct CaptionLine {
  std::string text;
  float x = 0, y = 0;
};

// Lays out a caption (lines separated by CR LF) on a surface of width x height: each line
// centred on its own, the block of blockHeight centred as a whole, every line given the same
// share of the block, then the whole caption moved by shiftX, shiftY.
std::vector<CaptionLine> LayoutCaption(const std::string& caption, float width, float height,
                                       float blockHeight,
                                       const std::function<float(const std::string&)>& lineWidth,
                                       float shiftX, float shiftY);

// Prints a caption, laid out as above, on a surface in its font and fore colour.
void PrintCaption(vb::Control& surface, const std::string& caption, float shiftX, float shiftY);

class ImageButton : public vb::UserControl {
 public:
  explicit ImageButton(const vb::ControlSite& site);
  ~ImageButton() override;

  // The face on top: 0 normal, 1 mouse down, 2 disabled, 3 mouse over.
  int32_t State() const { return m_State; }
  void State(int32_t New_State);
  int OLEDropMode() const;
  void OLEDropMode(int New_OLEDropMode) override;
  vb::StdFont Font() const override;
  void Font(const vb::StdFont& New_Font) override;
  std::string Caption() const { return m_Caption; }
  void Caption(const std::string& New_Caption);
  // Sets the control's ToolTipText and shows it on the disabled and mouse-over faces.
  void SetToolTip(const std::string& New_Caption);
  int32_t BackColor() const override;
  void BackColor(int32_t New_BackColor) override;
  int32_t BackColorMouseDown() const;
  void BackColorMouseDown(int32_t New_BackColor);
  int32_t BackColorDisabled() const;
  void BackColorDisabled(int32_t New_BackColor);
  int32_t BackColorMouseOver() const;
  void BackColorMouseOver(int32_t New_BackColor);
  int32_t ForeColor() const override;
  void ForeColor(int32_t New_ForeColor) override;
  int32_t ForeColorMouseDown() const;
  void ForeColorMouseDown(int32_t New_ForeColor);
  int32_t ForeColorDisabled() const;
  void ForeColorDisabled(int32_t New_ForeColor);
  int32_t ForeColorMouseOver() const;
  void ForeColorMouseOver(int32_t New_ForeColor);
  vb::StdPicture MouseIcon() const;
  void MouseIcon(const vb::StdPicture& New_MouseIcon);
  vb::StdPicture Picture() const;
  void Picture(const vb::StdPicture& New_Picture) override;
  vb::StdPicture PictureMouseDown() const;
  void PictureMouseDown(const vb::StdPicture& New_Picture);
  vb::StdPicture PictureDisabled() const;
  void PictureDisabled(const vb::StdPicture& New_Picture);
  vb::StdPicture PictureMouseOver() const;
  void PictureMouseOver(const vb::StdPicture& New_Picture);
  int16_t ShiftX_Caption() const { return m_ShiftX[0]; }
  void ShiftX_Caption(int16_t New_Shift);
  int16_t ShiftY_Caption() const { return m_ShiftY[0]; }
  void ShiftY_Caption(int16_t New_Shift);
  int16_t ShiftX_CaptionMouseDown() const { return m_ShiftX[1]; }
  void ShiftX_CaptionMouseDown(int16_t New_Shift);
  int16_t ShiftY_CaptionMouseDown() const { return m_ShiftY[1]; }
  void ShiftY_CaptionMouseDown(int16_t New_Shift);
  int16_t ShiftX_CaptionDisabled() const { return m_ShiftX[2]; }
  void ShiftX_CaptionDisabled(int16_t New_Shift);
  int16_t ShiftY_CaptionDisabled() const { return m_ShiftY[2]; }
  void ShiftY_CaptionDisabled(int16_t New_Shift);
  int16_t ShiftX_CaptionMouseOver() const { return m_ShiftX[3]; }
  void ShiftX_CaptionMouseOver(int16_t New_Shift);
  int16_t ShiftY_CaptionMouseOver() const { return m_ShiftY[3]; }
  void ShiftY_CaptionMouseOver(int16_t New_Shift);

  // Events of its own; Click, MouseMove, MouseDown, MouseUp and OLEDragDrop are those of
  // every control.
  std::function<void()> MouseEnter, MouseLeave;

  void InitProperties() override;
  void ReadProperties(const vb::PropertyBag& PropBag) override;
  void WriteProperties(vb::PropertyBag& PropBag) const override;

 protected:
  void UserControl_Resize() override;
  void UserControl_Show() override;

 private:
  void DrawButton(bool bResize, bool bCaptions);
  void setBackColor(int face, int32_t color, const char* key);
  void setForeColor(int face, int32_t color, const char* key);
  void setPicture(int face, const vb::StdPicture& picture, const char* key);
  void setShift(std::array<int16_t, 4>& shifts, int face, int16_t shift, const char* key);
  void picBn_MouseDown(int Button, int Shift, float X, float Y);
  void picBn_MouseUp(int Button, int Shift, float X, float Y);
  void picBn_MouseMove(int Button, int Shift, float X, float Y);
  void tmrCheck_Timer();

  std::array<std::unique_ptr<vb::PictureBox>, 4> picBn;
  std::unique_ptr<vb::TimerControl> tmrCheck;
  int32_t m_State = 0;
  std::string m_Caption;
  std::array<int16_t, 4> m_ShiftX{}, m_ShiftY{};
};

}  // namespace zantiro
