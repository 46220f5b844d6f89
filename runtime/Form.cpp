#include "runtime/Form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cmath>
#include <optional>
#include <utility>

#include "platform/window_qt.h"
#include "platform/x11paint.h"
#include "platform/x11window.h"
#include "runtime/controls.h"
#include "runtime/propbag.h"
#include "runtime/qt.h"
#include "runtime/screen.h"

namespace vb {

namespace {
// Holds a window at the place it was opened at, frame and all, until the window manager has
// framed it there: one that places new windows its own way (or takes the inner corner for the
// outer one) is overruled. Gives up after two seconds.
// It is no child of the window: Qt walks a window's children while it shows them, and the
// controls' drawing lets events run meanwhile, in which a holder that has done its work goes;
// the walk would then meet it after it went.
class PlaceHolder : public QObject {
 public:
  static void Hold(QWidget* w, QPoint outerCorner) {
    for (QObject* c : qApp->children())
      if (auto* old = dynamic_cast<PlaceHolder*>(c); old && old->w_ == w) delete old;
    new PlaceHolder(w, outerCorner);
  }

 private:
  PlaceHolder(QWidget* w, QPoint at) : QObject(qApp), w_(w), at_(at) {
    qApp->installEventFilter(this);
    clock_.start();
    timer_.setInterval(50);
    connect(&timer_, &QTimer::timeout, this, [this] { check(); });
    timer_.start();
  }
  void check() {
    if (!w_ || clock_.elapsed() > 2000) {
      deleteLater();
      return;
    }
    // Until it is framed, a framed window's place says nothing yet.
    const bool framed = w_->frameGeometry() != w_->geometry() || (w_->windowFlags() & Qt::FramelessWindowHint);
    if (!w_->isVisible() || !framed) return;
    if (w_->frameGeometry().topLeft() == at_) {
      deleteLater();
      return;
    }
    w_->move(at_);
  }
  // A user who takes the window (a drag by its body) has the last word.
  bool eventFilter(QObject* obj, QEvent* ev) override {
    if (ev->type() == QEvent::MouseButtonPress)
      if (auto* pressed = qobject_cast<QWidget*>(obj); pressed && pressed->window() == w_) deleteLater();
    return false;
  }
  QPointer<QWidget> w_;
  QPoint at_;
  QElapsedTimer clock_;
  QTimer timer_;
};
}  // namespace

// The window itself: its menu bar above the client area.
class FormWidget : public QWidget {
 public:
  explicit FormWidget(Form& f) : form_(f) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::StrongFocus);
    bar_ = new QMenuBar(this);
    bar_->setNativeMenuBar(false);
    bar_->hide();
  }
  QMenuBar* bar() const { return bar_; }
  int barHeight() const { return bar_->isVisibleTo(this) ? bar_->sizeHint().height() : 0; }
  // The size the window has, or is to take once the handler that gave it is done.
  QSize innerSize() const { return pendingSize_.value_or(size()); }
  void layoutClient() {
    const int h = barHeight();
    const QSize size = innerSize();
    bar_->setGeometry(0, 0, size.width(), h);
    if (QWidget* c = form_.ClientWidget()) c->setGeometry(0, h, size.width(), std::max(0, size.height() - h));
  }
  // A shown window takes the size that a handler gives it in one go once the handler is done: a
  // window manager answers each request on its own, and a size in between (the new width with
  // the old height) would come back as a resize by the user and show as a frame of its own.
  // Until then the form reads the size it was given.
  void resizeLater(QSize inner) {
    pendingSize_ = inner.expandedTo(minimumSize());
    layoutClient();
    if (posted_) return;
    posted_ = true;
    QMetaObject::invokeMethod(this, [this] {
      posted_ = false;
      resizeNow();
    }, Qt::QueuedConnection);
  }
  void resizeNow() {
    if (!pendingSize_) return;
    const QSize size = *std::exchange(pendingSize_, std::nullopt);
    resize(size);
    layoutClient();
  }
  // A window the user can size keeps the platform's smallest size: its menu bar whole, and room
  // for the frame's buttons (Windows kept about 120 x 30 pixels of client area).
  void keepSmallest(bool sizable) {
    if (!sizable) return setMinimumSize(0, 0);
    const int bar = bar_->isVisibleTo(this) ? bar_->sizeHint().width() : 0;
    setMinimumSize(std::max(120, bar), barHeight() + 30);
  }
  void updateBar() {
    bool any = false;
    for (QAction* a : bar_->actions()) any = any || a->isVisible();
    if (any != bar_->isVisibleTo(this)) {
      const QSize client = form_.ClientWidget()->size();
      bar_->setVisible(any);
      resize(width(), client.height() + barHeight());
      layoutClient();
    }
  }

 protected:
  void resizeEvent(QResizeEvent*) override { layoutClient(); }
  void closeEvent(QCloseEvent* e) override {
    if (form_.DoUnload(vbFormControlMenu)) e->accept();
    else e->ignore();
  }
  void hideEvent(QHideEvent*) override {
    if (!property(win::kRemapping).isValid()) form_.endModal();
  }
  void moveEvent(QMoveEvent*) override { noteFrame(); }
  void showEvent(QShowEvent*) override {
    shown_ = true;
    noteFrame();
    form_.applyBackground();
  }
  void changeEvent(QEvent* e) override {
    // Minimising and restoring change no size, yet the window hears of them as a resize.
    if (e->type() == QEvent::WindowStateChange) {
      const auto old = static_cast<QWindowStateChangeEvent*>(e)->oldState();
      if (((old ^ windowState()) & Qt::WindowMinimized) && form_.Resize) form_.Resize();
    }
    QWidget::changeEvent(e);
  }

 public:
  // The frame around the client area. Before a framed window is first shown, the window
  // manager is asked for the frame it will give it; where it does not tell, the last frame seen
  // on a framed window stands in. Either is taken once and holds until the window manager has
  // framed the window, so that what the window measures before its show is what its moves use
  // (also just after the show), however other windows come and go meanwhile.
  QMargins frame() const {
    const QRect outer = frameGeometry(), inner = geometry();
    if (outer != inner) framed_ = true;
    // Once framed, the window has the frame it has (none in full screen).
    if (framed_ || (shown_ && !early_))
      return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                      outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (windowFlags() & Qt::FramelessWindowHint) return QMargins();
    if (!early_) early_ = toldFrame().value_or(lastFrame());
    return *early_;
  }
  // The window's border changed: its frame is to be asked again.
  void forgetFrame() {
    early_.reset();
    framed_ = false;
  }
  // Where the window's outer corner is to stand when it is first shown. Before that, a window
  // manager's answer about the frame may move the window Qt keeps; the place asked for holds.
  void intend(QPoint at) {
    if (!shown_) intended_ = at;
  }
  // Qt learns a window's frame only once it is framed, so before the first show it would put
  // the inner corner where the outer one was asked for: the inner corner is placed instead.
  void placeAsIntended() {
    if (shown_ || !intended_) return;
    const QMargins m = frame();
    setGeometry(QRect(*intended_ + QPoint(m.left(), m.top()), size()));
  }
  // The outer rectangle. Until the first show, Qt keeps the frame's corner as the position.
  QRect outer() const {
    if (pendingSize_) return QRect(geometry().marginsAdded(frame()).topLeft(), pendingSize_->grownBy(frame()));
    if (!shown_ && intended_) return QRect(*intended_, geometry().size().grownBy(frame()));
    if (shown_ || frameGeometry() != geometry()) return geometry().marginsAdded(frame());
    const QMargins m = frame();
    return QRect(geometry().topLeft(), geometry().size().grownBy(m));
  }

 private:
  std::optional<QMargins> toldFrame() const {
    if (!win::x11::Available() || !win::x11::FramesToldAhead()) return std::nullopt;
    // The request names the window: it has to exist on the display first.
    const auto id = static_cast<win::x11::Window>(const_cast<FormWidget*>(this)->winId());
    QGuiApplication::sync();
    int left = 0, top = 0, right = 0, bottom = 0;
    if (!win::x11::FrameExtents(id, left, top, right, bottom)) return std::nullopt;
    return QMargins(left, top, right, bottom);
  }
  static QMargins& lastFrame() {
    static QMargins m;
    return m;
  }
  void noteFrame() {
    if (!isVisible() || (windowFlags() & Qt::FramelessWindowHint)) return;
    const QRect outer = frameGeometry(), inner = geometry();
    if (outer != inner)
      lastFrame() = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                             outer.right() - inner.right(), outer.bottom() - inner.bottom());
  }

 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::WindowActivate && form_.Activate) form_.Activate();
    if (e->type() == QEvent::WindowDeactivate && form_.Deactivate) form_.Deactivate();
    return QWidget::event(e);
  }

 private:
  Form& form_;
  QMenuBar* bar_;
  bool shown_ = false;
  bool posted_ = false;
  std::optional<QPoint> intended_;
  std::optional<QSize> pendingSize_;
  mutable std::optional<QMargins> early_;
  mutable bool framed_ = false;
};

