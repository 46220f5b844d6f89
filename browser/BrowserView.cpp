#include "browser/BrowserView.h"

#include "browser/WebBrowser.h"
#include "browser/page.h"
#include "runtime/error.h"
#include "runtime/picture.h"
#include "runtime/qt.h"
#include "runtime/screen.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace browser {
namespace {

constexpr int kPlaceholderWidth = 28, kPlaceholderHeight = 30;

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The file named by a CSS "url(...)" value, "" for anything else.
QString CursorFile(const std::string& value) {
  QString v = FromUtf8(value).trimmed();
  if (!v.startsWith("url(", Qt::CaseInsensitive) || !v.endsWith(')')) return {};
  v = v.mid(4, v.size() - 5).trimmed();
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.mid(1, v.size() - 2);
  return v;
}

// A cursor from a .cur file (with its hot spot) or any picture the runtime reads.
std::optional<QCursor> LoadCursor(const QString& path) {
  try {
    return vb::CursorOf(vb::LoadPicture(path.toStdString()));
  } catch (const vb::Error&) {
    return std::nullopt;
  }
}

}  // namespace

BrowserView::BrowserView(WebBrowser& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAcceptDrops(true);
}

BrowserView::~BrowserView() = default;

void BrowserView::load(const std::string& address) {
  ++generation_;
  picture_.reset();
  src_.reset();
  fileSize_ = -1;
  width_.reset();
  height_.reset();
  setCursorStyle("");
  hasDocument_ = true;
  const auto page = ParsePage(address);
  bg_ = page ? ParseColour(page->bgcolor) : 0xFFFFFF;
  update();
  if (!page || !page->src) {
    busy_ = false;
    return;
  }
  src_ = page->src;
  busy_ = true;
  const unsigned generation = generation_;
  QMetaObject::invokeMethod(
      this, [this, generation] { finishLoad(generation); }, Qt::QueuedConnection);
}

void BrowserView::finishLoad(unsigned generation) {
  if (generation != generation_) return;
  openPicture();
  busy_ = false;
}

void BrowserView::openPicture() {
  const QString path = FromUtf8(*src_);
  picture_ = Picture::Open(path);
  fileSize_ = picture_ ? QFileInfo(path).size() : -1;
  if (picture_) picture_->changed = [this] { update(); };
  update();
}

void BrowserView::stop() {
  if (!busy_) return;
  ++generation_;
  busy_ = false;
}

int32_t BrowserView::imageWidth() const {
  if (width_) return *width_;
  if (!picture_) return kPlaceholderWidth;
  const QSize n = picture_->naturalSize();
  if (height_) return int32_t(std::lround(double(*height_) * n.width() / n.height()));
  return n.width();
}

int32_t BrowserView::imageHeight() const {
  if (height_) return *height_;
  if (!picture_) return kPlaceholderHeight;
  const QSize n = picture_->naturalSize();
  if (width_) return int32_t(std::lround(double(*width_) * n.height() / n.width()));
  return n.height();
}

void BrowserView::setImageWidth(int32_t pixels) {
  width_ = std::max(0, pixels);
  update();
}

void BrowserView::setImageHeight(int32_t pixels) {
  height_ = std::max(0, pixels);
  update();
}

void BrowserView::setSrc(const std::string& path) {
  if (picture_ && src_ == path) {
    picture_->restart();
  } else {
    src_ = path;
    openPicture();
  }
  update();
}

void BrowserView::setBgcolor(uint32_t rgb) {
  bg_ = rgb & 0xFFFFFF;
  update();
}

void BrowserView::setCursorStyle(const std::string& value) {
  cursor_ = value;
  const QString file = CursorFile(value);
  const auto cursor = file.isEmpty() ? std::nullopt : LoadCursor(file);
  if (cursor) setCursor(*cursor);
  else unsetCursor();
}

void BrowserView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), QColor::fromRgb(bg_));
  if (!picture_) return;
  const QSize shown(imageWidth(), imageHeight());
  const QRect area = event->rect() & QRect(QPoint(0, 0), shown);
  if (!area.isEmpty()) picture_->paint(painter, shown, area);
}

bool BrowserView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == this && (event->type() == QEvent::MouseButtonPress ||
                          event->type() == QEvent::MouseMove ||
                          event->type() == QEvent::MouseButtonRelease))
    return dragMouse(static_cast<QMouseEvent*>(event));
  return QWidget::eventFilter(watched, event);
}

// The drag of the control: the press enters it, moves go over it, leaving and coming back
// are reported as they happen; the release ends the drag.
bool BrowserView::dragMouse(QMouseEvent* event) {
  const QPointF at = event->position();
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (owner_.DragMode() != vb::vbAutomatic || event->button() != Qt::LeftButton) return false;
      dragging_ = true;
      dragInside_ = true;
      dragOver(at, vb::vbEnter);
      return true;
    case QEvent::MouseMove: {
      if (!dragging_) return false;
      const bool inside = rect().contains(at.toPoint());
      if (inside) dragOver(at, dragInside_ ? vb::vbOver : vb::vbEnter);
      else if (dragInside_) dragOver(at, vb::vbLeave);
      dragInside_ = inside;
      return true;
    }
    default:
      if (!dragging_ || event->button() != Qt::LeftButton) return false;
      dragging_ = false;
      return true;
  }
}

void BrowserView::dragOver(QPointF at, int32_t state) {
  if (!owner_.DragOver) return;
  owner_.DragOver(owner_, float(at.x() * vb::Screen::TwipsPerPixelX()),
                  float(at.y() * vb::Screen::TwipsPerPixelY()), state);
}

void BrowserView::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void BrowserView::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

// A dropped file (or link) is a navigation to its plain path, raised once the drop is over.
void BrowserView::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty()) return;
  event->acceptProposedAction();
  const QUrl& url = urls.front();
  const std::string address = (url.isLocalFile() ? url.toLocalFile() : url.toString()).toStdString();
  QMetaObject::invokeMethod(
      this, [this, address] { owner_.Navigate(address); }, Qt::QueuedConnection);
}

}  // namespace browser
