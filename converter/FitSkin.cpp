#include "converter/FitSkin.h"

#include "controls/ImageButton.h"
#include "controls/TransArea.h"
#include "runtime/screen.h"

namespace zantiro {

void FitSkin(vb::Form& form, vb::PictureBox& restore) {
  restore.Visible(false);
  restore.Move(0, 0, form.ScaleWidth(), form.ScaleHeight());
  restore.PaintPicture(form.Picture(), 0, 0, restore.Width(), restore.Height());
  form.Picture(restore.Image());

  auto stretched = [&restore](const vb::StdPicture& p) {
    restore.Picture(vb::StdPicture());
    restore.PaintPicture(p, 0, 0, restore.Width(), restore.Height());
    return restore.Image();
  };
  // A picture box or picture area: its size in pixels.
  auto fitTo = [&restore](vb::Control& c) {
    const vb::Container* box = c.ContainerOf();
    const bool pixels = box && box->ScaleMode() == vb::vbPixels;
    const float w = pixels ? c.Width() : c.Width() / static_cast<float>(vb::Screen::TwipsPerPixelX());
    const float h = pixels ? c.Height() : c.Height() / static_cast<float>(vb::Screen::TwipsPerPixelY());
    restore.Picture(vb::StdPicture());
    restore.Move(0, 0, w, h);
  };
  for (vb::Control* c : form.Controls()) {
    if (auto* b = dynamic_cast<ImageButton*>(c)) {
      restore.Move(0, 0, b->Width(), b->Height());
      b->Picture(stretched(b->Picture()));
      b->PictureMouseOver(stretched(b->PictureMouseOver()));
      b->PictureMouseDown(stretched(b->PictureMouseDown()));
    } else if (auto* a = dynamic_cast<TransArea*>(c)) {
      fitTo(*a);
      const vb::StdPicture own = a->Picture();
      restore.PaintPicture(own ? own : a->Image(), 0, 0, restore.Width(), restore.Height());
      a->Picture(restore.Image());
    } else if (auto* p = dynamic_cast<vb::PictureBox*>(c); p && p != &restore && p->Picture()) {
      fitTo(*p);
      restore.PaintPicture(p->Picture(), 0, 0, restore.Width(), restore.Height());
      p->Picture(restore.Image());
    }
  }
}

}  // namespace zantiro
