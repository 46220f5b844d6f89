#include "platform/window.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QFrame>
#include <QLineEdit>
#include <QPainter>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "platform/window_qt.h"
#include "platform/x11window.h"

namespace win {
namespace {

struct Entry {
  QPointer<QWidget> widget;
  uint32_t style = 0, exStyle = 0;
  bool keyed = false;
  uint32_t colorKey = 0;
  QObject* keyWatcher = nullptr;
  uint8_t alpha = 255;
  bool outOfSight = false;
};

std::map<HWND, Entry>& windows() {
  static std::map<HWND, Entry> w;
  return w;
}

Entry* entry(HWND h) {
  auto it = windows().find(h);
  if (it == windows().end() || !it->second.widget) return nullptr;
  return &it->second;
}

std::function<POINT()>& cursorHook() {
  static std::function<POINT()> h;
  return h;
}

// The direct child of that class (the helpers below carry no meta-object of their own).
template <class T>
T* ownChild(const QObject* parent) {
  for (QObject* c : parent->children())
    if (auto* t = dynamic_cast<T*>(c)) return t;
  return nullptr;
}

QColor keyColor(uint32_t c) {
  return QColor(static_cast<int>(c & 0xff), static_cast<int>((c >> 8) & 0xff), static_cast<int>((c >> 16) & 0xff));
}

// The frame of a child window, drawn over its edge from its border bits, outside in.
class BorderOverlay : public QWidget {
 public:
  explicit BorderOverlay(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    parent->installEventFilter(this);
  }
  enum Kind { Raised, Solid, Sunken };
  std::vector<std::pair<Kind, int>> layers;
  int width() const {
    int n = 0;
    for (const auto& l : layers) n += l.second;
    return n;
  }
  bool eventFilter(QObject*, QEvent* ev) override {
    if (ev->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return false;
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const QPalette& pal = parentWidget()->palette();
    QRect r = rect();
    for (const auto& [kind, n] : layers)
      for (int i = 0; i < n; ++i) {
        const bool inner = i >= n / 2 && n > 1;
        QColor tl, br;
        switch (kind) {
          case Raised: tl = inner ? pal.color(QPalette::Midlight) : pal.color(QPalette::Light);
                       br = inner ? pal.color(QPalette::Mid) : pal.color(QPalette::Dark); break;
          case Sunken: tl = inner ? pal.color(QPalette::Dark) : pal.color(QPalette::Mid);
                       br = inner ? pal.color(QPalette::Midlight) : pal.color(QPalette::Light); break;
          case Solid: tl = br = pal.color(QPalette::Shadow); break;
        }
        p.setPen(tl);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(br);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        r.adjust(1, 1, -1, -1);
      }
  }
};

void setChildBorder(QWidget* w, uint32_t style, uint32_t exStyle) {
  auto* o = ownChild<BorderOverlay>(w);
  if (!o) o = new BorderOverlay(w);
  o->layers.clear();
  if (exStyle & WS_EX_DLGMODALFRAME) o->layers.push_back({BorderOverlay::Raised, 3});
  if (style & WS_THICKFRAME) o->layers.push_back({BorderOverlay::Raised, 3});
  if (style & WS_BORDER) o->layers.push_back({BorderOverlay::Solid, 1});
  if (exStyle & WS_EX_STATICEDGE) o->layers.push_back({BorderOverlay::Sunken, 1});
  if (exStyle & WS_EX_CLIENTEDGE) o->layers.push_back({BorderOverlay::Sunken, 2});
  const int n = o->width();
  // The widget's own frame gives way to the drawn one.
  if (auto* l = qobject_cast<QLineEdit*>(w)) l->setFrame(false);
  if (auto* f = qobject_cast<QFrame*>(w)) f->setFrameStyle(QFrame::NoFrame);
  w->setContentsMargins(n, n, n, n);
  o->setGeometry(w->rect());
  o->raise();
  o->show();
  o->update();
  w->setProperty("win.border", n);
}

// The window's look from its style bits. A top-level window has a frame only with a caption;
// a child window's border bits become its frame.
void applyStyle(Entry& e) {
  QWidget* w = e.widget;
  if (w->isWindow()) {
    const bool framed = (e.style & WS_CAPTION) == WS_CAPTION;
    const bool frameless = w->windowFlags() & Qt::FramelessWindowHint;
    if (framed == !frameless) return;
    if (QWindow* h = w->windowHandle()) {
      // Keeps the native window (and so the handle) while the frame changes. Some window
      // managers look at the frame only when a window is mapped: a shown one is mapped anew.
      Qt::WindowFlags f = h->flags();
      f.setFlag(Qt::FramelessWindowHint, !framed);
      h->setFlags(f);
      w->overrideWindowFlags(f);
      if (w->isVisible()) {
        w->setProperty(kRemapping, true);
        w->hide();
        w->show();
        w->setProperty(kRemapping, QVariant());
      }
    } else {
      w->setWindowFlag(Qt::FramelessWindowHint, !framed);
    }
    return;
  }
  setChildBorder(w, e.style, e.exStyle);
}

// Cuts the key colour's pixels out of the window; again whenever it is repainted or resized.
class KeyWatcher : public QObject {
 public:
  explicit KeyWatcher(QWidget* w) : QObject(w), w_(w) {
    w->installEventFilter(this);
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, [this] { apply(); });
  }
  void schedule() { timer_.start(); }
  void apply() {
    Entry* e = entry(HandleOf(w_));  // the handle changes when the window is made anew
    if (e && e->outOfSight) return;  // its empty shape stands until it is given back
    if (!e || !e->keyed || !(e->exStyle & WS_EX_LAYERED)) {
      w_->clearMask();
      return;
    }
    busy_ = true;
    const QImage img = w_->grab().toImage().convertToFormat(QImage::Format_RGB32);
    busy_ = false;
    if (img.isNull()) return;
    // The window keeps the runs of pixels of any other colour.
    const QRgb key = keyColor(e->colorKey).rgb() | 0xff000000u;
    QRegion keep;
    for (int y = 0; y < img.height(); ++y) {
      const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
      int x = 0;
      while (x < img.width()) {
        while (x < img.width() && (row[x] | 0xff000000u) == key) ++x;
        const int start = x;
        while (x < img.width() && (row[x] | 0xff000000u) != key) ++x;
        if (x > start) keep += QRect(start, y, x - start, 1);
      }
    }
    const double sx = double(w_->width()) / img.width(), sy = double(w_->height()) / img.height();
    if (sx != 1.0 || sy != 1.0) {
      QRegion scaled;
      for (const QRect& r : keep)
        scaled += QRect(int(r.x() * sx), int(r.y() * sy), std::max(1, int(r.width() * sx)),
                        std::max(1, int(r.height() * sy)));
      keep = scaled;
    }
    w_->setMask(keep.isEmpty() ? QRegion(0, 0, 1, 1) : keep);
  }
  bool eventFilter(QObject*, QEvent* ev) override {
    if (!busy_ && (ev->type() == QEvent::Resize || ev->type() == QEvent::Show ||
                   ev->type() == QEvent::UpdateRequest || ev->type() == QEvent::LayoutRequest))
      schedule();
    return false;
  }

