#include "converter/frmPlayer.h"

#include <string>

#include "converter/frmMain.h"
#include "converter/frmOptions.h"
#include "foundation/mdlConsole.h"
#include "foundation/mdlFenwoZantiro.h"
#include "platform/window.h"
#include "runtime/events.h"
#include "runtime/numbers.h"
#include "runtime/screen.h"

namespace zantiro {

using namespace mdlFenwoZantiro;

frmPlayer::frmPlayer() : vb::Form(":/forms/frmPlayer.txt") {
  Load = [this] { Form_Load(); };
  Resize = [this] { Form_Resize(); };
  MouseDown = [this](int b, int, float, float) { Form_MouseDown(b); };
  picPlayer.MouseDown = [this](int b, int, float, float) { Form_MouseDown(b); };
  QueryUnload = [this](int& Cancel, int UnloadMode) { Form_QueryUnload(Cancel, UnloadMode); };
  tmrCheck.Timer = [this] { tmrCheck_Timer(); };
  mnuTopMost.Click = [this] {
    mnuTopMost.Checked(!mnuTopMost.Checked());
    SetTopMost(*this, mnuTopMost.Checked());
  };
  mnuKeepAspect.Click = [this] {
    mnuKeepAspect.Checked(!mnuKeepAspect.Checked());
    FitVideo();
  };
}

void frmPlayer::Form_Load() {
  Icon(frmMain::Default().Icon());
  plusFrmWidth = vb::CLng(Width() - static_cast<float>(vb::Screen::TwipsPerPixelX()) * ScaleWidth());
  plusFrmHeight = vb::CLng(Height() - static_cast<float>(vb::Screen::TwipsPerPixelY()) * ScaleHeight());
  mnuTopMost.Caption(LngText[116]);
  mnuKeepAspect.Caption(LngText[117]);
  SetTopMost(*this, true);
}

void frmPlayer::Form_Resize() {
  if (WindowState() == vb::vbMinimized) return;
  Caption(std::string(" ") + "Fenwo.Zantiro" + " - Player  ( " + vb::CStr(ScaleWidth()) + " , " +
          vb::CStr(ScaleHeight()) + " )");

  // The container's picture tiles the background; a missing or empty one leaves the colour.
  const vb::StdPicture tile = frmOptions::Default().picPlayerContainer.Picture();
  const float tw = tile ? static_cast<float>(tile.PixelWidth()) : 0;
  const float th = tile ? static_cast<float>(tile.PixelHeight()) : 0;
  if (tw >= 1 && th >= 1) {
    Cls();
    for (int i = 0; i <= static_cast<int>(ScaleWidth() / tw); ++i)
      for (int j = 0; j <= static_cast<int>(ScaleHeight() / th); ++j)
        PaintPicture(tile, static_cast<float>(i) * tw, static_cast<float>(j) * th);
  }

  const bool leftDown = (win::GetAsyncKeyState(win::VK_LBUTTON) & 0x8000) != 0;
  if (leftDown && WindowState() == lastWindowState_) {
    tmrCheck.Enabled(true);
  } else {
    tmrCheck.Enabled(false);
    FitVideo();
  }
  lastWindowState_ = WindowState();
}

void frmPlayer::tmrCheck_Timer() {
  if (win::GetAsyncKeyState(win::VK_LBUTTON) & 0x8000) return;
  tmrCheck.Enabled(false);
  FitVideo();
}

void frmPlayer::FitVideo() {
  const float sw = ScaleWidth(), sh = ScaleHeight();
  if (!mnuKeepAspect.Checked()) {
    picPlayer.Move(0, 0, sw, sh);
  } else {
    if (sh <= 0 || VideoWidth <= 0 || VideoHeight <= 0 || WindowState() == vb::vbMinimized) return;
    picPlayer.Move(0, 0, sw, sh);
    const float r = static_cast<float>(VideoWidth) / static_cast<float>(VideoHeight);
    const float b = sw / sh;
    if (b < r) {
      picPlayer.Height(sw / r);
      picPlayer.Top((sh - picPlayer.Height()) / 2);
    } else if (b > r) {
      picPlayer.Width(sh * r);
      picPlayer.Left((sw - picPlayer.Width()) / 2);
    }
  }
  if (frmOptions::Default().picPlayer.Tag() == "Pause") {
    mdlConsole::SendCommand("frame_step");
    vb::DoEvents();
  }
}

void frmPlayer::Form_MouseDown(int Button) {
  if (Button == vb::vbRightButton) {
    PopupMenu(mnuMain);
    return;
  }
  vb::PictureBox& state = frmOptions::Default().picPlayer;
  if (state.Tag() == "Play") {
    mdlConsole::SendCommand("Pause");
    vb::DoEvents();
    state.Tag("Pause");
  } else if (state.Tag() == "Pause") {
    mdlConsole::SendCommand("Pause");
    vb::DoEvents();
    state.Tag("Play");
  }
}

void frmPlayer::Form_QueryUnload(int&, int UnloadMode) {
  if (UnloadMode == vb::vbFormCode) return;
  // Closed by the user: the preview goes back into the options window, as its switch does.
  frmOptions& options = frmOptions::Default();
  if (options.lbl2BigScreen(1).Visible() && options.lbl2BigScreen(1).Click) {
    options.lbl2BigScreen(1).Click();
  } else {
    options.setStop(false, true);
  }
  vb::DoEvents();
}

}  // namespace zantiro
