#include "foundation/frmOutput.h"

#include <algorithm>
#include <string>

#include "foundation/mdlFenwoZantiro.h"

namespace {
// The engine writes terminal control sequences into its status lines (ESC "[J" before each
// carriage return, also into a pipe); a text box would show them as glyphs.
std::string WithoutControlSequences(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\x1b') {
      out += text[i];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '[') {
      // CSI: parameter and intermediate bytes, then one final byte.
      i += 2;
      while (i < text.size() && (text[i] < 0x40 || text[i] > 0x7E)) ++i;
    } else if (i + 1 < text.size()) {
      ++i;  // a two-byte escape
    }
  }
  return out;
}
}  // namespace

frmOutput::frmOutput() : vb::Form(":/forms/frmOutput.txt") {
  Load = [this] {
    txtOutputSpec.Text("");
    txtOutput.Text("");
    Move(0, 0);
  };
  Resize = [this] { Form_Resize(); };
  txtOutput.Change = [this] {
    const std::string text = txtOutput.Text();
    if (text.find('\x1b') != std::string::npos) txtOutput.Text(WithoutControlSequences(text));
  };
  Unload = [](int&) { mdlFenwoZantiro::ShowConsole = false; };
}

// The upper box keeps its height; the lower one takes the rest, and none when the window is
// lower than the upper box.
void frmOutput::Form_Resize() {
  txtOutputSpec.Move(0, 0, ScaleWidth());
  const float top = txtOutputSpec.Height() + 2;
  txtOutput.Move(0, top, ScaleWidth(), std::max(0.0f, ScaleHeight() - top));
}