 private:
  QWidget* w_;
  QTimer timer_;
  bool busy_ = false;
};

// The last press of the left button: where it was and where its window stood then, so that a
// move begun a few pointer steps later still keeps the pressed spot under the pointer.
class PressTracker : public QObject {
 public:
  static PressTracker& get() {
    static auto* tracker = new PressTracker(qApp);
    return *tracker;
  }
  // The pointer's offset from the window's corner when the left button went down on it.
  std::optional<QPoint> offsetIn(const QWidget* window) const {
    if (window_ != window) return std::nullopt;
    return at_ - corner_;
  }
  bool eventFilter(QObject* obj, QEvent* ev) override {
    if (ev->type() != QEvent::MouseButtonPress) return false;
    auto* me = static_cast<QMouseEvent*>(ev);
    auto* w = qobject_cast<QWidget*>(obj);
    if (!w || me->button() != Qt::LeftButton) return false;
    window_ = w->window();
    at_ = me->globalPosition().toPoint();
    corner_ = window_->pos();
    return false;
  }

 private:
  explicit PressTracker(QObject* parent) : QObject(parent) { qApp->installEventFilter(this); }
  QPointer<QWidget> window_;
  QPoint at_, corner_;
};

// The move of a window by its body while the left button is held: the program has the pointer
// from the press to the release, so the move ends exactly there under any window manager. Not
// the window's child: it goes while events run, maybe while the window walks its children.
class MoveFollower : public QObject {
 public:
  MoveFollower(QWidget* window, const QPoint& offset) : w_(window), offset_(offset) {
    followers().push_back(this);
    qApp->installEventFilter(this);
  }
  ~MoveFollower() override { std::erase(followers(), this); }
  // Whether a drag of that window is being followed.
  static bool Following(const QWidget* window) {
    return std::any_of(followers().begin(), followers().end(), [window](MoveFollower* f) { return f->w_ == window; });
  }
  void follow(const QPoint& pointer) {
    if (!w_) return done();
    if (w_->pos() != pointer - offset_) w_->move(pointer - offset_);
  }
  bool eventFilter(QObject*, QEvent* ev) override {
    if (ev->type() == QEvent::MouseMove) {
      auto* me = static_cast<QMouseEvent*>(ev);
      if (me->buttons() & Qt::LeftButton) follow(me->globalPosition().toPoint());
      else done();
    } else if (ev->type() == QEvent::MouseButtonRelease) {
      done();
    }
    return false;
  }