namespace {
// The inner area: paints the form's persistent image.
class ClientArea : public QWidget {
 public:
  ClientArea(Form& f, QWidget* parent) : QWidget(parent), form_(f) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    form_.PaintSurface(this);
    if (form_.Paint) form_.Paint();
  }

 private:
  Form& form_;
};

int px(double v) { return static_cast<int>(std::lround(v)); }
}  // namespace

namespace {
std::vector<Form*>& loadedForms() {
  static std::vector<Form*> f;
  return f;
}
bool running = false;

void forget(Form* f) {
  auto& v = loadedForms();
  v.erase(std::remove(v.begin(), v.end(), f), v.end());
}

// A window's timers stop when it unloads, and start again as designed when it loads again.
void stopTimers(Host& h) {
  for (Control* c : h.Controls())
    if (auto* t = dynamic_cast<TimerControl*>(c)) t->Enabled(false);
}
}  // namespace

struct Form::Modal {
  QEventLoop loop;
};

Form::Form(const std::string& designSource) : Control(nullptr) {
  auto* w = new FormWidget(*this);
  client_ = new ClientArea(*this, w);
  attachWidget(w);
  InstallEvents(*this, client_);
  BackColor(vbButtonFace);
  w->resize(320, 240);
  w->layoutClient();
  if (!designSource.empty()) LoadDesignFile(designSource);
}

