// Stretches a skinned window's pictures to the sizes their controls have now.
#pragma once
#include "runtime/forms.h"

namespace zantiro {

// The skin pictures are stored at their design sizes; each is stretched once, through the
// hidden work box `restore`: the window's own picture, the three pictures of each skinned
// button, and the picture of each picture box and picture area (an area without one keeps
// what it shows).
void FitSkin(vb::Form& form, vb::PictureBox& restore);

}  // namespace zantiro
