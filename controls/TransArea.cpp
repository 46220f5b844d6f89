#include "controls/TransArea.h"

#include <algorithm>

#include "controls/ImageButton.h"
#include "platform/window.h"
#include "runtime/controls.h"
#include "runtime/events.h"
#include "runtime/propbag.h"

extern "C" void fenwo_register_TransArea() {}

namespace zantiro {
namespace {

// Registered as the program loads; the build keeps this file in every program that links
// the controls (see CMakeLists.txt), as nothing else may refer to it.
const bool registered = [] {
  auto make = [](const vb::ControlSite& site) -> std::unique_ptr<vb::Control> {
    return std::make_unique<TransArea>(site);
  };
  vb::RegisterControlType("TransArea", make);
  vb::RegisterControlType("FenwoZantiro.TransArea", make);
  return true;
}();

// Runs one step of a routine that goes on when a step fails.
template <class F>
void resume(F&& step) {
  try {
    step();
  } catch (...) {
  }
}

}  // namespace

TransArea::TransArea(const vb::ControlSite& site) : vb::UserControl(site) {
  (void)registered;
  picInput = std::make_unique<vb::PictureBox>(PartsParent());
  picInput->Visible(false);  // only read, never seen
  picInput->BorderStyle(0);
  picInput->ScaleMode(vb::vbPixels);
  picInput->AutoRedraw(true);
  picInput->BackColor(vb::vbWhite);
  tmrCheck = std::make_unique<vb::TimerControl>();
  tmrCheck->Enabled(false);
  tmrCheck->Interval(200);
  tmrCheck->Timer = [this] { tmrCheck_Timer(); };
  vb::UserControl::BorderStyle(1);
  vb::UserControl::ForeColor(kColorWindowText);
  vb::UserControl::MousePointer(vb::vbCustom);
}

TransArea::~TransArea() = default;

// --- Drawing ---

// Copies the part of the parent's persistent image that lies under the area onto it.
void TransArea::composeParent() {
  vb::Container* parent = ContainerOf();
  if (!parent) return;
  const vb::StdPicture image = parent->Image();
  if (!image) return;
  const auto x = static_cast<float>((Left() - parent->ScaleLeft()) / parent->UnitsPerPixelX());
  const auto y = static_cast<float>((Top() - parent->ScaleTop()) / parent->UnitsPerPixelY());
  PaintPicture(image, 0, 0, ScaleWidth(), ScaleHeight(), x, y, ScaleWidth(), ScaleHeight());
}

void TransArea::DrawArea() {
  resume([&] { Cls(); });
  if (m_BackStyle == 0) {
    resume([&] {
      vb::Container* parent = ContainerOf();
      if (parent && parent->Image()) {
        composeParent();
        vb::Container::Picture(Image());
      } else {
        vb::Container::Picture(vb::StdPicture());
      }
    });
  } else {
    resume([&] {
      if (picInput->Picture()) {
        composeParent();
        const auto W = static_cast<int>(picInput->ScaleWidth());
        const auto H = static_cast<int>(picInput->ScaleHeight());
        const int32_t mask = picInput->BackColor();
        for (int x = 0; x < W; ++x)
          for (int y = 0; y < H; ++y) {
            const int32_t c = vb::Point(*picInput, static_cast<float>(x), static_cast<float>(y));
            if (!m_MaskColorUse || c != mask)
              vb::PSet(*this, static_cast<float>(x), static_cast<float>(y), c);
          }
        vb::Container::Picture(Image());
      } else {
        vb::Container::Picture(vb::StdPicture());
      }
    });
  }
  // Drawn over the background picture, so the next clearing removes it.
  resume([&] { PrintCaption(*this, m_Caption, m_ShiftX_Caption, m_ShiftY_Caption); });
  resume([] { vb::DoEvents(); });
}

void TransArea::UserControl_Resize() {
  // The overlay covers the area; what its picture leaves free has the MaskColor.
  picInput->Move(0, 0.0f, ScaleWidth(), ScaleHeight());
  picInput->Cls();
  DrawArea();
}

void TransArea::UserControl_Show() { DrawArea(); }

// --- Properties ---

void TransArea::OLEDropMode(int New_OLEDropMode) {
  vb::UserControl::OLEDropMode(New_OLEDropMode);
  PropertyChanged("OLEDropMode");
}

void TransArea::Font(const vb::StdFont& New_Font) {
  vb::UserControl::Font(New_Font);
  DrawArea();
  PropertyChanged("Font");
}

void TransArea::Caption(const std::string& New_Caption) {
  m_Caption = New_Caption;
  DrawArea();
  PropertyChanged("Caption");
}

void TransArea::SetToolTip(const std::string& New_Caption) {
  ToolTipText(New_Caption);
  UserControl_Show();
}

void TransArea::BorderStyle(int New_BorderStyle) {
  vb::UserControl::BorderStyle(New_BorderStyle);
  DrawArea();
  PropertyChanged("BorderStyle");
}

void TransArea::BackStyle(int32_t New_BackStyle) {
  m_BackStyle = New_BackStyle;
  DrawArea();
  PropertyChanged("BackStyle");
}

void TransArea::MaskColorUse(bool New_MaskColorUse) {
  m_MaskColorUse = New_MaskColorUse;
  DrawArea();
  PropertyChanged("MaskColorUse");
}

int32_t TransArea::MaskColor() const { return picInput->BackColor(); }
void TransArea::MaskColor(int32_t New_MaskColor) {
  picInput->BackColor(New_MaskColor);
  DrawArea();
  PropertyChanged("MaskColor");
}

void TransArea::BackColor(int32_t New_BackColor) {
  vb::UserControl::BackColor(New_BackColor);
  DrawArea();
  PropertyChanged("BackColor");
}

void TransArea::ForeColor(int32_t New_ForeColor) {
  vb::UserControl::ForeColor(New_ForeColor);
  DrawArea();
  PropertyChanged("ForeColor");
}

void TransArea::MouseIcon(const vb::StdPicture& New_MouseIcon) {
  vb::UserControl::MouseIcon(New_MouseIcon);
  PropertyChanged("MouseIcon");
}

vb::StdPicture TransArea::Picture() const { return picInput->Picture(); }
void TransArea::Picture(const vb::StdPicture& New_Picture) {
  picInput->Picture(New_Picture);
  DrawArea();
  PropertyChanged("Picture");
}

void TransArea::ShiftX_Caption(int16_t New_Shift) {
  m_ShiftX_Caption = New_Shift;
  DrawArea();
  PropertyChanged("ShiftX_Caption");
}

void TransArea::ShiftY_Caption(int16_t New_Shift) {
  m_ShiftY_Caption = New_Shift;
  DrawArea();
  PropertyChanged("ShiftY_Caption");
}

// --- Stored settings ---

void TransArea::InitProperties() {
  vb::UserControl::Font(Ambient().Font);
  m_Caption = "TransArea";
}

void TransArea::ReadProperties(const vb::PropertyBag& PropBag) {
  // A key whose value cannot be read is left as it is.
  auto shift = [&](const char* key) {
    return static_cast<int16_t>(
        std::clamp<int32_t>(PropBag.ReadProperty(key, int32_t{0}), INT16_MIN, INT16_MAX));
  };
  resume([&] { BorderStyle(PropBag.ReadProperty("BorderStyle", int32_t{1})); });
  resume([&] { m_BackStyle = PropBag.ReadProperty("BackStyle", int32_t{0}); });
  resume([&] { m_MaskColorUse = PropBag.ReadProperty("MaskColorUse", false); });
  resume([&] { picInput->BackColor(PropBag.ReadProperty("MaskColor", int32_t{vb::vbWhite})); });
  resume([&] { BackColor(PropBag.ReadProperty("BackColor", kColorButtonFace)); });
  resume([&] { ForeColor(PropBag.ReadProperty("ForeColor", kColorWindowText)); });
  resume([&] { OLEDropMode(PropBag.ReadProperty("OLEDropMode", int32_t{vb::vbOLEDropNone})); });
  resume([&] { Font(PropBag.ReadProperty("Font", Ambient().Font)); });
  resume([&] { m_Caption = PropBag.ReadProperty("Caption", "TransArea"); });
  resume([&] { m_ShiftX_Caption = shift("ShiftX_Caption"); });
  resume([&] { m_ShiftY_Caption = shift("ShiftY_Caption"); });
  resume([&] { picInput->Picture(PropBag.ReadProperty("Picture", vb::StdPicture())); });
  resume([&] { MouseIcon(PropBag.ReadProperty("MouseIcon", vb::StdPicture())); });
}

void TransArea::WriteProperties(vb::PropertyBag& PropBag) const {
  PropBag.WriteProperty("BorderStyle", int32_t{BorderStyle()}, int32_t{1});
  PropBag.WriteProperty("BackStyle", m_BackStyle, int32_t{0});
  PropBag.WriteProperty("MaskColorUse", m_MaskColorUse, false);
  PropBag.WriteProperty("MaskColor", picInput->BackColor(), int32_t{vb::vbWhite});
  PropBag.WriteProperty("BackColor", BackColor(), kColorButtonFace);
  PropBag.WriteProperty("ForeColor", ForeColor(), kColorWindowText);
  PropBag.WriteProperty("OLEDropMode", int32_t{OLEDropMode()}, int32_t{vb::vbOLEDropNone});
  PropBag.WriteProperty("Font", Font(), Ambient().Font);
  PropBag.WriteProperty("Caption", m_Caption, std::string("TransArea"));
  PropBag.WriteProperty("ShiftX_Caption", int32_t{m_ShiftX_Caption}, int32_t{0});
  PropBag.WriteProperty("ShiftY_Caption", int32_t{m_ShiftY_Caption}, int32_t{0});
  PropBag.WriteProperty("Picture", picInput->Picture(), vb::StdPicture());
  PropBag.WriteProperty("MouseIcon", MouseIcon(), vb::StdPicture());
}

// --- Input ---

void TransArea::UserControl_MouseDown(int Button, int Shift, float X, float Y) {
  vb::RaiseEvent(MouseDown, Button, Shift, X, Y);
}

void TransArea::UserControl_MouseUp(int Button, int Shift, float X, float Y) {
  if (Button == vb::vbLeftButton && Ambient().UserMode) vb::RaiseEvent(Click);
  vb::RaiseEvent(MouseUp, Button, Shift, X, Y);
}

void TransArea::UserControl_MouseMove(int Button, int Shift, float X, float Y) {
  vb::RaiseEvent(MouseMove, Button, Shift, X, Y);
  if (!m_MouseInside && !tmrCheck->Enabled() && Ambient().UserMode) {
    m_MouseInside = true;
    vb::RaiseEvent(MouseEnter);
    tmrCheck->Enabled(true);
  }
}

void TransArea::tmrCheck_Timer() {
  win::POINT pt;
  win::GetCursorPos(pt);
  if (vb::ControlFromPoint(pt.x, pt.y) == this) return;
  tmrCheck->Enabled(false);
  m_MouseInside = false;
  vb::RaiseEvent(MouseLeave);
}

}  // namespace zantiro
