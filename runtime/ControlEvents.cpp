// Qt's events of a control's widget, delivered to the control's event members.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QUrl>

#include "platform/qtext.h"
#include "runtime/Container.h"
#include "runtime/Form.h"
#include "runtime/qt.h"
#include "runtime/screen.h"

namespace vb {

int ButtonOf(Qt::MouseButtons b) {
  int r = 0;
  if (b & Qt::LeftButton) r |= vbLeftButton;
  if (b & Qt::RightButton) r |= vbRightButton;
  if (b & Qt::MiddleButton) r |= vbMiddleButton;
  return r;
}

int ShiftOf(Qt::KeyboardModifiers m) {
  int r = 0;
  if (m & Qt::ShiftModifier) r |= vbShiftMask;
  if (m & Qt::ControlModifier) r |= vbCtrlMask;
  if (m & Qt::AltModifier) r |= vbAltMask;
  return r;
}

int KeyCodeOf(int k) {
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return k;  // same codes
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return k;
  if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return vbKeyF1 + (k - Qt::Key_F1);
  switch (k) {
    case Qt::Key_Backspace: return vbKeyBack;
    case Qt::Key_Tab: case Qt::Key_Backtab: return vbKeyTab;
    case Qt::Key_Return: case Qt::Key_Enter: return vbKeyReturn;
    case Qt::Key_Shift: return vbKeyShift;
    case Qt::Key_Control: return vbKeyControl;
    case Qt::Key_Alt: return vbKeyMenu;
    case Qt::Key_Escape: return vbKeyEscape;
    case Qt::Key_Space: return vbKeySpace;
    case Qt::Key_PageUp: return vbKeyPageUp;
    case Qt::Key_PageDown: return vbKeyPageDown;
    case Qt::Key_End: return vbKeyEnd;
    case Qt::Key_Home: return vbKeyHome;
    case Qt::Key_Left: return vbKeyLeft;
    case Qt::Key_Up: return vbKeyUp;
    case Qt::Key_Right: return vbKeyRight;
    case Qt::Key_Down: return vbKeyDown;
    case Qt::Key_Insert: return vbKeyInsert;
    case Qt::Key_Delete: return vbKeyDelete;
    case Qt::Key_Asterisk: return vbKeyMultiply;
    // The main keyboard's "=+" and "-_" keys; the keypad's plus and minus are mapped apart.
    case Qt::Key_Plus: return 187;
    case Qt::Key_Minus: case Qt::Key_Underscore: return 189;
    case Qt::Key_Slash: return vbKeyDivide;
    case Qt::Key_Period: return 190;
    case Qt::Key_Comma: return 188;
    case Qt::Key_Equal: return 187;
    default: return 0;
  }
}

namespace {

int keyCode(const QKeyEvent* e) {
  const int k = e->key();
  if (e->modifiers() & Qt::KeypadModifier) {
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return vbKeyNumpad0 + (k - Qt::Key_0);
    if (k == Qt::Key_Period || k == Qt::Key_Comma) return vbKeyDecimal;
    if (k == Qt::Key_Minus) return vbKeySubtract;
    if (k == Qt::Key_Plus) return vbKeyAdd;
  }
  return KeyCodeOf(k);
}

DataObject dataOf(const QMimeData* m) {
  std::vector<std::string> files;
  std::optional<std::string> text;
  if (m) {
    for (const QUrl& u : m->urls())
      if (u.isLocalFile()) files.push_back(win::LocalFileOf(u));
    // Only a text that was dropped as text: file lists offer none, as the system's do.
    for (const QString& f : m->formats())
      if (f.startsWith("text/plain")) {
        text = win::StdStr(m->text());
        break;
      }
  }
  return DataObject(std::move(files), std::move(text));
}

// The control a point of the screen lies over (for drags of a control).
Control* controlAt(const QPoint& global) {
  return ControlOf(QApplication::widgetAt(global));
}

class ControlEvents : public QObject {
 public:
  ControlEvents(Control& c, QWidget* w) : QObject(w), c_(c), w_(w) {
    w->setMouseTracking(true);
  }