Form::~Form() {
  endModal();
  forget(this);
  DestroyControls();
}

QWidget* Form::ClientWidget() const { return client_; }

std::string Form::Caption() const { return Widget() ? Widget()->windowTitle().toStdString() : ""; }
void Form::Caption(const std::string& c) {
  if (Widget()) Widget()->setWindowTitle(QString::fromStdString(c));
}

void Form::ReadOwnDesign(const PropertyBag& bag) {
  QWidget* w = Widget();
  if (bag.Contains("ScaleMode")) ScaleMode(bag.ReadProperty("ScaleMode", int32_t{vbTwips}));
  borderStyle_ = bag.ReadProperty("BorderStyle", borderStyle_);
  controlBox_ = bag.ReadProperty("ControlBox", controlBox_);
  minButton_ = bag.ReadProperty("MinButton", borderStyle_ == vbSizable || borderStyle_ == vbFixedSingle);
  maxButton_ = bag.ReadProperty("MaxButton", borderStyle_ == vbSizable);
  showInTaskbar_ = bag.ReadProperty("ShowInTaskbar", showInTaskbar_);
  startUpPosition_ = bag.ReadProperty("StartUpPosition", startUpPosition_);
  keyPreview_ = bag.ReadProperty("KeyPreview", keyPreview_);
  AutoRedraw(bag.ReadProperty("AutoRedraw", AutoRedraw()));
  applyBorder();
  Caption(bag.ReadProperty("Caption", Caption()));
  if (bag.Contains("ClientWidth") || bag.Contains("ClientHeight")) {
    const int cw = px(bag.ReadProperty("ClientWidth", ScaleWidth()) / UnitsPerPixelX());
    const int ch = px(bag.ReadProperty("ClientHeight", ScaleHeight()) / UnitsPerPixelY());
    w->resize(cw, ch + static_cast<FormWidget*>(w)->barHeight());
    static_cast<FormWidget*>(w)->layoutClient();
  }
  const double tx = Screen::TwipsPerPixelX(), ty = Screen::TwipsPerPixelY();
  if (bag.Contains("Left") || bag.Contains("Top")) {
    const QPoint at(px(bag.ReadProperty("Left", 0.0f) / tx), px(bag.ReadProperty("Top", 0.0f) / ty));
    w->move(at);
    static_cast<FormWidget*>(w)->intend(at);
    placed_ = true;
  }
  Tag(bag.ReadProperty("Tag", Tag()));
  if (bag.Contains("Enabled")) Enabled(bag.ReadProperty("Enabled", true));
  if (bag.Contains("ToolTipText")) ToolTipText(bag.ReadProperty("ToolTipText", std::string()));
  const StdPicture icon = bag.ReadProperty("MouseIcon", MouseIcon());
  if (icon) MouseIcon(icon);
  if (bag.Contains("MousePointer")) MousePointer(bag.ReadProperty("MousePointer", int32_t{0}));
  if (bag.Contains("OLEDropMode")) OLEDropMode(bag.ReadProperty("OLEDropMode", int32_t{0}));
  if (bag.Contains("BackColor")) BackColor(bag.ReadProperty("BackColor", BackColor()));
  if (bag.Contains("ForeColor")) ForeColor(bag.ReadProperty("ForeColor", ForeColor()));
  if (bag.Contains("Font")) Font(bag.ReadProperty("Font", Font()));
  if (bag.Contains("Picture")) Picture(bag.ReadProperty("Picture", StdPicture()));
  if (bag.Contains("Icon")) Icon(bag.ReadProperty("Icon", StdPicture()));
  if (bag.Contains("WindowState")) WindowState(bag.ReadProperty("WindowState", int32_t{0}));
}

