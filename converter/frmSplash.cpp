#include "converter/frmSplash.h"

#include <algorithm>
#include <string>

#include "converter/frmMain.h"
#include "foundation/mdlFenwoZantiro.h"
#include "foundation/mdlLocaleLng.h"
#include "runtime/app.h"
#include "runtime/events.h"
#include "runtime/numbers.h"
#include "runtime/strings.h"

namespace zantiro {

using namespace mdlFenwoZantiro;

namespace {
const char* const kEnglish =
    "Welcome to Fenwo\r\nBy Merrowin\r\n\r\nLoading Language\r\nLoading Module\r\n"
    "Loading Decoder\r\nLoading Encoder\r\nLoading Plugins\r\nLoading Config\r\nLoading Options";
const char* const kTraditional =
    "歡迎您使用 Fenwo\r\n作者：Merrowin\r\n\r\n正在讀取：語庫\r\n正在讀取：模組\r\n"
    "正在讀取：解碼器\r\n正在讀取：轉碼器\r\n正在讀取：介面區\r\n正在讀取：配置表\r\n正在讀取：緩衝頁";
}  // namespace

frmSplash::frmSplash() : vb::Form(":/forms/frmSplash.txt") {
  Load = [this] { Form_Load(); };
  Unload = [this](int& Cancel) { Form_Unload(Cancel); };
  timeMarquee.Timer = [this] { timeMarquee_Timer(); };
  auto close = [this](int, int, float, float) { vb::Unload(*this); };
  MouseDown = close;
  lblMarquee.MouseDown = close;
  Marquee.MouseDown = close;
}

void frmSplash::Form_Load() {
  tick_ = t0_ = 0;
  step_ = 0;
  marqueeTop_ = lblMarquee.Top();
  lblMarquee.Caption(kEnglish);
  std::string ini = AddSlash(vb::App::Path()) + "Fenwo.Zantiro" + ".ini";
  if (objFile.FileExists(ini)) {
    if (vb::InStr(objFile.GetFileText(ini), "Language=tw") > 0) lblMarquee.Caption(kTraditional);
  } else if (mdlLocaleLng::GetLocaleLng() == "tw") {
    lblMarquee.Caption(kTraditional);
  }

  picRestore.Visible(false);
  picRestore.Move(0, 0, ScaleWidth(), ScaleHeight());
  picRestore.PaintPicture(Picture(), 0, 0, picRestore.Width(), picRestore.Height());
  Picture(picRestore.Image());

  SetWindowTrans(frmMain::Default().hWnd(), -1, 0, 0);
  SetWindowTrans(hWnd(), 0xFFFFFF, -1, 0);
  timeMarquee.Enabled(true);
  SetTopMost(*this, true);
}

// Once the main window has been activated it fades in linearly, reaching 250 at tick 120;
// the unload at tick 121 makes it opaque.
void frmSplash::timeMarquee_Timer() {
  ++tick_;
  if (MainActivated) {
    if (t0_ == 0) {
      t0_ = tick_;
      if (t0_ < 120) step_ = 250.0f / static_cast<float>(120 - t0_);
    }
    const int32_t alpha = std::min(255, vb::CLng(step_ * static_cast<float>(tick_ - t0_)));
    SetWindowTrans(frmMain::Default().hWnd(), -1, alpha, 0);
  }
  // The label sits on whole pixels: keep the exact place here so that the twips add up.
  marqueeTop_ -= 1;
  lblMarquee.Top(marqueeTop_);
  if (tick_ > 120) vb::Unload(*this);
}

void frmSplash::Form_Unload(int&) {
  timeMarquee.Enabled(false);
  frmMain& main = frmMain::Default();
  SetWindowTrans(main.hWnd(), -1, 255, 0);
  vb::DoEvents();
  if (main.Visible()) main.SetFocus();
}

}  // namespace zantiro