  bool eventFilter(QObject* obj, QEvent* ev) override {
    if (obj != w_) return false;
    switch (ev->type()) {
      case QEvent::MouseButtonPress: return mousePress(static_cast<QMouseEvent*>(ev));
      case QEvent::MouseMove: return mouseMove(static_cast<QMouseEvent*>(ev));
      case QEvent::MouseButtonRelease: return mouseRelease(static_cast<QMouseEvent*>(ev));
      case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(ev);
        pressed_ = me->button();
        if (c_.DblClick) c_.DblClick();
        return handled(c_.DblClick);
      }
      case QEvent::KeyPress: return keyPress(static_cast<QKeyEvent*>(ev));
      case QEvent::KeyRelease: return keyRelease(static_cast<QKeyEvent*>(ev));
      case QEvent::FocusIn: {
        const auto r = static_cast<QFocusEvent*>(ev)->reason();
        if (r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason && c_.GotFocus) c_.GotFocus();
        return false;
      }
      case QEvent::FocusOut: {
        const auto r = static_cast<QFocusEvent*>(ev)->reason();
        if (r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason && c_.LostFocus) c_.LostFocus();
        return false;
      }
      case QEvent::DragEnter: case QEvent::DragMove: return dragOver(static_cast<QDropEvent*>(ev));
      case QEvent::DragLeave: {
        if (c_.OLEDropMode() == vbOLEDropManual && c_.OLEDragOver) {
          DataObject d;
          int effect = vbDropEffectNone;
          c_.OLEDragOver(d, effect, 0, 0, 0, 0, vbLeave);
        }
        return false;
      }
      case QEvent::Drop: return drop(static_cast<QDropEvent*>(ev));
      case QEvent::Resize:
        // A surface resizes with its inner area.
        if (auto* k = dynamic_cast<Container*>(&c_); k && k->ClientWidget() == w_) {
          k->ClientResized();
          if (c_.Resize) c_.Resize();
        }
        return false;
      default: return false;
    }
  }

 private:
  template <class F>
  static bool handled(const F&) { return false; }

  QPointF units(const QPointF& p) const { return EventUnits(c_, p); }

  bool mousePress(QMouseEvent* e) {
    pressed_ = e->button();
    const QPointF u = units(e->position());
    if (c_.MouseDown) c_.MouseDown(ButtonOf(e->button()), ShiftOf(e->modifiers()),
                                   static_cast<float>(u.x()), static_cast<float>(u.y()));
    if (c_.DragMode() == vbAutomatic && e->button() == Qt::LeftButton) {
      dragging_ = true;
      dragTarget_ = nullptr;
      w_->grabMouse();
      dragTo(e->globalPosition().toPoint(), false);
      return true;
    }
    return false;
  }

  bool mouseMove(QMouseEvent* e) {
    if (dragging_) {
      dragTo(e->globalPosition().toPoint(), false);
      return true;
    }
    const QPointF u = units(e->position());
    if (c_.MouseMove) c_.MouseMove(ButtonOf(e->buttons()), ShiftOf(e->modifiers()),
                                   static_cast<float>(u.x()), static_cast<float>(u.y()));
    return false;
  }

  bool mouseRelease(QMouseEvent* e) {
    QPointer<QObject> alive(this);
    if (dragging_) {
      dragging_ = false;
      w_->releaseMouse();
      dragTo(e->globalPosition().toPoint(), true);
      return true;
    }
    const QPointF u = units(e->position());
    if (c_.MouseUp) c_.MouseUp(ButtonOf(e->button()), ShiftOf(e->modifiers()),
                               static_cast<float>(u.x()), static_cast<float>(u.y()));
    if (!alive) return true;
    const bool inside = w_->rect().contains(e->position().toPoint());
    if (pressed_ == e->button() && inside && c_.Click) {
      pressed_ = Qt::NoButton;
      c_.Click();
    }
    return false;
  }

  // Where a drag is over a control: in a surface's own scale; over any other control in
  // twips from its corner.
  static QPointF dragUnits(const Control& target, const QPoint& global) {
    const QPointF p = target.Widget()->mapFromGlobal(QPointF(global));
    if (dynamic_cast<const Container*>(&target)) return EventUnits(target, p);
    return {p.x() * Screen::TwipsPerPixelX(), p.y() * Screen::TwipsPerPixelY()};
  }

  // A drag of the control (automatic drag mode): DragOver for the control under the pointer,
  // with enter and leave as it changes; DragDrop where it ends.
  void dragTo(const QPoint& global, bool dropped) {
    Control* target = controlAt(global);
    if (target != dragTarget_ && dragTarget_ && dragTarget_->DragOver && dragTarget_->Widget()) {
      const QPointF p = dragUnits(*dragTarget_, global);
      dragTarget_->DragOver(c_, static_cast<float>(p.x()), static_cast<float>(p.y()), vbLeave);
    }
    if (target && target->Widget()) {
      const QPointF p = dragUnits(*target, global);
      const float x = static_cast<float>(p.x()), y = static_cast<float>(p.y());
      if (dropped) {
        if (target->DragDrop) target->DragDrop(c_, x, y, vbOver);
      } else if (target->DragOver) {
        target->DragOver(c_, x, y, target == dragTarget_ ? vbOver : vbEnter);
      }
    }
    dragTarget_ = dropped ? nullptr : target;
  }