 private:
  void done() {
    qApp->removeEventFilter(this);
    w_ = nullptr;
    deleteLater();
  }
  static std::vector<MoveFollower*>& followers() {
    static std::vector<MoveFollower*> f;
    return f;
  }
  QPointer<QWidget> w_;
  QPoint offset_;
};

// Where no compositing manager draws the screen, a window is drawn whole or not at all: a layered
// top-level window stays out of sight until it is more than half opaque.
void updateSight(Entry& e, HWND h) {
  QWidget* w = e.widget;
  const bool faint = w->isWindow() && (e.exStyle & WS_EX_LAYERED) && e.alpha < 128;
  if (!faint && !e.outOfSight) return;
  const bool out = faint && x11::Available() && !x11::CompositingManager();
  if (out == e.outOfSight) return;
  QGuiApplication::sync();  // the window is on the display before its shape changes
  if (!x11::SetOutOfSight(static_cast<x11::Window>(h), out)) return;
  e.outOfSight = out;
  if (out) return;
  if (e.keyWatcher) {
    w->clearMask();
    static_cast<KeyWatcher*>(e.keyWatcher)->apply();
  }
  w->update();
}

// Only a window manager keeps a window above the others by its stays-on-top hint: without one,
// the top-most windows are raised again whenever another window of the program is shown or raised.
class TopMostKeeper : public QObject {
 public:
  static TopMostKeeper& get() {
    static auto* keeper = new TopMostKeeper(qApp);
    return *keeper;
  }
  void set(QWidget* w, bool top) {
    tops_.erase(std::remove_if(tops_.begin(), tops_.end(), [w](const QPointer<QWidget>& p) { return !p || p == w; }),
                tops_.end());
    if (top) tops_.push_back(w);
    if (top && w->isVisible()) w->raise();
  }
  bool eventFilter(QObject* obj, QEvent* ev) override {
    if (ev->type() != QEvent::Show && ev->type() != QEvent::ZOrderChange) return false;
    auto* w = qobject_cast<QWidget*>(obj);
    if (!w || !w->isWindow() || w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip) return false;
    if (std::find(tops_.begin(), tops_.end(), w) == tops_.end() && !tops_.empty()) timer_.start();
    return false;
  }

 private:
  explicit TopMostKeeper(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, [this] {
      for (const QPointer<QWidget>& p : tops_)
        if (p && p->isVisible()) p->raise();
    });
  }
  std::vector<QPointer<QWidget>> tops_;
  QTimer timer_;
};

// Owned windows stand above their owner: raised again after the owner is shown, raised or
// activated.
class OwnedKeeper : public QObject {
 public:
  static OwnedKeeper& get() {
    static auto* keeper = new OwnedKeeper(qApp);
    return *keeper;
  }
  void add(QWidget* owned, QWidget* owner) {
    for (auto& [o, w] : owned_)
      if (w == owned) o = owner;
    if (std::none_of(owned_.begin(), owned_.end(), [owned](const auto& p) { return p.second == owned; }))
      owned_.emplace_back(owner, owned);
  }
  bool eventFilter(QObject* obj, QEvent* ev) override {
    if (ev->type() != QEvent::Show && ev->type() != QEvent::ZOrderChange && ev->type() != QEvent::WindowActivate)
      return false;
    for (const auto& [owner, owned] : owned_)
      if (owner == obj && owned && owned->isVisible()) timer_.start();
    return false;
  }

 private:
  explicit OwnedKeeper(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, [this] {
      owned_.erase(std::remove_if(owned_.begin(), owned_.end(), [](const auto& p) { return !p.first || !p.second; }),
                   owned_.end());
      for (const auto& [owner, owned] : owned_)
        if (owner->isVisible() && owned->isVisible()) owned->raise();
    });
  }
  std::vector<std::pair<QPointer<QWidget>, QPointer<QWidget>>> owned_;
  QTimer timer_;
};

}  // namespace

