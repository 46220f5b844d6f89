// labels: gui
#include "foundation/mdlSetBoxSpec.h"

#include <QWidget>

#include <gtest/gtest.h>

#include "platform/window.h"
#include "runtime/forms.h"

namespace {

struct Box : vb::Form {
  Box() {
    LoadDesignText(R"(Begin Form frmBox
  Begin TextBox txtSize
    Width = 1200
    Height = 300
  End
End)");
  }
};

int32_t exStyle(int32_t h) { return win::GetWindowLongA(h, win::GWL_EXSTYLE); }
int32_t style(int32_t h) { return win::GetWindowLongA(h, win::GWL_STYLE); }

TEST(SetBoxSpec, EachPresetSetsOnlyItsOwnBits) {
  struct Case { int16_t preset; int32_t style, ex; int border; };
  const Case cases[] = {
      {0, 0, 0x201, 5}, {1, 0x840000, 0, 4}, {2, 0, 0x1, 3}, {3, 0, 0x20200, 3},
      {4, 0, 0x200, 2}, {5, 0, 0x20000, 1}, {6, 0x800000, 0, 1}, {7, 0, 0, 0}, {-1, 0, 0, 0},
  };
  Box f;
  auto& txt = f.Ctl<vb::TextBox>("txtSize");
  const int32_t h = txt.hWnd();
  // Two presets in a row: the second leaves nothing of the first.
  for (const Case& first : cases)
    for (const Case& c : cases) {
      mdlSetBoxSpec::SetBoxSpec(h, first.preset);
      mdlSetBoxSpec::SetBoxSpec(h, c.preset);
      SCOPED_TRACE(std::to_string(first.preset) + " then " + std::to_string(c.preset));
      EXPECT_EQ(style(h) & 0x840000, c.style);
      EXPECT_EQ(exStyle(h) & 0x20201, c.ex);
      EXPECT_EQ(txt.Widget()->property("win.border").toInt(), c.border);
    }
  // Other bits stay as they were.
  EXPECT_TRUE(style(h) & static_cast<int32_t>(win::WS_CHILD));
}

TEST(SetBoxSpec, ModifyStyleRemovesThenAdds) {
  Box f;
  const int32_t h = f.Ctl<vb::TextBox>("txtSize").hWnd();
  win::SetWindowLongA(h, win::GWL_EXSTYLE, 0x30);
  mdlSetBoxSpec::ModifyExStyle(h, 0x10, 0x10);  // removed and added again
  EXPECT_EQ(exStyle(h), 0x30);
  mdlSetBoxSpec::ModifyExStyle(h, 0x30, 0x1);
  EXPECT_EQ(exStyle(h), 0x1);
}

}  // namespace