  // Keys: the form sees them first when it previews keys; KeyCode or KeyAscii set to 0
  // swallows the key.
  bool keyPress(QKeyEvent* e) {
    if (retyping_) return false;  // the character a handler chose goes to the widget as it is
    if (movesFocus(e)) return false;
    Form* f = c_.Parent();
    if (auto* self = dynamic_cast<Form*>(&c_)) {
      Control* focus = ControlOf(QApplication::focusWidget());
      if (focus && focus != self) return false;  // the control with the focus had it
      f = nullptr;
    }
    int code = keyCode(e);
    const int shift = ShiftOf(e->modifiers());
    if (f && f->KeyPreview() && f->KeyDown && code) {
      f->KeyDown(code, shift);
      if (code == 0) return true;
    }
    if (c_.KeyDown && code) {
      c_.KeyDown(code, shift);
      if (code == 0) return true;
    }
    const QString text = e->text();
    if (text.isEmpty() || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
    const uint ch = text.toUcs4().value(0);
    if (ch == 0 || ch == 0x7f) return false;
    int ascii = static_cast<int>(ch);
    const int before = ascii;
    if (f && f->KeyPreview() && f->KeyPress) {
      f->KeyPress(ascii);
      if (ascii == 0) return true;
    }
    if (c_.KeyPress) c_.KeyPress(ascii);
    if (ascii == 0) return true;
    if (ascii != before) {
      // The handler typed another character: deliver that one instead.
      const QString t = QString::fromUcs4(reinterpret_cast<const char32_t*>(&ascii), 1);
      QKeyEvent other(QEvent::KeyPress, ascii < 32 ? e->key() : 0, e->modifiers(), t);
      retyping_ = true;
      QApplication::sendEvent(w_, &other);
      retyping_ = false;
      return true;
    }
    return false;
  }

  // Tab and Shift+Tab move the focus to the next or previous control; no key event hears them.
  static bool movesFocus(const QKeyEvent* e) {
    return (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) &&
           !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  }

  bool keyRelease(QKeyEvent* e) {
    if (e->isAutoRepeat() || movesFocus(e)) return false;
    Form* f = c_.Parent();
    if (dynamic_cast<Form*>(&c_)) {
      Control* focus = ControlOf(QApplication::focusWidget());
      if (focus && focus != &c_) return false;
      f = nullptr;
    }
    int code = keyCode(e);
    const int shift = ShiftOf(e->modifiers());
    if (f && f->KeyPreview() && f->KeyUp && code) {
      f->KeyUp(code, shift);
      if (code == 0) return true;
    }
    if (c_.KeyUp && code) c_.KeyUp(code, shift);
    return code == 0;
  }

  bool dragOver(QDropEvent* e) {
    if (c_.OLEDropMode() != vbOLEDropManual) return false;
    int effect = vbDropEffectCopy;
    if (c_.OLEDragOver) {
      DataObject d = dataOf(e->mimeData());
      const QPointF u = units(e->position());
      c_.OLEDragOver(d, effect, ButtonOf(e->buttons()), ShiftOf(e->modifiers()),
                     static_cast<float>(u.x()), static_cast<float>(u.y()),
                     e->type() == QEvent::DragEnter ? vbEnter : vbOver);
    }
    if (effect == vbDropEffectNone) e->ignore();
    else {
      e->setDropAction(effect & vbDropEffectMove ? Qt::MoveAction : Qt::CopyAction);
      e->accept();
    }
    return true;
  }

  bool drop(QDropEvent* e) {
    if (c_.OLEDropMode() != vbOLEDropManual) return false;
    int effect = vbDropEffectCopy;
    DataObject d = dataOf(e->mimeData());
    const QPointF u = units(e->position());
    e->setDropAction(Qt::CopyAction);
    e->accept();
    if (c_.OLEDragDrop)
      c_.OLEDragDrop(d, effect, ButtonOf(e->buttons()), ShiftOf(e->modifiers()),
                     static_cast<float>(u.x()), static_cast<float>(u.y()));
    return true;
  }

  Control& c_;
  QWidget* w_;
  Qt::MouseButton pressed_ = Qt::NoButton;
  bool dragging_ = false;
  bool retyping_ = false;
  Control* dragTarget_ = nullptr;
};

}  // namespace

void InstallEvents(Control& control, QWidget* w) {
  // The mouse over a control is that control's alone: its container hears nothing of it.
  w->setAttribute(Qt::WA_NoMousePropagation);
  w->installEventFilter(new ControlEvents(control, w));
}

QPointF EventUnits(const Control& c, const QPointF& p) {
  // Surfaces with a scale of their own measure in it; others in their container's units,
  // from their own corner.
  if (auto* k = dynamic_cast<const Container*>(&c))
    return {p.x() * k->UnitsPerPixelX() + k->ScaleLeft(), p.y() * k->UnitsPerPixelY() + k->ScaleTop()};
  if (Container* k = c.ContainerOf()) return {p.x() * k->UnitsPerPixelX(), p.y() * k->UnitsPerPixelY()};
  return p;
}

}  // namespace vb
