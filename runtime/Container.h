// Surfaces that hold controls and have a scale: forms, picture boxes, user controls.
// Also the drawing a surface keeps (its persistent image, its picture, PaintPicture, Cls, hDC).
#pragma once
#include <cstdint>
#include <memory>
#include <optional>

#include "runtime/picture.h"

class QWidget;
class QImage;

namespace vb {

enum : int {
  vbUser = 0, vbTwips = 1, vbPoints = 2, vbPixels = 3, vbCharacters = 4, vbInches = 5,
  vbMillimeters = 6, vbCentimeters = 7, vbHimetric = 8,
};

class Container {
 public:
  virtual ~Container();

  int ScaleMode() const { return scaleMode_; }
  void ScaleMode(int mode);
  // The inner (client) area in the scale's units; setting one makes the scale vbUser.
  float ScaleWidth() const;
  float ScaleHeight() const;
  void ScaleWidth(float w);
  void ScaleHeight(float h);
  float ScaleLeft() const { return scaleLeft_; }
  float ScaleTop() const { return scaleTop_; }
  void ScaleLeft(float v);
  void ScaleTop(float v);
  // Converts a width or height between two scale modes (this surface's own for vbUser).
  float ScaleX(float width, int fromScale, int toScale) const;
  float ScaleY(float height, int fromScale, int toScale) const;

  // Keeps what is drawn (always kept here; the property is remembered).
  bool AutoRedraw() const { return autoRedraw_; }
  void AutoRedraw(bool v) { autoRedraw_ = v; }
  // The background picture, drawn unscaled at the top-left corner. Setting it clears what
  // was drawn.
  StdPicture Picture() const { return picture_; }
  virtual void Picture(const StdPicture& p);
  // The persistent image: picture and drawing as they are now.
  StdPicture Image() const;
  // Draws a picture (or part of it) at x1, y1 in this surface's scale, stretched to
  // width1 x height1 (the picture's own size when not given); x2, y2, width2, height2 pick the
  // part of the picture, in the same scale.
  void PaintPicture(const StdPicture& picture, float x1, float y1,
                    std::optional<float> width1 = {}, std::optional<float> height1 = {},
                    std::optional<float> x2 = {}, std::optional<float> y2 = {},
                    std::optional<float> width2 = {}, std::optional<float> height2 = {});
  // Clears the drawing back to the back colour and picture.
  void Cls();
  // Shows the surface anew: its persistent image, or only its colour where another program
  // draws into it.
  void RefreshSurface();
  // A device context drawing into the persistent image (platform/gdi.h); valid while the
  // surface lives.
  std::intptr_t hDC();

  // --- For the forms layer ---
  // The widget whose inner area the scale measures (controls are its children).
  virtual QWidget* ClientWidget() const = 0;
  // Units per pixel of the scale in force.
  double UnitsPerPixelX() const;
  double UnitsPerPixelY() const;
  QImage& Surface();  // the persistent image, sized to the client area
  // Draws the persistent image (the widget's paint event calls it).
  void PaintSurface(QWidget* w);
  void ClientResized();
  // The inner window's handle went out to another program, which may draw into it (the
  // engine's video through -wid). While the surface holds nothing but its back colour, the X
  // server fills the window with that colour and nothing of ours paints over the other
  // program's pixels; the controls inside are windows of their own above it (runtime/overlay.h).
  void ShareWindow();

 protected:
  Container();
  virtual int32_t SurfaceBackColor() const = 0;

 private:
  double unitsPerPixel(int mode, bool horizontal) const;
  void resetSurface();
  // Whether the surface is left to the X server and the program drawing into it.
  void updateSharing();
  int scaleMode_ = vbTwips;
  float scaleLeft_ = 0, scaleTop_ = 0, scaleWidth_ = 0, scaleHeight_ = 0;
  bool autoRedraw_ = false;
  StdPicture picture_;
  struct SurfaceState;
  std::unique_ptr<SurfaceState> s_;
};

}  // namespace vb
