#include "converter/frmOptions.h"

#include "converter/frmMain.h"
#include "foundation/mdlFenwoZantiro.h"
#include "runtime/numbers.h"
#include "runtime/strings.h"

namespace zantiro {

using namespace mdlFenwoZantiro;

frmOptions::frmOptions() : vb::Form(":/forms/frmOptions.txt") {}

// ================================= Window =================================

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

namespace {
std::string ValueText(const vb::Control& c) { return vb::CStr(vb::Val(c.Tag())); }
}  // namespace

void frmOptions::setLblColorPara(int16_t mode, bool all) {
  if (all || mode == 0) lblVolume.ToolTipText(LngText[66] + " = " + ValueText(lblVolume));
  if (all || mode == 1) lblBrightness.Caption(LngText[67] + " = " + ValueText(lblBrightness));
  if (all || mode == 2) lblContrast.Caption(LngText[68] + " = " + ValueText(lblContrast));
  if (all || mode == 3) lblHue.Caption(LngText[69] + " = " + ValueText(lblHue));
  if (all || mode == 4) lblSaturation.Caption(LngText[70] + " = " + ValueText(lblSaturation));
}

// =============================== Time range ===============================

void frmOptions::SetScopeNote() {
  if (!txtScope(0).Enabled()) {
    lblScopeNote.Caption(LngText[23] + LngText[74]);
    return;
  }
  const float start = static_cast<float>(vb::Val(lblMark(0).Tag()));
  const float end = static_cast<float>(vb::Val(lblMark(1).Tag()));
  txtScope(0).Text(FormatTime(float(start), 3, 1));
  const std::string endText = end > 0 ? FormatTime(float(end), 3, 1) : "??";
  txtScope(1).Text(endText == "??" ? FormatTime(VideoLength, 3, 1) : endText);
  const std::string lengthText = endText == "??" ? "??" : FormatTime(end - start, 0, 1);
  lblScopeNote.Caption(LngText[23] + txtScope(0).Text() + " - " + endText + " = " + lengthText);
}

// =========================== Applying the options ===========================

void frmOptions::SetMainEncodeNote() {
  frmMain& main = frmMain::Default();
  std::string source = main.lblInput.Caption();
  std::string range;
  if (vb::InStr(source, "*") > 0) {
    range = LngText[75];
  } else if (vb::LCase(objFile.GetExtensionName(source)) == "gif") {
    range = LngText[76];
  } else if (!lblMark(1).Tag().empty()) {
    const float start = static_cast<float>(vb::Val(lblMark(0).Tag()));
    const float end = static_cast<float>(vb::Val(lblMark(1).Tag()));
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

// Stand-in until the preview is in.
void frmOptions::newPlay(const std::string&, float) {}

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

}  // namespace zantiro
