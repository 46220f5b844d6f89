#include <QFrame>
#include <QPainter>

#include "platform/window_qt.h"
#include "runtime/controls.h"
#include "runtime/propbag.h"
#include "runtime/qt.h"

namespace vb {

PictureBox::PictureBox(QWidget* parent) : Control(nullptr) {
  auto* frame = new SurfaceFrame(*this, parent);
  client_ = frame->client;
  attachWidget(frame);
  InstallEvents(*this, client_);
  BorderStyle(vbBSFixedSingle);
  BackColor(vbButtonFace);
}

QWidget* PictureBox::ClientWidget() const { return client_; }

void PictureBox::BorderStyle(int s) {
  borderStyle_ = s;
  auto* f = static_cast<SurfaceFrame*>(Widget());
  if (!f) return;
  f->setFrameStyle(s ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
  f->setLineWidth(s ? 2 : 0);
  client_->setGeometry(f->contentsRect());
}

void PictureBox::AutoSize(bool a) {
  autoSize_ = a;
  if (a && Picture() && Widget()) {
    const int border = Widget()->width() - client_->width();
    Widget()->resize(Picture().PixelWidth() + border, Picture().PixelHeight() + border);
    client_->setGeometry(static_cast<QFrame*>(Widget())->contentsRect());
  }
}

void PictureBox::Picture(const StdPicture& p) {
  Container::Picture(p);
  AutoSize(autoSize_);
}

// The inner area follows at once, also while the box is hidden (Qt would wait for the show).
void PictureBox::Move(float left, std::optional<float> top, std::optional<float> width,
                      std::optional<float> height) {
  Control::Move(left, top, width, height);
  if (Widget()) client_->setGeometry(static_cast<QFrame*>(Widget())->contentsRect());
}

int32_t PictureBox::hWnd() {
  // The inner area is the window others draw into (the engine's video).
  const auto h = static_cast<int32_t>(win::RegisterWindow(client_, win::WS_CHILD | win::WS_VISIBLE,
                                                          borderStyle_ ? uint32_t{win::WS_EX_CLIENTEDGE} : 0u));
  ShareWindow();
  return h;
}

void PictureBox::BackColor(int32_t c) {
  Control::BackColor(c);
  Cls();
}

void PictureBox::Refresh() { RefreshSurface(); }

void PictureBox::ResetDesign(const PropertyBag& bag) {
  ScaleMode(vbTwips);
  Container::Picture(StdPicture());
  Control::ResetDesign(bag);
}

void PictureBox::ReadDesign(const PropertyBag& bag) {
  if (bag.Contains("ScaleMode")) ScaleMode(bag.ReadProperty("ScaleMode", int32_t{vbTwips}));
  BorderStyle(bag.ReadProperty("BorderStyle", borderStyle_));
  Control::ReadDesign(bag);
  // A scale of its own (ScaleMode 0), before the controls inside are placed in it.
  if (bag.Contains("ScaleWidth")) ScaleWidth(bag.ReadProperty("ScaleWidth", ScaleWidth()));
  if (bag.Contains("ScaleHeight")) ScaleHeight(bag.ReadProperty("ScaleHeight", ScaleHeight()));
  AutoRedraw(bag.ReadProperty("AutoRedraw", AutoRedraw()));
  if (bag.Contains("BackColor")) BackColor(BackColor());
  if (bag.Contains("Picture")) Picture(bag.ReadProperty("Picture", StdPicture()));
  AutoSize(bag.ReadProperty("AutoSize", autoSize_));
}

}  // namespace vb