void Form::applyBorder() {
  QWidget* w = Widget();
  Qt::WindowFlags f = Qt::Window;
  switch (borderStyle_) {
    case vbBSNone: f |= Qt::FramelessWindowHint; break;
    case vbFixedSingle: case vbSizable:
      f |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
      if (minButton_) f |= Qt::WindowMinimizeButtonHint;
      if (maxButton_) f |= Qt::WindowMaximizeButtonHint;
      break;
    case vbFixedDialog: f = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
    default: f = Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
  }
  if (!controlBox_ && borderStyle_ != vbBSNone) f &= ~(Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  if (!showInTaskbar_ && !(f & Qt::Tool)) f |= Qt::Tool;
  f |= Qt::CustomizeWindowHint;
  w->setWindowFlags(f);
  static_cast<FormWidget*>(w)->forgetFrame();
  static_cast<FormWidget*>(w)->keepSmallest(borderStyle_ == vbSizable);
}

void Form::AddTopMenu(Menu& menu) {
  auto* fw = static_cast<FormWidget*>(Widget());
  fw->bar()->addAction(menu.Action());
  menu.OnVisibility = [fw] { fw->updateBar(); };
  fw->updateBar();
}


std::vector<Form*> Forms() { return loadedForms(); }

namespace {
// Message boxes and other dialogs open centred on their owner, frame and all. Qt centres them
// before they know their size and their frame; here they are placed once both are known, just
// before they reach the screen.
class DialogPlacer : public QObject {
 public:
  static void install() { static auto* placer = new DialogPlacer(qApp); (void)placer; }
  bool eventFilter(QObject* obj, QEvent* ev) override {
    if (ev->type() != QEvent::Show || !obj->isWindowType()) return false;
    auto* window = static_cast<QWindow*>(obj);
    QDialog* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->windowHandle() == window) dialog = qobject_cast<QDialog*>(w);
    if (!dialog || !dialog->parentWidget() || dialog->testAttribute(Qt::WA_Moved)) return false;
    int left = 0, top = 0, right = 0, bottom = 0;
    if (win::x11::Available() && win::x11::FramesToldAhead())
      win::x11::FrameExtents(static_cast<win::x11::Window>(dialog->winId()), left, top, right, bottom);
    QRect outer(QPoint(), dialog->size().grownBy(QMargins(left, top, right, bottom)));
    outer.moveCenter(dialog->parentWidget()->window()->frameGeometry().center());
    window->setGeometry(QRect(outer.topLeft() + QPoint(left, top), dialog->size()));
    PlaceHolder::Hold(dialog, outer.topLeft());
    return false;
  }

 private:
  explicit DialogPlacer(QObject* parent) : QObject(parent) { qApp->installEventFilter(this); }
};
}  // namespace