void SetOwner(QWidget* owned, QWidget* owner) {
  if (!owned || !owner || owned == owner) return;
  owned->winId();
  owner->winId();
  QWindow* h = owned->windowHandle();
  Qt::WindowFlags f = h->flags();
  if ((f & Qt::WindowType_Mask) == Qt::Window) {
    f = (f & ~Qt::WindowType_Mask) | Qt::Dialog;
    h->setFlags(f);
    owned->overrideWindowFlags(f);
  }
  h->setTransientParent(owner->windowHandle());
  OwnedKeeper::get().add(owned, owner);
}

HWND RegisterWindow(QWidget* widget, uint32_t style, uint32_t exStyle) {
  if (!widget) return 0;
  if (HWND known = HandleOf(widget)) {
    // A window made anew (its frame or kind changed, or its form was loaded again) has a new
    // native window: the handle follows it, or whoever draws into it gets a window that is gone.
    const auto now = static_cast<HWND>(widget->winId());
    if (now == known) return known;
    auto old = windows().extract(known);
    old.key() = now;
    windows().insert(std::move(old));
    return now;
  }
  PressTracker::get();  // from the first window on, a drag knows where it was pressed
  const HWND h = static_cast<HWND>(widget->winId());
  Entry& e = windows()[h];
  e.widget = widget;
  e.style = style;
  e.exStyle = exStyle;
  return h;
}

QWidget* WindowWidget(HWND hwnd) {
  Entry* e = entry(hwnd);
  return e ? e->widget.data() : nullptr;
}

HWND HandleOf(const QWidget* widget) {
  if (!widget) return 0;
  for (auto& [h, e] : windows())
    if (e.widget == widget) return h;
  return 0;
}

int32_t GetWindowLongA(HWND hwnd, int index) {
  Entry* e = entry(hwnd);
  if (!e) return 0;
  if (index == GWL_STYLE) {
    uint32_t s = e->style & ~WS_VISIBLE;
    if (e->widget->isVisible()) s |= WS_VISIBLE;
    return static_cast<int32_t>(s);
  }
  if (index == GWL_EXSTYLE) {
    uint32_t s = e->exStyle & ~WS_EX_TOPMOST;
    if (e->widget->windowFlags() & Qt::WindowStaysOnTopHint) s |= WS_EX_TOPMOST;
    return static_cast<int32_t>(s);
  }
  return 0;
}

int32_t SetWindowLongA(HWND hwnd, int index, int32_t value) {
  Entry* e = entry(hwnd);
  if (!e) return 0;
  const int32_t old = GetWindowLongA(hwnd, index);
  if (index == GWL_STYLE) e->style = static_cast<uint32_t>(value);
  else if (index == GWL_EXSTYLE) e->exStyle = static_cast<uint32_t>(value);
  else return 0;
  if (index == GWL_STYLE) applyStyle(*e);
  if (index == GWL_EXSTYLE && !(e->exStyle & WS_EX_LAYERED) && e->widget->isWindow()) {
    e->widget->setWindowOpacity(1.0);
    e->alpha = 255;
    e->keyed = false;
    updateSight(*e, hwnd);
    e->widget->clearMask();
  }
  return old;
}

bool SetLayeredWindowAttributes(HWND hwnd, uint32_t colorKey, uint8_t alpha, uint32_t flags) {
  Entry* e = entry(hwnd);
  if (!e || !(e->exStyle & WS_EX_LAYERED)) return false;
  QWidget* w = e->widget;
  if (flags & LWA_ALPHA) {
    w->setWindowOpacity(alpha / 255.0);
    e->alpha = alpha;
  }
  e->keyed = (flags & LWA_COLORKEY) != 0;
  e->colorKey = colorKey;
  if (e->keyed && !e->keyWatcher) e->keyWatcher = new KeyWatcher(w);
  updateSight(*e, hwnd);
  if (e->keyWatcher) static_cast<KeyWatcher*>(e->keyWatcher)->apply();
  return true;
}

bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, uint32_t flags) {
  Entry* e = entry(hwnd);
  if (!e) return false;
  QWidget* w = e->widget;
  if (!(flags & SWP_NOZORDER)) {
    if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
      const bool top = insertAfter == HWND_TOPMOST;
      if (w->isWindow()) TopMostKeeper::get().set(w, top);
      if (w->isWindow() && bool(w->windowFlags() & Qt::WindowStaysOnTopHint) != top) {
        if (QWindow* h = w->windowHandle()) {
          Qt::WindowFlags f = h->flags();
          f.setFlag(Qt::WindowStaysOnTopHint, top);
          h->setFlags(f);
          w->overrideWindowFlags(f);
        } else {
          w->setWindowFlag(Qt::WindowStaysOnTopHint, top);
        }
      }
    } else if (insertAfter == HWND_TOP) {
      w->raise();
    } else if (insertAfter == HWND_BOTTOM) {
      w->lower();
    }
  }
  if (!(flags & SWP_NOMOVE)) w->move(x, y);
  if (!(flags & SWP_NOSIZE)) w->resize(cx, cy);
  if (flags & SWP_FRAMECHANGED) {
    applyStyle(*e);
    w->update();
  }
  if (flags & SWP_SHOWWINDOW) w->show();
  if (flags & SWP_HIDEWINDOW) w->hide();
  return true;
}

