#include "runtime/screen.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "runtime/qt.h"

namespace vb::Screen {
namespace {
QScreen* primary() { return QGuiApplication::primaryScreen(); }
int twipsPerPixel(bool horizontal) {
  QScreen* s = primary();
  const double dpi = s ? (horizontal ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY()) : 96.0;
  const int t = static_cast<int>(std::lround(1440.0 / (dpi > 0 ? dpi : 96.0)));
  return t > 0 ? t : 15;
}
int pointer = 0;
}  // namespace

int TwipsPerPixelX() { return twipsPerPixel(true); }
int TwipsPerPixelY() { return twipsPerPixel(false); }

float Width() {
  QScreen* s = primary();
  return static_cast<float>((s ? s->geometry().width() : 0) * TwipsPerPixelX());
}
float Height() {
  QScreen* s = primary();
  return static_cast<float>((s ? s->geometry().height() : 0) * TwipsPerPixelY());
}

Rect WorkArea() {
  QScreen* s = primary();
  if (!s) return {};
  const QRect r = s->availableGeometry();
  return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

int MousePointer() { return pointer; }
void MousePointer(int p) {
  if (p == pointer) return;
  if (pointer != 0) QApplication::restoreOverrideCursor();
  pointer = p;
  if (p != 0) QApplication::setOverrideCursor(PointerShape(p, {}));
}

}  // namespace vb::Screen
