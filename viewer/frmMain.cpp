#include "viewer/frmMain.h"

#include "runtime/strings.h"

namespace lumtak {

std::string PicPathFromCommand(const std::string& command) {
  std::string text = vb::Trim(command);
  if (text.empty()) return "";
  if (vb::Left(text, 1) == "\"") {
    text = vb::Left(text, vb::InStr(2, text, "\""));
  } else if (vb::InStr(text, "\"") > 0 && vb::InStr(text, " ") > 0) {
    text = vb::Left(text, vb::InStr(text, " "));
  }
  return vb::Trim(vb::Replace(text, "\"", ""));
}

std::string PicturePage(const std::string& path, int32_t backColor) {
  return std::string("about:<html><style>body{border:0}</style><body bgcolor=") +
         (backColor == 0 ? "black" : "white") + " leftMargin=0 topMargin=0 scroll=no" +
         " oncontextmenu='return false' onselectstart='return false'"
         " ondragstart='return false' onerror='return true'>" +
         "<img src=" + "\"" + vb::Replace(path, "%", "%25") + "\"" +
         " border=0></img></body></html>";
}

float ZoomStep(float naturalWidth) {
  float step = naturalWidth * 0.05f;
  if (step < 4) step = 4;
  if (step > 10) step = 10;
  return step;
}

}  // namespace lumtak