QWidget* BoxOwner() {
  DialogPlacer::install();
  QWidget* active = QApplication::activeWindow();
  const std::vector<Form*>& forms = loadedForms();
  Form* first = nullptr;
  for (Form* f : forms)
    if (f->Widget() && f->Widget()->isVisible()) {
      first = f;
      break;
    }
  Form* form = nullptr;
  for (Form* f : forms)
    if (active && f->Widget() == active) form = f;
  // A box belongs to the window the user works in: an owned one, the first window, or a box
  // or dialog over them; not a window standing on its own beside them (the developer console).
  if (active && (!form || form == first || form->Owner())) return active;
  return first ? first->Widget() : active;
}

int Run() {
  running = true;
  const int rc = loadedForms().empty() ? 0 : QApplication::exec();
  running = false;
  return rc;
}

void End() {
  for (Form* f : Forms()) {
    f->endModal();
    if (f->Widget()) f->Widget()->hide();
  }
  if (running) QApplication::exit(0);
}

void Form::DoLoad() {
  if (loaded_) return;
  loaded_ = true;
  shownSinceLoad_ = false;
  loadedForms().push_back(this);
  if (everUnloaded_) ResetToDesign();
  if (Load) Load();
}

void Load(Form& form) { form.DoLoad(); }

bool Form::DoUnload(int unloadMode) {
  if (!loaded_) {
    if (Widget()) Widget()->hide();
    return true;
  }
  int cancel = 0;
  if (QueryUnload) QueryUnload(cancel, unloadMode);
  if (cancel) return false;
  if (Unload) Unload(cancel);
  if (cancel) return false;
  loaded_ = false;
  everUnloaded_ = true;
  forget(this);
  stopTimers(*this);
  if (Widget()) Widget()->hide();
  endModal();
  if (running && loadedForms().empty()) QApplication::exit(0);
  return true;
}

bool Unload(Form& form, int unloadMode) { return form.DoUnload(unloadMode); }