void SetCursorPosForTests(std::function<POINT()> position) { cursorHook() = std::move(position); }

bool GetCursorPos(POINT& p) {
  if (cursorHook()) {
    p = cursorHook()();
    return true;
  }
  const QPoint q = QCursor::pos();
  p = {q.x(), q.y()};
  return true;
}

HWND WindowFromPoint(POINT p) {
  for (QWidget* w = QApplication::widgetAt(QPoint(p.x, p.y)); w; w = w->parentWidget())
    if (HWND h = HandleOf(w)) return h;
  return 0;
}

namespace {
std::function<bool(int)>& keyStateHook() {
  static std::function<bool(int)> hook;
  return hook;
}
}  // namespace

void SetKeyStateForTests(std::function<bool(int vKey)> isDown) { keyStateHook() = std::move(isDown); }

int16_t GetAsyncKeyState(int vKey) {
  if (keyStateHook()) return keyStateHook()(vKey) ? static_cast<int16_t>(0x8000) : int16_t{0};
  const Qt::MouseButtons b = QGuiApplication::mouseButtons();
  const Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
  bool down = false;
  switch (vKey) {
    case VK_LBUTTON: down = b & Qt::LeftButton; break;
    case VK_RBUTTON: down = b & Qt::RightButton; break;
    case VK_MBUTTON: down = b & Qt::MiddleButton; break;
    case VK_SHIFT: down = m & Qt::ShiftModifier; break;
    case VK_CONTROL: down = m & Qt::ControlModifier; break;
    case VK_MENU: down = m & Qt::AltModifier; break;
    default: break;
  }
  return down ? static_cast<int16_t>(0x8000) : int16_t{0};
}

bool ReleaseCapture() {
  if (QWidget* g = QWidget::mouseGrabber()) g->releaseMouse();
  return true;
}

std::intptr_t SendMessageA(HWND hwnd, uint32_t msg, std::intptr_t wParam, std::intptr_t) {
  Entry* e = entry(hwnd);
  if (!e) return 0;
  QWidget* window = e->widget->window();
  if (msg == WM_NCLBUTTONDOWN && wParam == HTCAPTION) {
    // The window manager's own move (_NET_WM_MOVERESIZE) would take the pointer only after the
    // program has let it go: a release in between is lost, and the window then follows the
    // pointer until the next click. So the program moves the window itself.
    if (!(GetAsyncKeyState(VK_LBUTTON) & 0x8000)) return 0;  // the press is already over
    // One follower per drag: later moves with the button held ask again.
    if (MoveFollower::Following(window)) return 0;
    POINT p;
    GetCursorPos(p);
    const QPoint pointer(p.x, p.y);
    const QPoint offset = PressTracker::get().offsetIn(window).value_or(pointer - window->pos());
    (new MoveFollower(window, offset))->follow(pointer);
    return 0;
  }
  if (msg == WM_CLOSE) {
    window->close();
    return 0;
  }
  return 0;
}

bool SystemParametersInfoA(uint32_t action, uint32_t, void* data, uint32_t) {
  if (action != SPI_GETWORKAREA || !data) return false;
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return false;
  const QRect r = s->availableGeometry();
  *static_cast<RECT*>(data) = {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
  return true;
}

bool SetWindowTextA(HWND hwnd, const std::string& text) {
  if (Entry* e = entry(hwnd)) {
    e->widget->setWindowTitle(QString::fromStdString(text));
    return true;
  }
  return hwnd > 0 && x11::SetWindowTitle(static_cast<x11::Window>(hwnd), text);
}

bool IsWindow(HWND hwnd) { return entry(hwnd) != nullptr; }

bool GetWindowRect(HWND hwnd, RECT& r) {
  Entry* e = entry(hwnd);
  if (!e) return false;
  QWidget* w = e->widget;
  const QRect g = w->isWindow() ? w->frameGeometry() : QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
  r = {g.left(), g.top(), g.right() + 1, g.bottom() + 1};
  return true;
}

bool GetClientRect(HWND hwnd, RECT& r) {
  Entry* e = entry(hwnd);
  if (!e) return false;
  r = {0, 0, e->widget->width(), e->widget->height()};
  return true;
}

}  // namespace win
