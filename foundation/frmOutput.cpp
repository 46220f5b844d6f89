#include "foundation/frmOutput.h"

#include <algorithm>

#include "foundation/mdlFenwoZantiro.h"

frmOutput::frmOutput() : vb::Form(":/forms/frmOutput.txt") {
  Load = [this] {
    txtOutputSpec.Text("");
    txtOutput.Text("");
    Move(0, 0);
  };
  Resize = [this] { Form_Resize(); };
  Unload = [](int&) { mdlFenwoZantiro::ShowConsole = false; };
}

// The upper box keeps its height; the lower one takes the rest, and none when the window is
// lower than the upper box.
void frmOutput::Form_Resize() {
  txtOutputSpec.Move(0, 0, ScaleWidth());
  const float top = txtOutputSpec.Height() + 2;
  txtOutput.Move(0, top, ScaleWidth(), std::max(0.0f, ScaleHeight() - top));
}
