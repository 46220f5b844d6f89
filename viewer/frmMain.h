// The viewer's one window: shows a picture or animated GIF in its browser control, sizes the
// window to it, zooms, pans and steps through the pictures of its folder.
#pragma once
#include <cstdint>
#include <string>

namespace lumtak {

// The picture path given on the command line (the text after the program's name): a quoted
// path, or the whole text; one path, the rest ignored.
std::string PicPathFromCommand(const std::string& command);

// The address handed to the browser to show the picture at path on a black (backColor 0) or
// white page.
std::string PicturePage(const std::string& path, int32_t backColor);

// The zoom step of the plus and minus keys, in pixels across.
float ZoomStep(float naturalWidth);

}  // namespace lumtak
