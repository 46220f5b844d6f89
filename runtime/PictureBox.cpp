#include <QFrame>
#include <QPainter>

#include "platform/window_qt.h"
#include "runtime/controls.h"
#include "runtime/propbag.h"
#include "runtime/qt.h"

namespace vb {
namespace {
// The box: its frame, and inside it the client area that draws the persistent image.
class BoxClient : public QWidget {
 public:
  BoxClient(PictureBox& b, QWidget* parent) : QWidget(parent), box_(b) {}

 protected:
  void paintEvent(QPaintEvent*) override { box_.PaintSurface(this); }

 private:
  PictureBox& box_;
};

class BoxFrame : public QFrame {
 public:
  using QFrame::QFrame;
  QWidget* client = nullptr;

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QFrame::resizeEvent(e);
    if (client) client->setGeometry(contentsRect());
  }
};
}  // namespace

PictureBox::PictureBox(QWidget* parent) : Control(nullptr) {
  auto* frame = new BoxFrame(parent);
  auto* client = new BoxClient(*this, frame);
  frame->client = client;
  client_ = client;
  attachWidget(frame);
  InstallEvents(*this, client);
  // The frame has the same events: input of the inner area must not reach it again.
  client->setAttribute(Qt::WA_NoMousePropagation);
  BorderStyle(vbBSFixedSingle);
  BackColor(vbButtonFace);
}

QWidget* PictureBox::ClientWidget() const { return client_; }

void PictureBox::BorderStyle(int s) {
  borderStyle_ = s;
  auto* f = static_cast<BoxFrame*>(Widget());
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
  return static_cast<int32_t>(win::RegisterWindow(client_, win::WS_CHILD | win::WS_VISIBLE,
                                                  borderStyle_ ? uint32_t{win::WS_EX_CLIENTEDGE} : 0u));
}

void PictureBox::BackColor(int32_t c) {
  Control::BackColor(c);
  Cls();
}

void PictureBox::Refresh() {
  if (client_) client_->repaint();
}

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
