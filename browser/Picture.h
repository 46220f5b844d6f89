// One picture file as the page shows it: read lazily, drawn at any size.
#pragma once
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class QPainter;
class QRect;

namespace browser {

class Picture {
 public:
  // Reads only what tells the picture's size; nullptr when the file holds no GIF, BMP, JPEG,
  // PNG, ICO or WMF picture.
  static std::unique_ptr<Picture> Open(const QString& path);
  virtual ~Picture() = default;

  QSize naturalSize() const { return natural_; }
  // An animation starts again from its first frame.
  virtual void restart() {}
  // Draws the part `area` of the picture scaled to `shown`, placed at (0, 0).
  virtual void paint(QPainter& painter, const QSize& shown, const QRect& area) = 0;

  // Called when an animation has a new frame to show.
  std::function<void()> changed;

 protected:
  explicit Picture(QSize natural) : natural_(natural) {}
  QSize natural_;
};

}  // namespace browser
