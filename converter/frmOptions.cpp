#include "converter/frmOptions.h"

#include <vector>

#include "converter/FitSkin.h"
#include "converter/SourceProbe.h"
#include "converter/frmMain.h"
#include "converter/frmPlayer.h"
#include "foundation/frmOutput.h"
#include "foundation/mdlConsole.h"
#include "foundation/mdlFenwoZantiro.h"
#include "foundation/mdlSetBoxSpec.h"
#include "platform/clock.h"
#include "platform/cmdline.h"
#include "platform/fontfile.h"
#include "platform/fs.h"
#include "platform/window.h"
#include "runtime/events.h"
#include "runtime/msgbox.h"
#include "runtime/numbers.h"
#include "runtime/screen.h"
#include "runtime/strings.h"

namespace zantiro {

using namespace mdlFenwoZantiro;
using mdlConsole::SendCommand;

namespace {
constexpr int32_t kColorKey = 0x010203;     // RGB(3, 2, 1): the engine's colour key
constexpr int32_t kNotColorKey = 0x020203;  // RGB(3, 2, 2)
constexpr const char* kTimePattern = "##:[0-5]#:[0-5]#.#";

std::string ValueText(const vb::Control& c) { return vb::CStr(vb::Val(c.Tag())); }
float TagValue(const vb::Control& c) { return static_cast<float>(vb::Val(c.Tag())); }
}  // namespace

frmOptions::frmOptions() : vb::Form(":/forms/frmOptions.txt") {
  mdlConsole::SetPreview(this);

  // ---- Window ----
  Load = [this] { Form_Load(); };
  Unload = [](int&) { mdlConsole::KillEngine(); };
  // The window is left by OK or Cancel and unloaded only with the main window: a close request
  // (Alt+F4 under a window manager) leaves it as Cancel does, so the main window, disabled while
  // it is open, is enabled again.
  QueryUnload = [this](int& cancel, int mode) {
    if (mode != vb::vbFormControlMenu) return;
    cancel = 1;
    cmdOkCancel_Click(1);
  };
  MouseMove = [this](int b, int s, float x, float y) { Form_MouseMove(b, s, x, y); };
  MouseDown = [this](int b, int, float, float) { Form_MouseDown(b); };
  for (vb::Control* c : std::vector<vb::Control*>{
           &lblBrightness, &lblContrast, &lblCropStr, &lblFpsStr, &lblHue, &lblNote, &lblSaturation,
           &lblScopeStr, &lblSizeStr, &lblVolume, &picTime, &lblCurTime, &lblTotalTime, &picPlayerFrame,
           &picPlayerContainer, &lblScopeNote})
    c->MouseMove = [this](int b, int, float, float) { Form_MouseMove(b, 0, 0, 0); };

  // ---- Colour and volume ----
  for (TransArea* b : imgBrightness) {
    b->Click = [this, b] { ColorStep(lblBrightness, imgBrightness, b->Index(), 1, "brightness "); };
    b->MouseEnter = [this, b] { ShowNote(LngText[b->Index() == 2 ? 96 : 97]); };
  }
  for (TransArea* b : imgContrast) {
    b->Click = [this, b] { ColorStep(lblContrast, imgContrast, b->Index(), 2, "contrast "); };
    b->MouseEnter = [this, b] { ShowNote(LngText[b->Index() == 2 ? 98 : 99]); };
  }
  for (TransArea* b : imgHue) {
    b->Click = [this, b] { ColorStep(lblHue, imgHue, b->Index(), 3, "hue "); };
    b->MouseEnter = [this, b] { ShowNote(LngText[b->Index() == 2 ? 100 : 101]); };
  }
  for (TransArea* b : imgSaturation) {
    b->Click = [this, b] { ColorStep(lblSaturation, imgSaturation, b->Index(), 4, "saturation "); };
    b->MouseEnter = [this, b] { ShowNote(LngText[b->Index() == 2 ? 102 : 103]); };
  }
  for (TransArea* b : lblVol) b->Click = [this, b] { lblVol_Click(b->Index()); };
  lblVolume.MouseDown = [this](int, int, float, float) { lblVolume_MouseDown(); };

  // ---- Crop rectangle ----
  picPlayer.MouseDown = [this](int, int, float x, float y) { picPlayer_MouseDown(x, y); };
  picPlayer.MouseMove = [this](int b, int, float x, float y) { picPlayer_MouseMove(b, x, y); };
  picPlayer.MouseUp = [this](int, int, float x, float y) { picPlayer_MouseUp(x, y); };

  // ---- Time range ----
  imgSlider.MouseDown = [this](int b, int, float x, float) {
    if (!lblCurTime.Caption().empty() && b == vb::vbLeftButton) imgSlider_MouseMove(b, x);
  };
  imgSlider.MouseMove = [this](int b, int, float x, float) { imgSlider_MouseMove(b, x); };
  imgSlider.MouseUp = [this](int b, int, float x, float) { imgSlider_MouseUp(b, x); };
  imgSliderBG.MouseDown = [this](int b, int, float x, float) { imgSliderBG_MouseDown(b, x); };
  imgSliderBG.MouseMove = [this](int b, int, float x, float) { imgSliderBG_MouseDown(b, x); };
  imgSliderBG.MouseUp = [this](int b, int, float x, float) { imgSliderBG_MouseUp(b, x); };
  for (TransArea* b : lblMark) {
    b->Click = [this, b] { lblMark_Click(b->Index()); };
    b->MouseEnter = [this, b] {
      if (!txtScope(0).Enabled()) ShowNote(LngText[87]);
      else if (lblCurTime.Caption().empty() || lblTotalTime.Caption().empty()) ShowNote(LngText[90]);
      else ShowNote(LngText[b->Index() == 0 ? 88 : 89]);
    };
  }
  lblMarkDel.Click = [this] { lblMarkDel_Click(); };
  lblMarkDel.MouseEnter = [this] { ShowNote(LngText[95]); };

  // ---- Applying the options ----
  for (ImageButton* b : cmdOkCancel) b->Click = [this, b] { cmdOkCancel_Click(b->Index()); };

  // ---- Preview ----
  tmrCheck.Timer = [this] { tmrCheck_Timer(); };
  tmrSpecCheck.Timer = [this] { tmrSpecCheck_Timer(); };
  lblPlay.Click = [this] { lblPlay_Click(); };
  lblPause.Click = [this] { lblPause_Click(); };
  lblPause.MouseEnter = [this] { ShowNote(LngText[94]); };
  lblBackward.Click = [this] { SeekPlayer(-10, 0, true, true); };
  lblBackward.MouseEnter = [this] { ShowNote(LngText[92]); };
  lblForward.Click = [this] { SeekPlayer(10, 0, true, true); };
  lblForward.MouseEnter = [this] { ShowNote(LngText[93]); };
  lblSrceenshot.Click = [this] { lblSrceenshot_Click(); };
  lblSrceenshot.MouseEnter = [this] { ShowNote(LngText[86]); };
  for (TransArea* b : lblCut2Pic) {
    b->Click = [this, b] { lblCut2Pic_Click(b->Index()); };
    b->MouseEnter = [this] { ShowNote(LngText[85]); };
  }
  for (TransArea* b : lbl2BigScreen) {
    b->Click = [this, b] { lbl2BigScreen_Click(b->Index()); };
    b->MouseEnter = [this] { ShowNote(LngText[91]); };
  }
  auto hideNote = [this] { ShowNote(""); };
  for (ImageButton* b : std::vector<ImageButton*>{&lblSrceenshot}) b->MouseLeave = hideNote;
  std::vector<TransArea*> hinted{&lblPause, &lblBackward, &lblForward, &lblMarkDel};
  for (auto* arr : {&imgBrightness, &imgContrast, &imgHue, &imgSaturation, &lblMark, &lblCut2Pic, &lbl2BigScreen})
    for (TransArea* b : *arr) hinted.push_back(b);
  for (TransArea* b : hinted) b->MouseLeave = hideNote;

  // ---- Input rules of the fields ----
  txtFps.KeyPress = [](int& k) {
    if (!vb::Like(vb::Chr(k), "[0-9.]") && k != 8 && k != 46) k = 0;
  };
  for (vb::TextBox* t : txtSize)
    t->KeyPress = [](int& k) {
      if (!vb::Like(vb::Chr(k), "[0-9]") && k != 8 && k != 46) k = 0;
    };
  for (vb::TextBox* t : txtScope) {
    t->KeyPress = [this, t](int& k) {
      if (vb::Like(vb::Chr(k), "[0-9.:]") || k == 8 || k == 46) return;
      if (k == 13) txtScope_LostFocus(t->Index());
      k = 0;
    };
    // Focus that leaves with the window itself (hidden, destroyed) checks nothing.
    t->LostFocus = [this, t] {
      if (Visible()) txtScope_LostFocus(t->Index());
    };
  }
}

frmOptions::~frmOptions() {
  mdlConsole::SetPreview(nullptr);
  for (vb::TextBox* t : txtScope) t->LostFocus = nullptr;
}

// ================================= Window =================================

void frmOptions::Form_Load() {
  win::SetWindowTextA(hWnd(), std::string("Fenwo.Zantiro") + " - Options");
  win::SetWindowLongA(hWnd(), win::GWL_STYLE, 0x6000000);
  const float tx = static_cast<float>(vb::Screen::TwipsPerPixelX());
  Width(Width() - tx);
  Width(Width() + tx);

  const vb::StdPicture hand = frmMain::Default().imgCur.Picture();
  std::vector<vb::Control*> handed{&lblVolume, &lbl2BigScreen(0), &lbl2BigScreen(1), &lblCut2Pic(0),
                                   &lblCut2Pic(1), &lblSrceenshot, &lblVol(0), &lblVol(1)};
  for (auto* arr : {&imgBrightness, &imgContrast, &imgHue, &imgSaturation})
    for (int i = 0; i <= 2; ++i) handed.push_back(&(*arr)(i));
  for (vb::Control* c : std::vector<vb::Control*>{&lblPlay, &lblPause, &lblBackward, &lblForward, &lblMark(0),
                                                  &lblMark(1), &lblMarkDel, &cmdOkCancel(0), &cmdOkCancel(1),
                                                  &imgSliderBG, &imgSlider})
    handed.push_back(c);
  for (vb::Control* c : handed) {
    // The picture controls keep their own pointer property; a plain control takes the picture.
    if (auto* a = dynamic_cast<TransArea*>(c)) a->MouseIcon(hand);
    else if (auto* b = dynamic_cast<ImageButton*>(c)) b->MouseIcon(hand);
    else c->MouseIcon(hand);
  }

  for (vb::Control* c : Controls())
    if (auto* t = dynamic_cast<vb::TextBox*>(c)) mdlSetBoxSpec::SetBoxSpec(t->hWnd(), 5);

  FitSkin(*this, picRestore);
  setStop(true, false);
  picPlayer.BackColor(kColorKey);
  shpScope.Visible(false);
}

void frmOptions::Form_MouseMove(int Button, int, float, float) {
  if (Button != vb::vbLeftButton) return;
  win::ReleaseCapture();
  win::SendMessageA(hWnd(), win::WM_NCLBUTTONDOWN, win::HTCAPTION, 0);
}

void frmOptions::Form_MouseDown(int Button) {
  if (Button != vb::vbRightButton || !IsDevIconPresent()) return;
  ShowConsole = vb::MsgBox("是否開啟 Dos 輸出視窗？", vb::vbYesNo) == vb::vbYes;
  frmOutput::Default().Visible(ShowConsole);
}

void frmOptions::ChangeLanguage() {
  lblMark(0).Caption(LngText[34]);
  lblMark(1).Caption(LngText[35]);
  cmdOkCancel(0).Caption(LngText[36]);
  cmdOkCancel(1).Caption(LngText[37]);
  lblBrightness.Caption(LngText[67] + " = ");
  lblContrast.Caption(LngText[68] + " = ");
  lblHue.Caption(LngText[69] + " = ");
  lblSaturation.Caption(LngText[70] + " = ");
  lblFpsStr.Caption(LngText[58]);
  lblScopeStr.Caption(LngText[60]);
  lblSizeStr.Caption(LngText[61]);
  lblCropStr.Caption(LngText[62]);
  SetScopeNote();
}

// =========================== Colour and volume ===========================

void frmOptions::setLblColorPara(int16_t mode, bool all) {
  if (all || mode == 0) lblVolume.ToolTipText(LngText[66] + " = " + ValueText(lblVolume));
  if (all || mode == 1) lblBrightness.Caption(LngText[67] + " = " + ValueText(lblBrightness));
  if (all || mode == 2) lblContrast.Caption(LngText[68] + " = " + ValueText(lblContrast));
  if (all || mode == 3) lblHue.Caption(LngText[69] + " = " + ValueText(lblHue));
  if (all || mode == 4) lblSaturation.Caption(LngText[70] + " = " + ValueText(lblSaturation));
}

// One of the four colour rows: step down (0), step up (1) or back to the engine's value (2).
void frmOptions::ColorStep(vb::Label& value, vb::ControlArray<TransArea>& buttons, int Index, int16_t mode,
                           const std::string& word) {
  value.Tag(vb::CStr(vb::Val(value.Tag()) + (Index * 2 - 1) * 5));
  if (Index == 2) value.Tag(buttons(2).Tag());
  if (vb::Val(value.Tag()) > 100) value.Tag("100");
  if (vb::Val(value.Tag()) < -100) value.Tag("-100");
  setLblColorPara(mode, false);
  SendCommand(word + ValueText(value) + " 1");
}

void frmOptions::lblVol_Click(int Index) {
  lblVolume.Tag(vb::CStr(vb::Val(lblVolume.Tag()) + (Index * 2 - 1) * 5));
  if (vb::Val(lblVolume.Tag()) > 100) lblVolume.Tag("100");
  if (vb::Val(lblVolume.Tag()) < 0) lblVolume.Tag("0");
  setLblColorPara(0, false);
  SendCommand("volume " + ValueText(lblVolume) + " 1");
}

void frmOptions::lblVolume_MouseDown() {
  const bool show = !lblVol(0).Visible();
  lblVol(0).Visible(show);
  lblVol(1).Visible(show);
}

// ============================= Crop rectangle =============================

void frmOptions::picPlayer_MouseDown(float X, float Y) {
  shpCrop.Tag(vb::CStr(X) + "," + vb::CStr(Y));
  shpCrop.Move(X, Y, 1, 1);
}

// The rectangle grows right and down from its corner; a size that would not be positive is
// not applied.
void frmOptions::picPlayer_MouseMove(int Button, float X, float Y) {
  if (Button != vb::vbLeftButton || shpCrop.Tag().empty()) return;
  const float dx = X - shpCrop.Left();
  const float dy = Y - shpCrop.Top();
  if (dx <= 0) {
    shpCrop.Left(X);
    shpCrop.Width(1);
  } else {
    shpCrop.Width(dx);
    shpCrop.Visible(true);
  }
  if (dy <= 0) {
    shpCrop.Top(Y);
    shpCrop.Height(1);
  } else {
    shpCrop.Height(dy);
    shpCrop.Visible(true);
  }
  if (shpCrop.Left() < 1) shpCrop.Left(1);
  if (shpCrop.Top() < 1) shpCrop.Top(1);
  const float sw = picPlayer.ScaleWidth(), sh = picPlayer.ScaleHeight();
  if (shpCrop.Left() + shpCrop.Width() > sw && sw - shpCrop.Left() > 0) shpCrop.Width(sw - shpCrop.Left());
  if (shpCrop.Top() + shpCrop.Height() > sh && sh - shpCrop.Top() > 0) shpCrop.Height(sh - shpCrop.Top());
}

void frmOptions::picPlayer_MouseUp(float X, float Y) {
  if (shpCrop.Tag() == vb::CStr(X) + "," + vb::CStr(Y)) shpCrop.Visible(false);
  if (shpCrop.Width() < 4 || shpCrop.Height() < 4) shpCrop.Visible(false);
  shpCrop.Tag("");
}

void frmOptions::CropToOutput(float W, float H) {
  if (!shpCrop.Visible()) {
    CropRect.fill(0);
    return;
  }
  const float sw = picPlayer.ScaleWidth(), sh = picPlayer.ScaleHeight();
  CropRect[0] = 1;
  CropRect[1] = vb::CLng(W / sw * shpCrop.Left());
  CropRect[2] = vb::CLng(H / sh * shpCrop.Top());
  CropRect[3] = vb::CLng(W / sw * (shpCrop.Left() + shpCrop.Width()));
  CropRect[4] = vb::CLng(H / sh * (shpCrop.Top() + shpCrop.Height()));
}

// An output size of 0 (a source whose size is not known) gives no rectangle to scale.
void frmOptions::OutputToCrop(float W, float H) {
  if (CropRect[0] != 1 || W <= 0 || H <= 0) {
    shpCrop.Visible(false);
    return;
  }
  const float sw = picPlayer.ScaleWidth(), sh = picPlayer.ScaleHeight();
  shpCrop.Visible(true);
  shpCrop.Left(sw / W * static_cast<float>(CropRect[1]));
  shpCrop.Top(sh / H * static_cast<float>(CropRect[2]));
  if (CropRect[3] - CropRect[1] > 0) shpCrop.Width(sw / W * static_cast<float>(CropRect[3] - CropRect[1]));
  if (CropRect[4] - CropRect[2] > 0) shpCrop.Height(sh / H * static_cast<float>(CropRect[4] - CropRect[2]));
}

// =============================== Time range ===============================

void frmOptions::imgSlider_MouseMove(int Button, float X) {
  if (Button != vb::vbLeftButton) return;
  const float newLeft = imgSlider.Left() + X - imgSlider.Width() / 2;
  if (imgSliderBG.Left() - imgSlider.Width() <= newLeft && newLeft <= imgSliderBG.Left() + imgSliderBG.Width())
    imgSlider.Left(newLeft);
}

void frmOptions::imgSlider_MouseUp(int Button, float X) {
  if (Button != vb::vbLeftButton) return;
  const float newLeft = imgSlider.Left() + X - imgSlider.Width() / 2;
  if (imgSliderBG.Left() - imgSlider.Width() <= newLeft && newLeft <= imgSliderBG.Left() + imgSliderBG.Width()) {
    imgSlider.Tag("2");
    SeekPlayer(newLeft + imgSlider.Width() / 2 - imgSliderBG.Left(), 2, false, true);
  }
}

void frmOptions::imgSliderBG_MouseDown(int Button, float X) {
  if (Button != vb::vbLeftButton) return;
  imgSlider.Left(imgSliderBG.Left() + X - imgSlider.Width() / 2);
}

void frmOptions::imgSliderBG_MouseUp(int Button, float X) {
  if (Button != vb::vbLeftButton) return;
  imgSlider.Tag("2");
  SeekPlayer(X, 2, false, true);
}

void frmOptions::SeekPlayer(float pos, int16_t mode, bool inSeconds, bool doSeek) {
  if (!tmrCheck.Enabled()) lblPlay_Click();
  if (!tmrCheck.Enabled() || VideoLength == 0) {
    imgSlider.Left(imgSliderBG.Left() - imgSlider.Width() / 2);
    return;
  }
  if (!doSeek) return;
  const float t = inSeconds ? pos : vb::Round(SecPerTwip * pos, 1);
  if (mode != 0) {
    const float p = vb::Round(t * 100 / VideoLength, 2);
    SendCommand("seek " + vb::CStr(p) + " 1");
  } else {
    SendCommand("seek " + vb::CStr(t) + " " + vb::CStr(static_cast<int32_t>(mode)));
  }
  vb::DoEvents();
  if (picPlayer.Tag() == "Pause") {
    SendCommand("frame_step");
    vb::DoEvents();
    SendCommand("frame_step");
  }
}

void frmOptions::lblMark_Click(int Index) {
  if (lblCurTime.Caption().empty() || lblTotalTime.Caption().empty() || !txtScope(0).Enabled()) return;
  SetScopeMark(static_cast<int16_t>(Index), CurTime, false);
}

void frmOptions::SetScopeMark(int16_t which, float pos, bool clearIfBeyond) {
  if (which == 0) {
    lblMark(1).Tag("");
    lblMark(0).Tag(vb::CStr(pos));
    SetScopeNote();
    return;
  }
  const float start = TagValue(lblMark(0));
  if (start >= pos) {
    lblMarkDel_Click();
    return;
  }
  lblMark(1).Tag(vb::CStr(pos));
  if (pos > VideoLength) {
    if (start == 0 && clearIfBeyond) {
      lblMarkDel_Click();
      return;
    }
    lblMark(1).Tag(vb::CStr(VideoLength));
  }
  SetScopeNote();
  ShowScopeShape(start, TagValue(lblMark(1)));
}

void frmOptions::ShowScopeShape(float start, float end) {
  if (SecPerTwip <= 0) return;
  if (end < start) {
    lblMarkDel_Click();
    return;
  }
  shpScope.Left(imgSliderBG.Left() + start / SecPerTwip);
  float w = end / SecPerTwip - shpScope.Left() + imgSliderBG.Left();
  if (w < 1) w = 1;
  shpScope.Width(w);
  shpScope.Visible(true);
}

void frmOptions::lblMarkDel_Click() {
  lblMark(0).Tag("");
  lblMark(1).Tag("");
  shpScope.Visible(false);
  SetScopeNote();
  txtScope(1).Text(FormatTime(VideoLength, 3, 1));
}

void frmOptions::SetScopeNote() {
  if (!txtScope(0).Enabled()) {
    lblScopeNote.Caption(LngText[23] + LngText[74]);
    return;
  }
  const float start = TagValue(lblMark(0));
  const float end = TagValue(lblMark(1));
  txtScope(0).Text(FormatTime(float(start), 3, 1));
  const std::string endText = end > 0 ? FormatTime(float(end), 3, 1) : "??";
  txtScope(1).Text(endText == "??" ? FormatTime(VideoLength, 3, 1) : endText);
  const std::string lengthText = endText == "??" ? "??" : FormatTime(end - start, 0, 1);
  lblScopeNote.Caption(LngText[23] + txtScope(0).Text() + " - " + endText + " = " + lengthText);
}

// =========================== Applying the options ===========================

// A refused field: says why, puts the focus there, and the click ends.
void frmOptions::RefuseField(vb::TextBox& field, const std::string& text) {
  vb::MsgBox(text, vb::vbOKOnly);
  field.SetFocus();
}

void frmOptions::cmdOkCancel_Click(int Index) {
  setStop(true, false);
  if (Index == 0) {
    const float f = static_cast<float>(vb::Val(txtFps.Text()));
    if (f > 30 || f < 0.5f) {
      RefuseField(txtFps, LngText[lblFpsStr.Tag().empty() ? 40 : 41]);
      return;
    }
    OutFps = f;
    const double w = vb::Val(txtSize(0).Text());
    if (w > 960 || w < 8) {
      RefuseField(txtSize(0), LngText[42]);
      return;
    }
    OutWidth = vb::CLng(w);
    const double h = vb::Val(txtSize(1).Text());
    if (h > 960 || h < 8) {
      RefuseField(txtSize(1), LngText[43]);
      return;
    }
    OutHeight = vb::CLng(h);
    CropToOutput(static_cast<float>(w), static_cast<float>(h));
    if (lblMark(1).Tag().empty()) lblMarkDel_Click();
    ScopeStart = TagValue(lblMark(0));
    ScopeEnd = TagValue(lblMark(1));

    lblVol(0).Tag(lblVolume.Tag());
    imgBrightness(0).Tag(lblBrightness.Tag());
    imgContrast(0).Tag(lblContrast.Tag());
    imgHue(0).Tag(lblHue.Tag());
    imgSaturation(0).Tag(lblSaturation.Tag());

    EncodeColorArgs = "";
    const double b = vb::Val(lblBrightness.Tag()), b0 = vb::Val(imgBrightness(2).Tag());
    if (b != b0) {
      const double d = vb::Round(b - b0);
      const double n = d <= 0 ? d * 2 : vb::Round(d / 5);
      EncodeColorArgs += " -brightness " + vb::CStr(n);
    }
    const double c = vb::Val(lblContrast.Tag());
    if (c != vb::Val(imgContrast(2).Tag())) EncodeColorArgs += " -contrast " + vb::CStr(c);
    const double hue = vb::Val(lblHue.Tag());
    if (hue != vb::Val(imgHue(2).Tag())) EncodeColorArgs += " -vf-add hue=" + vb::CStr(0 - hue) + ":1";
    const double s = vb::Val(lblSaturation.Tag());
    if (s != vb::Val(imgSaturation(2).Tag())) EncodeColorArgs += " -saturation " + vb::CStr(s);

    SetMainEncodeNote();
  } else {
    lblVolume.Tag(lblVol(0).Tag());
    lblBrightness.Tag(imgBrightness(0).Tag());
    lblContrast.Tag(imgContrast(0).Tag());
    lblHue.Tag(imgHue(0).Tag());
    lblSaturation.Tag(imgSaturation(0).Tag());
    setLblColorPara(0, true);
  }
  Hide();
  SetAppliedValue();
  vb::DoEvents();
  frmMain::Default().Enabled(true);
}

void frmOptions::SetAppliedValue() {
  lblMark(0).Tag(ScopeStart == 0 ? "" : vb::CStr(ScopeStart));
  lblMark(1).Tag(ScopeEnd == 0 ? "" : vb::CStr(ScopeEnd));
  if (ScopeEnd <= ScopeStart) lblMarkDel_Click();
  else SetScopeMark(1, ScopeEnd, false);
  txtFps.Text(vb::CStr(OutFps));
  txtSize(0).Text(vb::CStr(OutWidth));
  txtSize(1).Text(vb::CStr(OutHeight));
  OutputToCrop(static_cast<float>(vb::Val(txtSize(0).Text())), static_cast<float>(vb::Val(txtSize(1).Text())));
}

void frmOptions::SetMainEncodeNote() {
  frmMain& main = frmMain::Default();
  std::string source = main.lblInput.Caption();
  std::string range;
  if (win::IsFileMask(source)) {
    range = LngText[75];
  } else if (vb::LCase(objFile.GetExtensionName(source)) == "gif") {
    range = LngText[76];
  } else if (!lblMark(1).Tag().empty()) {
    const float start = TagValue(lblMark(0));
    const float end = TagValue(lblMark(1));
    range = LngText[24] + FormatTime(float(start), 3, 1) + " - " + FormatTime(float(end), 3, 1) +
            " = " + FormatTime(end - start, 0, 1);
  } else {
    range = LngText[25];
  }

  const bool noSize = OutWidth * OutHeight == 0;
  const std::string size = noSize ? "-------" : vb::CStr(OutWidth) + " x " + vb::CStr(OutHeight);
  const std::string rateLabel = lblFpsStr.Tag().empty() ? LngText[78] : LngText[79];
  const std::string rate = OutFps == 0 || noSize ? "----" : vb::CStr(OutFps);

  std::string crop = LngText[80];
  if (CropRect[3] == 0 || CropRect[4] == 0)
    crop += LngText[81];
  else
    crop += " ( " + vb::CStr(CropRect[1]) + " , " + vb::CStr(CropRect[2]) + " ) - ( " +
            vb::CStr(CropRect[3]) + " , " + vb::CStr(CropRect[4]) + " )";

  std::string colour = LngText[82];
  if (EncodeColorArgs.empty())
    colour += LngText[83];
  else
    colour += LngText[67] + " " + ValueText(lblBrightness) + LngText[26] + LngText[68] + " " +
              ValueText(lblContrast) + LngText[26] + LngText[69] + " " + ValueText(lblHue) +
              LngText[26] + LngText[70] + " " + ValueText(lblSaturation);

  main.lblEncodeNote.Caption(range + "\r\n" + LngText[77] + size + rateLabel + rate + "\r\n" + crop +
                             "\r\n" + colour);
  main.lblEncodeNote.Top(main.cmdOpt.Top() + (main.cmdOpt.Height() - main.lblEncodeNote.Height()) / 2);
}

// ================================= Preview =================================

namespace {
// The engine's font for the language's texts: a file of this system per language.
std::string FontPart(const std::string& language) {
  auto font = [](const std::string& pattern) {
    const std::string file = win::FontFileFor(pattern);
    return file.empty() ? std::string() : " -font " + win::QuoteArg(file);
  };
  if (language == "gb") return " -subcp cp936" + font("SimHei:lang=zh-cn");
  if (language == "en") return font("Arial");
  return " -subcp cp950" + font("KaiTi:lang=zh-tw");
}
}  // namespace

void frmOptions::CenterPlayerNote(const std::string& text, int backStyle) {
  lblPlayerNote.Caption(text);
  lblPlayerNote.Left((picPlayer.ScaleWidth() - lblPlayerNote.Width()) / 2);
  lblPlayerNote.Top((picPlayer.ScaleHeight() - lblPlayerNote.Height()) / 2);
  lblPlayerNote.BackStyle(backStyle);
  lblPlayerNote.Visible(true);
}

void frmOptions::newPlay(const std::string& file, float startTime) {
  if (tmrCheck.Enabled()) return;
  setStop(false, false);
  if (win::IsFileMask(file, "gif")) {
    vb::MsgBox(LngText[71]);
    return;
  }
  CenterPlayerNote(LngText[72], vb::vbTransparent);

  const std::string lastDir = win::GetCurrentDirectoryA();
  ChangeCurDir(file, win::GetHomeFolder());
  const std::string engine = EnginePath();

  ColorArgs = "";
  if (!imgBrightness(2).Tag().empty() && !lblBrightness.Tag().empty())
    ColorArgs = " -brightness " + ValueText(lblBrightness) + " -contrast " + ValueText(lblContrast) + " -hue " +
                ValueText(lblHue) + " -saturation " + ValueText(lblSaturation);
  VolumeArg = "";
  if (!lblVolume.Tag().empty()) VolumeArg = " -volume " + ValueText(lblVolume);

  tmrCheck.Tag("");
  std::string source;
  if (win::IsFileMask(file)) {
    source = win::QuoteArg("mf://" + file) + " -mf fps=" + vb::CStr(VideoFps);
  } else {
    std::string path = file;
    if (vb::LCase(objFile.GetExtensionName(path)) == "gif") {
      tmrCheck.Tag("ani_gif");
      source = win::QuoteArg(file);
      if (VideoLength > 0 && VideoFps > 0) source += " -fps " + vb::CStr(VideoFps);
    } else {
      source = win::QuoteArg(file);
    }
  }

  int32_t target = 0;
  if (lbl2BigScreen(1).Visible()) {
    picPlayer.BackColor(kNotColorKey);
    frmPlayer& player = frmPlayer::Default();
    player.Show();
    player.Move(player.Left(), player.Top(),
                static_cast<float>(vb::Screen::TwipsPerPixelX() * VideoWidth + player.plusFrmWidth),
                static_cast<float>(vb::Screen::TwipsPerPixelY() * VideoHeight + player.plusFrmHeight));
    player.picPlayer.BackColor(kColorKey);
    target = player.picPlayer.hWnd();
  } else {
    picPlayer.BackColor(kColorKey);
    target = picPlayer.hWnd();
  }
  const std::string window = " -colorkey 0x010203 -wid " + vb::CStr(target);
  const std::string font = FontPart(frmMain::Default().mnuLanguage.Tag());

  tmrCheck.Enabled(true);
  const std::string line = engine + " " + source + " -vo directx -priority abovenormal" + font +
                           " -autosync 100 -vf-add screenshot -autoq 10 -vf-add pp -slave -identify -idx"
                           " -nokeepaspect -noaspect -framedrop -osdlevel 0" +
                           ColorArgs + VolumeArg + window + " -ss " + FormatTime(startTime, 3, 1);
  mdlConsole::RunHidden(line, false);
  picPlayer.Tag("Play");
  adjustVideoLoc();

  lblTotalTime.Caption(VideoLength == 0 ? LngText[73] : FormatTime(VideoLength, 3, 1));
  picTime.Visible(true);

  SendCommand("get_property volume");
  vb::DoEvents();
  const std::pair<vb::Control*, vb::Label*> colours[] = {{&imgBrightness(2), &lblBrightness},
                                                         {&imgContrast(2), &lblContrast},
                                                         {&imgHue(2), &lblHue},
                                                         {&imgSaturation(2), &lblSaturation}};
  const char* names[] = {"brightness", "contrast", "hue", "saturation"};
  for (int i = 0; i < 4; ++i) {
    if (colours[i].first->Tag().empty() || colours[i].second->Tag().empty()) {
      SendCommand(std::string("get_property ") + names[i]);
      vb::DoEvents();
    }
  }
  ChangeCurDir(AddSlash(lastDir), "");
  tmrSpecCheck.Enabled(true);
}

void frmOptions::tmrSpecCheck_Timer() {
  tmrSpecCheck.Enabled(false);
  mdlConsole::SetEngineTitle("Fenwo.Zantiro - Player");
}

// The playing time of one chunk of status lines ("A: 1.5 V: 1.4", or "V: 3.2 80/ 80" without
// sound, where an animated GIF's position is its frame number).
void frmOptions::ReadPosition(const std::string& out) {
  const int32_t p = vb::InStr(out, "A:");
  if (p > 0) {
    int32_t q = vb::InStr(p + 2, out, " V:");
    if (q == 0) q = vb::InStr(p + 2, out, "(");
    if (q > 0) {
      const std::string t = vb::Mid(out, p + 2, q - p - 2);
      if (vb::Val(t) >= 0) {
        CurTime = static_cast<float>(vb::Val(t));
        lblCurTime.Caption(FormatTime(CurTime, 3, 1));
      }
    }
    return;
  }
  if (vb::InStr(out, "V:") == 0) return;
  const int32_t s = vb::InStrRev(out, "V:") + 2;
  const int32_t d = vb::InStr(s, out, ".");
  if (d <= s) return;
  const std::string t = vb::Trim(vb::Mid(out, s, d - s + 2));
  if (vb::IsNumeric(t)) {
    CurTime = static_cast<float>(vb::Val(t));
    lblCurTime.Caption(FormatTime(CurTime, 3, 1));
  }
  const int32_t slash = vb::InStr(s, out, "/");
  if (tmrCheck.Tag() != "ani_gif" || slash <= d) return;
  const std::string counter = vb::Trim(vb::Mid(out, s, slash - s));
  const int32_t blank = vb::InStr(counter, " ");
  if (blank == 0) return;
  const std::string frame = vb::Trim(vb::Mid(counter, blank + 1));
  if (!vb::IsNumeric(frame)) return;
  const double n = vb::Round(vb::Val(frame));
  if (FrameCount > 0) {
    CurTime = static_cast<float>(vb::Round(n * VideoLength / FrameCount, 2));
    lblCurTime.Caption(FormatTime(CurTime, 3, 1));
  }
}

void frmOptions::tmrCheck_Timer() {
  std::string out;
  mdlConsole::ReadOutput(out);

  const std::pair<const char*, vb::Label*> answers[] = {
      {"ANS_brightness=", &lblBrightness}, {"ANS_contrast=", &lblContrast}, {"ANS_hue=", &lblHue},
      {"ANS_saturation=", &lblSaturation}};
  vb::ControlArray<TransArea>* initial[] = {&imgBrightness, &imgContrast, &imgHue, &imgSaturation};
  for (int i = 0; i < 4; ++i) {
    const std::string v = GetValueBetween(out, answers[i].first);
    if (v.empty()) continue;
    answers[i].second->Tag(vb::CStr(vb::Val(v)));
    setLblColorPara(static_cast<int16_t>(i + 1), false);
    (*initial[i])(2).Tag(answers[i].second->Tag());
  }

  ReadPosition(out);

  const std::string index = GetValueBetween(out, "Generating Index:", "%");
  if (!index.empty()) {
    lblCurTime.Caption("");
    CenterPlayerNote(LngText[104] + vb::CStr(vb::Val(index)) + " %", vb::vbTransparent);
  } else if (!lblCut2Pic(1).Visible() && !lblCurTime.Caption().empty()) {
    lblPlayerNote.Visible(false);
  }

  const int32_t shot = vb::InStrRev(out, "*** screenshot '");
  if (shot > 0) {
    const int32_t e = vb::InStr(shot + 16, out, "' ***");
    const std::string name = e > 0 ? vb::Mid(out, shot + 16, e - shot - 16) : vb::Mid(out, shot + 16);
    if (lblCut2Pic(1).Visible() || !lblCut2Pic(1).Tag().empty()) {
      CenterPlayerNote(LngText[105] + name, vb::vbOpaque);
      lblCut2Pic(1).Tag("");
    } else {
      CenterPlayerNote(LngText[106] + name, vb::vbOpaque);
      vb::DoEvents();
      win::Sleep(300);
    }
  }

  if (vb::InStr(out, "FATAL: Could not initialize video") > 0 || vb::InStr(out, "FATAL: Cannot initialize video") > 0) {
    setStop(true, false);
    ShowPlayFailed();
  } else if (vb::InStr(out, "Exiting... (Quit)") > 0 || vb::InStr(out, "Exiting... (End of file)") > 0) {
    std::string source = frmMain::Default().lblInput.Caption();
    if (VideoLength == 0 && CurTime == 0 && vb::LCase(objFile.GetExtensionName(source)) != "gif") {
      setStop(true, false);
      ShowPlayFailed();
    } else {
      if (!lblMark(0).Tag().empty() && lblMark(1).Tag().empty()) lblMark_Click(1);
      setStop(true, false);
    }
  }

  if (ShowConsole) {
    frmOutput& console = frmOutput::Default();
    if (vb::InStr(out, "*") > 0 || vb::InStr(out, "_") > 0) {
      console.txtOutputSpec.Text("");
      for (const std::string& line : vb::Split(out, "\r"))
        if (vb::InStr(line, "_") > 0 || vb::InStr(line, "*") > 0)
          console.txtOutputSpec.Text(console.txtOutputSpec.Text() + line + "\r\n");
    }
    if (out.empty()) ++emptyReads_;
    console.txtOutput.Text(out.empty() ? "無內容 (" + vb::CStr(emptyReads_) + ")" : out);
  }

  if (SecPerTwip <= 0) return;
  win::POINT pointer;
  win::GetCursorPos(pointer);
  const bool dragging = (win::GetAsyncKeyState(win::VK_LBUTTON) & 0x8000) != 0 &&
                        win::WindowFromPoint(pointer) == imgSlider.hWnd();
  if (!dragging) {
    if (vb::Val(imgSlider.Tag()) == 0 && CurTime > 0) {
      imgSlider.Left(imgSliderBG.Left() + CurTime / SecPerTwip - imgSlider.Width() / 2);
    } else {
      const double left = vb::Val(imgSlider.Tag()) - 1;
      imgSlider.Tag(left <= 0 ? "" : vb::CStr(left));
    }
  }
  if (!lblMark(0).Tag().empty() && lblMark(1).Tag().empty()) ShowScopeShape(TagValue(lblMark(0)), CurTime);
}

void frmOptions::setStop(bool sliderTo0, bool noNeedUnloadFrmplayer) {
  tmrCheck.Enabled(false);
  vb::DoEvents();
  mdlConsole::KillEngine();
  picPlayer.Refresh();
  picPlayer.Tag("Pause");
  if (vb::Val(imgSlider.Tag()) == 0 || sliderTo0) imgSlider.Left(imgSliderBG.Left() - imgSlider.Width() / 2);
  picTime.Visible(false);
  lblCurTime.Caption("");
  CurTime = 0;
  lblTotalTime.Caption("");
  lblCut2Pic(0).Visible(true);
  lblCut2Pic(1).Visible(false);
  lblPlayerNote.Visible(false);
  if (!noNeedUnloadFrmplayer) {
    if (frmPlayer* p = frmPlayer::Made()) {
      try {
        vb::Unload(*p);
      } catch (const std::exception&) {
      }
    }
  }
  vb::DoEvents();
}

void frmOptions::ShowPlayFailed() { vb::MsgBox(LngText[143]); }

void frmOptions::Pause() {
  SendCommand("Pause");
  vb::DoEvents();
  picPlayer.Tag("Pause");
}

void frmOptions::lblPlay_Click() {
  if (!tmrCheck.Enabled()) {
    newPlay(frmMain::Default().lblInput.Caption(), 0);
  } else if (picPlayer.Tag() == "Pause") {
    SendCommand("Pause");
    vb::DoEvents();
    picPlayer.Tag("Play");
  }
}

void frmOptions::lblPause_Click() {
  if (!tmrCheck.Enabled()) {
    newPlay(frmMain::Default().lblInput.Caption(), 0);
    SendCommand("frame_step");
    vb::DoEvents();
    picPlayer.Tag("Pause");
  } else if (picPlayer.Tag() == "Pause") {
    SendCommand("frame_step");
  } else {
    SendCommand("Pause");
    picPlayer.Tag("Pause");
  }
}

void frmOptions::lblSrceenshot_Click() {
  if (!lblCurTime.Caption().empty() && !lblCut2Pic(1).Visible()) SendCommand("screenshot 0");
  else if (lblCurTime.Caption().empty() && !tmrCheck.Enabled()) vb::MsgBox(LngText[84]);
}

void frmOptions::lblCut2Pic_Click(int Index) {
  if (!lblCut2Pic(1).Visible()) {
    if (!tmrCheck.Enabled()) {
      vb::MsgBox(LngText[84]);
    } else if (picPlayer.Tag() == "Pause") {
      SendCommand("Pause");
      picPlayer.Tag("Play");
    }
    if (!lblCurTime.Caption().empty()) {
      SendCommand("screenshot 1");
      lblCut2Pic(1).Visible(true);
      lblCut2Pic(0).Visible(false);
    }
    return;
  }
  if (Index == 1) lblCut2Pic(1).Tag("In Near Stop Screenshot");
  SendCommand("screenshot 1");
  lblCut2Pic(0).Visible(true);
  lblCut2Pic(1).Visible(false);
  lblPlayerNote.Visible(false);
  if (picPlayer.Tag() == "Play") Pause();
}

void frmOptions::lbl2BigScreen_Click(int Index) {
  lbl2BigScreen(Index).Visible(false);
  lbl2BigScreen(1 - Index).Visible(true);
  const float start = CurTime - 2;
  imgSlider.Tag("2");
  tmrCheck.Enabled(false);
  newPlay(frmMain::Default().lblInput.Caption(), start);
}

// The picture keeps the video's aspect inside its container, centred.
void frmOptions::adjustVideoLoc() {
  const float sw = picPlayerContainer.ScaleWidth(), sh = picPlayerContainer.ScaleHeight();
  picPlayer.Move(0, 0, sw, sh);
  if (VideoHeight == 0) return;
  const float r = static_cast<float>(VideoWidth) / static_cast<float>(VideoHeight);
  const float b = sw / sh;
  if (b > r) {
    picPlayer.Width(sh * r);
    picPlayer.Left((sw - picPlayer.Width()) / 2);
  } else if (b < r) {
    picPlayer.Height(sw / r);
    picPlayer.Top((sh - picPlayer.Height()) / 2);
  }
}

// The hint of a newly entered control stays when the leave of the previous one comes late.
void frmOptions::ShowNote(const std::string& text) {
  if (!text.empty() && lblNote.Visible()) lblNote.Tag("againVs");
  lblNote.Visible(!(lblNote.Tag().empty() && text.empty()));
  if (lblNote.Tag().empty() || !text.empty()) lblNote.Caption(text);
  if (text.empty()) lblNote.Tag("");
  lblNote.Top((imgSaturation(0).Top() + imgSaturation(0).Height() + ScaleHeight() - lblNote.Height()) / 2);
}

// ========================== Input rules of the fields ==========================

// The time of a range field. A field that still shows its mark (the end field, with no end
// mark, the length) stands for that value itself, not for its text cut to tenths: a length of
// 95.04 s shown as 00:01:35.0 stays 95.04 s.
float frmOptions::FieldSeconds(int Index) {
  float shown = Index == 0 ? TagValue(lblMark(0)) : lblMark(1).Tag().empty() ? VideoLength : TagValue(lblMark(1));
  const float exact = shown;
  if (txtScope(Index).Text() == FormatTime(shown, 3, 1)) return exact;
  return TimeToSeconds(txtScope(Index).Text(), 0);
}

void frmOptions::txtScope_LostFocus(int Index) {
  auto pausePlaying = [this] {
    if (!lblCurTime.Caption().empty() && picPlayer.Tag() == "Play") {
      lblPause_Click();
      vb::DoEvents();
    }
  };
  auto restoreMarks = [this] { SetScopeMark(1, TagValue(lblMark(1)), true); };
  if (!vb::Like(txtScope(Index).Text(), kTimePattern)) {
    pausePlaying();
    vb::MsgBox(LngText[108] + "hh:mm:ss.s" + "\r\n\r\n" + "hh = 00 ~ 99" + "\r\n" + "mm = 00 ~ 59" + "\r\n" +
               "ss = 00 ~ 59" + "\r\n" + "s = 0 ~ 9");
    restoreMarks();
    return;
  }
  if (!vb::Like(txtScope(1 - Index).Text(), kTimePattern)) return;
  const float start = FieldSeconds(0);
  const float end = FieldSeconds(1);
  if (end == VideoLength && start == 0 && !shpScope.Visible()) return;
  if (end <= start) {
    pausePlaying();
    vb::MsgBox(LngText[107]);
    restoreMarks();
    return;
  }
  lblMark(0).Tag(vb::CStr(start));
  SetScopeMark(1, end, true);
}

}  // namespace zantiro
