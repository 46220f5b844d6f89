// Clips as a phone stores them: an upright picture (a blue field with a red marker in its
// top-left corner) stored turned, with a rotation in the container that tells players how to turn
// it back; made with ffmpeg's `-metadata:s:v:0 rotate=N`. And the marker found again in a picture.
#pragma once
#include <QImage>
#include <QRect>
#include <QSize>
#include <string>

namespace testsupport {

// The marker is the top-left quarter of the picture, across and down.
inline constexpr QRgb kClipField = 0x3050A0, kClipMarker = 0xE01010;

// Makes `path` (its extension names the container: .mp4, .mov, .3gp): `seconds` of the upright
// picture at `fps`, stored turned and tagged rotate=`rotation` (0 for no tag). Before it answers,
// ffmpeg's own player (which turns it as every player does) must show it upright: the size and
// the marker's place. An empty answer when it is made; else what went wrong.
std::string MakeTurnedClip(const std::string& path, int rotation, QSize upright, double seconds = 1, int fps = 10);

// The picture's first frame as ffmpeg's player shows it (turned upright), for the check above.
QImage PlayerFrame(const std::string& path);

// Where the picture (field and marker) and the marker lie in a picture, within a part of it (all
// of it when empty): each the box of the rows and columns that hold at least a third as many
// pixels of its colours as the fullest row and column (so that stray pixels of the same colour
// around it do not count); an empty box when there are none.
struct MarkerPlace {
  QRect field, marker;
  // The marker stands in the top-left quarter of the field, as in the upright picture
  // (tolerance in pixels at its edges); false, with the places, when it does not.
  bool Upright(int tolerance, std::string& seen) const;
};
MarkerPlace FindMarker(const QImage& picture, QRect within = {});

}  // namespace testsupport
