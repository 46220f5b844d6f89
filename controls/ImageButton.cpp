#include "controls/ImageButton.h"

#include <algorithm>

#include "platform/window.h"
#include "runtime/controls.h"
#include "runtime/events.h"
#include "runtime/propbag.h"
#include "runtime/strings.h"

extern "C" void fenwo_register_ImageButton() {}

namespace zantiro {

std::vector<CaptionLine> LayoutCaption(const std::string& caption, float width, float height,
                                       float blockHeight,
                                       const std::function<float(const std::string&)>& lineWidth,
                                       float shiftX, float shiftY) {
  std::vector<CaptionLine> out;
  const std::vector<std::string> lines = vb::Split(caption, "\r\n");
  const auto n = static_cast<float>(lines.size());
  for (size_t j = 0; j < lines.size(); ++j) {
    CaptionLine l;
    l.text = lines[j];
    l.x = (width - lineWidth(l.text)) / 2 + shiftX;
    l.y = static_cast<float>(j) * blockHeight / n + (height - blockHeight) / 2 + shiftY;
    out.push_back(std::move(l));
  }
  return out;
}

void PrintCaption(vb::Control& surface, const std::string& caption, float shiftX, float shiftY) {
  auto* k = dynamic_cast<vb::Container*>(&surface);
  if (!k) return;
  const float H = vb::TextHeight(surface, caption);
  const auto width = [&](const std::string& line) { return vb::TextWidth(surface, line); };
  for (const CaptionLine& l :
       LayoutCaption(caption, k->ScaleWidth(), k->ScaleHeight(), H, width, shiftX, shiftY))
    vb::Print(surface, l.x, l.y, l.text);
}

namespace {

// Registered as the program loads; the build keeps this file in every program that links
// the controls (see CMakeLists.txt), as nothing else may refer to it.
const bool registered = [] {
  auto make = [](const vb::ControlSite& site) -> std::unique_ptr<vb::Control> {
    return std::make_unique<ImageButton>(site);
  };
  vb::RegisterControlType("ImageButton", make);
  vb::RegisterControlType("FenwoZantiro.ImageButton", make);
  return true;
}();

int16_t shiftValue(int32_t v) {
  return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

}  // namespace

ImageButton::ImageButton(const vb::ControlSite& site) : vb::UserControl(site) {
  (void)registered;
  for (size_t i = 0; i < picBn.size(); ++i) {
    auto face = std::make_unique<vb::PictureBox>(PartsParent());
    face->BorderStyle(0);
    face->ScaleMode(vb::vbPixels);
    face->AutoRedraw(true);
    face->BackColor(kColorButtonFace);
    face->ForeColor(kColorWindowText);
    face->MousePointer(vb::vbCustom);
    face->MouseDown = [this](int b, int s, float x, float y) { picBn_MouseDown(b, s, x, y); };
    face->MouseUp = [this](int b, int s, float x, float y) { picBn_MouseUp(b, s, x, y); };
    face->MouseMove = [this](int b, int s, float x, float y) { picBn_MouseMove(b, s, x, y); };
    face->OLEDragDrop = [this](vb::DataObject& Data, int& Effect, int b, int s, float x, float y) {
      vb::RaiseEvent(OLEDragDrop, Data, Effect, b, s, x, y);
    };
    picBn[i] = std::move(face);
  }
  tmrCheck = std::make_unique<vb::TimerControl>();
  tmrCheck->Enabled(false);
  tmrCheck->Interval(200);
  tmrCheck->Timer = [this] { tmrCheck_Timer(); };
}

ImageButton::~ImageButton() = default;

// --- Drawing ---

void ImageButton::DrawButton(bool bResize, bool bCaptions) {
  if (bResize) {
    for (auto& face : picBn) {
      face->Move(0, 0.0f, ScaleWidth(), ScaleHeight());
      face->Enabled(m_State != 2);
    }
  }
  if (bCaptions) {
    for (size_t i = 0; i < picBn.size(); ++i) {
      picBn[i]->Cls();
      PrintCaption(*picBn[i], m_Caption, m_ShiftX[i], m_ShiftY[i]);
    }
  }
  picBn[static_cast<size_t>(m_State)]->ZOrder(0);
  vb::DoEvents();
}

void ImageButton::UserControl_Resize() { DrawButton(true, true); }

void ImageButton::UserControl_Show() {
  // Faces 0 and 1 keep their own (empty) tooltip.
  picBn[2]->ToolTipText(ToolTipText());
  picBn[3]->ToolTipText(ToolTipText());
  DrawButton(true, true);
}

// --- Properties ---

void ImageButton::State(int32_t New_State) {
  if (New_State < 0 || New_State > static_cast<int32_t>(picBn.size()) - 1) return;
  m_State = New_State;
  DrawButton(false, false);
  PropertyChanged("State");
}

int ImageButton::OLEDropMode() const { return picBn[0]->OLEDropMode(); }
void ImageButton::OLEDropMode(int New_OLEDropMode) {
  for (auto& face : picBn) face->OLEDropMode(New_OLEDropMode);
  PropertyChanged("OLEDropMode");
}

vb::StdFont ImageButton::Font() const { return picBn[0]->Font(); }
void ImageButton::Font(const vb::StdFont& New_Font) {
  for (auto& face : picBn) face->Font(New_Font);
  DrawButton(false, true);
  PropertyChanged("Font");
}

void ImageButton::Caption(const std::string& New_Caption) {
  m_Caption = New_Caption;
  for (size_t i = 1; i < picBn.size(); ++i) picBn[i]->Font(picBn[0]->Font());
  DrawButton(false, true);
  PropertyChanged("Caption");
}

void ImageButton::SetToolTip(const std::string& New_Caption) {
  ToolTipText(New_Caption);
  UserControl_Show();
}

void ImageButton::setBackColor(int face, int32_t color, const char* key) {
  picBn[static_cast<size_t>(face)]->BackColor(color);
  DrawButton(false, true);
  PropertyChanged(key);
}
void ImageButton::setForeColor(int face, int32_t color, const char* key) {
  picBn[static_cast<size_t>(face)]->ForeColor(color);
  DrawButton(false, true);
  PropertyChanged(key);
}
void ImageButton::setPicture(int face, const vb::StdPicture& picture, const char* key) {
  picBn[static_cast<size_t>(face)]->Picture(picture);
  DrawButton(false, true);
  PropertyChanged(key);
}
void ImageButton::setShift(std::array<int16_t, 4>& shifts, int face, int16_t shift,
                           const char* key) {
  shifts[static_cast<size_t>(face)] = shift;
  DrawButton(false, true);
  PropertyChanged(key);
}

int32_t ImageButton::BackColor() const { return picBn[0]->BackColor(); }
void ImageButton::BackColor(int32_t c) { setBackColor(0, c, "BackColor"); }
int32_t ImageButton::BackColorMouseDown() const { return picBn[1]->BackColor(); }
void ImageButton::BackColorMouseDown(int32_t c) { setBackColor(1, c, "BackColorMouseDown"); }
int32_t ImageButton::BackColorDisabled() const { return picBn[2]->BackColor(); }
void ImageButton::BackColorDisabled(int32_t c) { setBackColor(2, c, "BackColorDisabled"); }
int32_t ImageButton::BackColorMouseOver() const { return picBn[3]->BackColor(); }
void ImageButton::BackColorMouseOver(int32_t c) { setBackColor(3, c, "BackColorMouseOver"); }

int32_t ImageButton::ForeColor() const { return picBn[0]->ForeColor(); }
void ImageButton::ForeColor(int32_t c) { setForeColor(0, c, "ForeColor"); }
int32_t ImageButton::ForeColorMouseDown() const { return picBn[1]->ForeColor(); }
void ImageButton::ForeColorMouseDown(int32_t c) { setForeColor(1, c, "ForeColorMouseDown"); }
int32_t ImageButton::ForeColorDisabled() const { return picBn[2]->ForeColor(); }
void ImageButton::ForeColorDisabled(int32_t c) { setForeColor(2, c, "ForeColorDisabled"); }
int32_t ImageButton::ForeColorMouseOver() const { return picBn[3]->ForeColor(); }
void ImageButton::ForeColorMouseOver(int32_t c) { setForeColor(3, c, "ForeColorMouseOver"); }

vb::StdPicture ImageButton::MouseIcon() const { return picBn[0]->MouseIcon(); }
void ImageButton::MouseIcon(const vb::StdPicture& New_MouseIcon) {
  // The disabled face keeps the default pointer.
  for (size_t i : {0u, 1u, 3u}) picBn[i]->MouseIcon(New_MouseIcon);
  PropertyChanged("MouseIcon");
}

vb::StdPicture ImageButton::Picture() const { return picBn[0]->Picture(); }
void ImageButton::Picture(const vb::StdPicture& p) { setPicture(0, p, "Picture"); }
vb::StdPicture ImageButton::PictureMouseDown() const { return picBn[1]->Picture(); }
void ImageButton::PictureMouseDown(const vb::StdPicture& p) { setPicture(1, p, "PictureMouseDown"); }
vb::StdPicture ImageButton::PictureDisabled() const { return picBn[2]->Picture(); }
void ImageButton::PictureDisabled(const vb::StdPicture& p) { setPicture(2, p, "PictureDisabled"); }
vb::StdPicture ImageButton::PictureMouseOver() const { return picBn[3]->Picture(); }
void ImageButton::PictureMouseOver(const vb::StdPicture& p) { setPicture(3, p, "PictureMouseOver"); }

void ImageButton::ShiftX_Caption(int16_t v) { setShift(m_ShiftX, 0, v, "ShiftX_Caption"); }
void ImageButton::ShiftY_Caption(int16_t v) { setShift(m_ShiftY, 0, v, "ShiftY_Caption"); }
void ImageButton::ShiftX_CaptionMouseDown(int16_t v) { setShift(m_ShiftX, 1, v, "ShiftX_CaptionMouseDown"); }
void ImageButton::ShiftY_CaptionMouseDown(int16_t v) { setShift(m_ShiftY, 1, v, "ShiftY_CaptionMouseDown"); }
void ImageButton::ShiftX_CaptionDisabled(int16_t v) { setShift(m_ShiftX, 2, v, "ShiftX_CaptionDisabled"); }
void ImageButton::ShiftY_CaptionDisabled(int16_t v) { setShift(m_ShiftY, 2, v, "ShiftY_CaptionDisabled"); }
void ImageButton::ShiftX_CaptionMouseOver(int16_t v) { setShift(m_ShiftX, 3, v, "ShiftX_CaptionMouseOver"); }
void ImageButton::ShiftY_CaptionMouseOver(int16_t v) { setShift(m_ShiftY, 3, v, "ShiftY_CaptionMouseOver"); }

// --- Stored settings ---

namespace {
const char* const kBackKeys[] = {"BackColor", "BackColorMouseDown", "BackColorDisabled",
                                 "BackColorMouseOver"};
const char* const kForeKeys[] = {"ForeColor", "ForeColorMouseDown", "ForeColorDisabled",
                                 "ForeColorMouseOver"};
const char* const kPictureKeys[] = {"Picture", "PictureMouseDown", "PictureDisabled",
                                    "PictureMouseOver"};
const char* const kShiftKeys[][2] = {{"ShiftX_Caption", "ShiftY_Caption"},
                                     {"ShiftX_CaptionMouseDown", "ShiftY_CaptionMouseDown"},
                                     {"ShiftX_CaptionDisabled", "ShiftY_CaptionDisabled"},
                                     {"ShiftX_CaptionMouseOver", "ShiftY_CaptionMouseOver"}};
}  // namespace

void ImageButton::InitProperties() {
  picBn[0]->Font(Ambient().Font);
  m_Caption = "ImageButton";
}

void ImageButton::ReadProperties(const vb::PropertyBag& PropBag) {
  m_State = PropBag.ReadProperty("State", int32_t{0});
  // A stored face number that no face has would leave nothing to show.
  if (m_State < 0 || m_State > 3) m_State = 0;
  for (size_t i = 0; i < 4; ++i)
    picBn[i]->BackColor(PropBag.ReadProperty(kBackKeys[i], kColorButtonFace));
  for (size_t i = 0; i < 4; ++i)
    picBn[i]->ForeColor(PropBag.ReadProperty(kForeKeys[i], kColorWindowText));
  picBn[0]->OLEDropMode(PropBag.ReadProperty("OLEDropMode", int32_t{vb::vbOLEDropNone}));
  for (size_t i = 1; i < 4; ++i) picBn[i]->OLEDropMode(picBn[0]->OLEDropMode());
  const vb::StdFont ambient = Ambient().Font;
  for (auto& face : picBn) face->Font(PropBag.ReadProperty("Font", ambient));
  m_Caption = PropBag.ReadProperty("Caption", "ImageButton");
  for (size_t i = 0; i < 4; ++i) {
    m_ShiftX[i] = shiftValue(PropBag.ReadProperty(kShiftKeys[i][0], int32_t{0}));
    m_ShiftY[i] = shiftValue(PropBag.ReadProperty(kShiftKeys[i][1], int32_t{0}));
  }
  for (size_t i = 0; i < 4; ++i)
    picBn[i]->Picture(PropBag.ReadProperty(kPictureKeys[i], vb::StdPicture()));
  picBn[0]->MouseIcon(PropBag.ReadProperty("MouseIcon", vb::StdPicture()));
  picBn[1]->MouseIcon(picBn[0]->MouseIcon());
  picBn[3]->MouseIcon(picBn[0]->MouseIcon());
}

void ImageButton::WriteProperties(vb::PropertyBag& PropBag) const {
  PropBag.WriteProperty("State", m_State, int32_t{0});
  for (size_t i = 0; i < 4; ++i)
    PropBag.WriteProperty(kBackKeys[i], picBn[i]->BackColor(), kColorButtonFace);
  for (size_t i = 0; i < 4; ++i)
    PropBag.WriteProperty(kForeKeys[i], picBn[i]->ForeColor(), kColorWindowText);
  PropBag.WriteProperty("OLEDropMode", int32_t{picBn[0]->OLEDropMode()},
                        int32_t{vb::vbOLEDropNone});
  PropBag.WriteProperty("Font", picBn[0]->Font(), Ambient().Font);
  PropBag.WriteProperty("Caption", m_Caption, std::string("ImageButton"));
  for (size_t i = 0; i < 4; ++i) {
    PropBag.WriteProperty(kShiftKeys[i][0], int32_t{m_ShiftX[i]}, int32_t{0});
    PropBag.WriteProperty(kShiftKeys[i][1], int32_t{m_ShiftY[i]}, int32_t{0});
  }
  for (size_t i = 0; i < 4; ++i)
    PropBag.WriteProperty(kPictureKeys[i], picBn[i]->Picture(), vb::StdPicture());
  PropBag.WriteProperty("MouseIcon", picBn[0]->MouseIcon(), vb::StdPicture());
}

// --- Input ---

void ImageButton::picBn_MouseDown(int Button, int Shift, float X, float Y) {
  if (Button == vb::vbLeftButton && Ambient().UserMode) {
    m_State = 1;
    DrawButton(false, false);
  }
  vb::RaiseEvent(MouseDown, Button, Shift, X, Y);
}

void ImageButton::picBn_MouseUp(int Button, int Shift, float X, float Y) {
  if (Button == vb::vbLeftButton && Ambient().UserMode) {
    m_State = 0;
    DrawButton(false, false);
    vb::RaiseEvent(Click);
  }
  vb::RaiseEvent(MouseUp, Button, Shift, X, Y);
}

void ImageButton::picBn_MouseMove(int Button, int Shift, float X, float Y) {
  vb::RaiseEvent(MouseMove, Button, Shift, X, Y);
  if (m_State != 3 && !tmrCheck->Enabled() && Ambient().UserMode) {
    m_State = 3;
    DrawButton(false, false);
    vb::RaiseEvent(MouseEnter);
    tmrCheck->Enabled(true);
  }
}

// The pointer has left when the window under it is none of the faces (another window that
// covers the button counts as leaving).
void ImageButton::tmrCheck_Timer() {
  win::POINT pt;
  win::GetCursorPos(pt);
  const vb::Control* under = vb::ControlFromPoint(pt.x, pt.y);
  for (const auto& face : picBn)
    if (under == face.get()) return;
  tmrCheck->Enabled(false);
  m_State = 0;
  DrawButton(false, false);
  vb::RaiseEvent(MouseLeave);
}

}  // namespace zantiro