void Form::Show(int modal, Form* owner) {
  DoLoad();
  if (!loaded_) return;  // Load unloaded it again
  QWidget* w = Widget();
  if (owner && owner != this && owner->Widget()) {
    owner_ = owner;
    win::SetOwner(w, owner->Widget());
  }
  if (!w->isVisible()) {
    auto* fw = static_cast<FormWidget*>(w);
    // Where the design leaves the place open, an owned window opens centred on its owner.
    const bool onOwner = owner_ && (startUpPosition_ == 1 || (startUpPosition_ == 0 && !placed_ && !shownSinceLoad_));
    QRect around;
    if (startUpPosition_ == 2 || (startUpPosition_ == 1 && !owner_)) {
      if (QScreen* s = QGuiApplication::primaryScreen()) around = s->availableGeometry();
    } else if (onOwner) {
      around = static_cast<FormWidget*>(owner_->Widget())->outer();  // as the owner reads it
    }
    if (!around.isNull()) {
      QRect r(QPoint(), fw->outer().size());
      r.moveCenter(around.center());
      w->move(r.topLeft());
      fw->intend(r.topLeft());
      PlaceHolder::Hold(w, r.topLeft());
    }
  }
  // A form hears Resize when it is first shown after its load, also where its size stays as it
  // was (a form loaded again keeps its window); Qt tells only of a size that changed.
  const bool resizeOnShow = !shownSinceLoad_ && !client_->testAttribute(Qt::WA_PendingResizeEvent);
  shownSinceLoad_ = true;
  auto showWindow = [&] {
    static_cast<FormWidget*>(w)->placeAsIntended();
    w->show();
    if (resizeOnShow && Resize) Resize();
  };
  if (modal == vbModal) {
    w->setWindowModality(Qt::ApplicationModal);
    showWindow();
    w->raise();
    w->activateWindow();
    Modal m;
    modal_ = &m;
    m.loop.exec();
    modal_ = nullptr;
    if (Widget()) Widget()->setWindowModality(Qt::NonModal);
    return;
  }
  showWindow();
  w->raise();
  w->activateWindow();
}

void Form::endModal() {
  if (modal_) modal_->loop.quit();
}

void Form::Hide() {
  DoLoad();
  if (Widget()) Widget()->hide();
  endModal();
}

bool Form::Visible() const { return Widget() && Widget()->isVisible(); }
void Form::Visible(bool v) {
  if (v) Show();
  else Hide();
}

int Form::WindowState() const {
  QWidget* w = Widget();
  if (!w) return vbNormal;
  if (w->windowState() & Qt::WindowMinimized) return vbMinimized;
  if (w->windowState() & Qt::WindowMaximized) return vbMaximized;
  return vbNormal;
}

void Form::WindowState(int state) {
  QWidget* w = Widget();
  if (!w) return;
  static_cast<FormWidget*>(w)->resizeNow();  // a size given before comes first, as it was asked
  Qt::WindowStates s = w->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
  if (state == vbMinimized) s |= Qt::WindowMinimized;
  if (state == vbMaximized) s |= Qt::WindowMaximized;
  w->setWindowState(s);
}

namespace {
QRect outerRect(QWidget* w) { return static_cast<FormWidget*>(w)->outer(); }
}  // namespace

float Form::Left() const { return static_cast<float>(outerRect(Widget()).x() * Screen::TwipsPerPixelX()); }
float Form::Top() const { return static_cast<float>(outerRect(Widget()).y() * Screen::TwipsPerPixelY()); }
float Form::Width() const { return static_cast<float>(outerRect(Widget()).width() * Screen::TwipsPerPixelX()); }
float Form::Height() const { return static_cast<float>(outerRect(Widget()).height() * Screen::TwipsPerPixelY()); }
void Form::Left(float v) { Move(v); }
void Form::Top(float v) { Move(Left(), v); }
void Form::Width(float v) { Move(Left(), Top(), v); }
void Form::Height(float v) { Move(Left(), Top(), Width(), v); }

void Form::Move(float left, std::optional<float> top, std::optional<float> width,
                std::optional<float> height) {
  QWidget* w = Widget();
  const double tx = Screen::TwipsPerPixelX(), ty = Screen::TwipsPerPixelY();
  const QRect frame = outerRect(w);
  const QSize inner = static_cast<FormWidget*>(w)->innerSize();
  const int extraW = frame.width() - inner.width(), extraH = frame.height() - inner.height();
  const QPoint at(px(left / tx), top ? px(*top / ty) : frame.y());
  if (at != frame.topLeft()) placed_ = true;
  auto* form = static_cast<FormWidget*>(w);
  std::optional<QSize> size;
  if (width || height) {
    form->keepSmallest(borderStyle_ == vbSizable);
    const int fw = width ? px(*width / tx) : frame.width();
    const int fh = height ? px(*height / ty) : frame.height();
    size = QSize(std::max(0, fw - extraW), std::max(0, fh - extraH));
  }
  w->move(at);
  form->intend(at);
  if (size && w->isVisible() && win::x11::Available()) {
    form->resizeLater(*size);
  } else if (size) {
    w->resize(*size);
    form->layoutClient();
  }
}

