// Windows metafiles (WMF): the common drawing records played onto a Qt painter.
#pragma once
#include <QByteArray>
#include <QPicture>
#include <QSize>

namespace browser::Wmf {

// Whether the first bytes are those of a metafile (with or without the placeable header).
bool IsWmf(const QByteArray& head);

// Plays the records into `out`, mapped onto (0, 0, natural): with the placeable header the
// natural size is its bounding box at 96 pixels per inch, else the first window extent.
// False when the bytes hold no drawable metafile.
bool Play(const QByteArray& bytes, QPicture& out, QSize& natural);

}  // namespace browser::Wmf