int32_t Form::hWnd() {
  QWidget* w = Widget();
  uint32_t style = win::WS_CLIPSIBLINGS | win::WS_CLIPCHILDREN;
  if (borderStyle_ != vbBSNone) {
    style |= win::WS_CAPTION;
    if (controlBox_) style |= win::WS_SYSMENU;
    if (borderStyle_ == vbSizable || borderStyle_ == 5) style |= win::WS_THICKFRAME;
    if (minButton_) style |= win::WS_MINIMIZEBOX;
    if (maxButton_) style |= win::WS_MAXIMIZEBOX;
  } else {
    style |= win::WS_POPUP;
  }
  return static_cast<int32_t>(win::RegisterWindow(w, style, 0));
}

namespace {
// Swallows the input meant for one window and everything in it.
class InputBlocker : public QObject {
 public:
  InputBlocker(QWidget* window) : QObject(window), window_(window) { qApp->installEventFilter(this); }
  bool eventFilter(QObject* obj, QEvent* ev) override {
    switch (ev->type()) {
      case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove: case QEvent::KeyPress: case QEvent::KeyRelease: case QEvent::Wheel:
      case QEvent::Shortcut: case QEvent::DragEnter: case QEvent::DragMove: case QEvent::Drop: {
        auto* w = qobject_cast<QWidget*>(obj);
        return w && w->window() == window_;
      }
      case QEvent::Close:
        return obj == window_;
      default: return false;
    }
  }

 private:
  QWidget* window_;
};
}  // namespace

void Form::Enabled(bool e) {
  if (e == Enabled() || !Widget()) return;
  if (e) {
    delete blocker_;
    blocker_ = nullptr;
  } else {
    blocker_ = new InputBlocker(Widget());
  }
}

void Form::Icon(const StdPicture& icon) {
  icon_ = icon;
  if (Widget()) Widget()->setWindowIcon(icon ? QIcon(QPixmap::fromImage(ImageOf(icon))) : QIcon());
}

void Form::BackColor(int32_t c) {
  Control::BackColor(c);
  Cls();
}

// The colours and font are the client area's: the menu bar keeps the desktop's.
void Form::applyColors() {
  if (!client_) return;
  QPalette pal = client_->palette();
  pal.setColor(QPalette::Window, ColorOf(BackColor()));
  pal.setColor(QPalette::WindowText, ColorOf(ForeColor()));
  client_->setPalette(pal);
  client_->update();
  applyBackground();
}

void Form::applyBackground() {
  QWidget* w = Widget();
  if (!w || !w->isWindow() || !w->testAttribute(Qt::WA_WState_Created)) return;
  const QColor c = ColorOf(BackColor());
  win::x11::SetBackground(w->winId(), c.red() | c.green() << 8 | c.blue() << 16);
}

void Form::applyFont() {
  if (client_) client_->setFont(FontOf(Font()));
}

void Form::PopupMenu(Menu& menu, int, std::optional<float> x, std::optional<float> y) {
  QMenu* m = menu.Popup();
  if (!m) return;
  win::POINT cursor;
  win::GetCursorPos(cursor);  // the pointer seam
  QPoint at(cursor.x, cursor.y);
  if (x && y) at = client_->mapToGlobal(QPoint(px((*x - ScaleLeft()) / UnitsPerPixelX()),
                                              px((*y - ScaleTop()) / UnitsPerPixelY())));
  m->exec(at);
}

}  // namespace vb
