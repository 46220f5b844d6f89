#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include "platform/window_qt.h"
#include "runtime/controls.h"
#include "runtime/propbag.h"
#include "runtime/qt.h"
#include "runtime/strings.h"

namespace vb {
namespace {
QWidget* makeField(QWidget* parent, bool multiLine) {
  if (multiLine) {
    auto* e = new QPlainTextEdit(parent);
    e->setTabChangesFocus(true);
    return e;
  }
  return new QLineEdit(parent);
}
QLineEdit* line(QWidget* w) { return qobject_cast<QLineEdit*>(w); }
QPlainTextEdit* area(QWidget* w) { return qobject_cast<QPlainTextEdit*>(w); }
}  // namespace

TextBox::TextBox(QWidget* parent, bool multiLine) : Control(nullptr), multiLine_(multiLine) {
  attachWidget(makeField(parent, multiLine));
  BackColor(vbWindowBackground);
  ForeColor(vbWindowText);
  auto changed = [this] {
    if (Change) Change();
  };
  if (auto* l = line(Widget())) QObject::connect(l, &QLineEdit::textChanged, l, changed);
  if (auto* a = area(Widget())) QObject::connect(a, &QPlainTextEdit::textChanged, a, changed);
}

// A text area keeps its lines ended by CR LF, as the runtime's does.
std::string TextBox::Text() const {
  if (auto* l = line(Widget())) return l->text().toStdString();
  if (auto* a = area(Widget())) return Replace(a->toPlainText().toStdString(), "\n", "\r\n");
  return "";
}

void TextBox::Text(const std::string& t) {
  if (auto* l = line(Widget())) {
    if (l->text().toStdString() != t) l->setText(QString::fromStdString(t));
  } else if (auto* a = area(Widget())) {
    a->setPlainText(QString::fromStdString(Replace(t, "\r\n", "\n")));
  }
}

int TextBox::SelStart() const {
  if (auto* l = line(Widget())) return l->hasSelectedText() ? l->selectionStart() : l->cursorPosition();
  if (auto* a = area(Widget())) return a->textCursor().selectionStart();
  return 0;
}

void TextBox::SelStart(int s) {
  if (auto* l = line(Widget())) l->setCursorPosition(std::clamp(s, 0, static_cast<int>(l->text().size())));
  if (auto* a = area(Widget())) {
    QTextCursor c = a->textCursor();
    c.setPosition(std::clamp(s, 0, static_cast<int>(a->document()->characterCount() - 1)));
    a->setTextCursor(c);
  }
}

int TextBox::SelLength() const {
  if (auto* l = line(Widget())) return static_cast<int>(l->selectedText().size());
  if (auto* a = area(Widget())) return a->textCursor().selectionEnd() - a->textCursor().selectionStart();
  return 0;
}

void TextBox::SelLength(int n) {
  const int start = SelStart();
  if (auto* l = line(Widget())) {
    const int len = static_cast<int>(l->text().size());
    l->setSelection(start, std::clamp(n, 0, len - start));
  }
  if (auto* a = area(Widget())) {
    QTextCursor c = a->textCursor();
    c.setPosition(start);
    c.setPosition(std::clamp(start + n, start, static_cast<int>(a->document()->characterCount() - 1)),
                  QTextCursor::KeepAnchor);
    a->setTextCursor(c);
  }
}

std::string TextBox::SelText() const {
  if (auto* l = line(Widget())) return l->selectedText().toStdString();
  if (auto* a = area(Widget())) return a->textCursor().selectedText().toStdString();
  return "";
}

void TextBox::SelText(const std::string& t) {
  if (auto* l = line(Widget())) l->insert(QString::fromStdString(t));
  if (auto* a = area(Widget())) a->insertPlainText(QString::fromStdString(Replace(t, "\r\n", "\n")));
}

void TextBox::MaxLength(int n) {
  maxLength_ = n;
  if (auto* l = line(Widget())) l->setMaxLength(n > 0 ? n : 32767);
}

void TextBox::Locked(bool v) {
  locked_ = v;
  if (auto* l = line(Widget())) l->setReadOnly(v);
  if (auto* a = area(Widget())) a->setReadOnly(v);
}

void TextBox::Alignment(int a) {
  alignment_ = a;
  const Qt::Alignment h = a == vbRightJustify ? Qt::AlignRight : a == vbCenter ? Qt::AlignHCenter : Qt::AlignLeft;
  if (auto* l = line(Widget())) l->setAlignment(h | Qt::AlignVCenter);
}

int32_t TextBox::hWnd() {
  return static_cast<int32_t>(win::RegisterWindow(Widget(), win::WS_CHILD | win::WS_VISIBLE,
                                                  borderStyle_ ? uint32_t{win::WS_EX_CLIENTEDGE} : 0u));
}

void TextBox::BorderStyle(int s) {
  borderStyle_ = s;
  if (auto* l = line(Widget())) l->setFrame(s != 0);
  if (auto* a = area(Widget())) a->setFrameStyle(s ? QFrame::StyledPanel | QFrame::Sunken : QFrame::NoFrame);
}

void TextBox::ResetDesign(const PropertyBag& bag) {
  Text("");
  Control::ResetDesign(bag);
}

void TextBox::ReadDesign(const PropertyBag& bag) {
  Control::ReadDesign(bag);
  BorderStyle(bag.ReadProperty("BorderStyle", borderStyle_));
  MaxLength(bag.ReadProperty("MaxLength", maxLength_));
  Locked(bag.ReadProperty("Locked", locked_));
  Alignment(bag.ReadProperty("Alignment", alignment_));
  if (auto* a = area(Widget())) {
    const int bars = bag.ReadProperty("ScrollBars", int32_t{0});
    a->setHorizontalScrollBarPolicy(bars & 1 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    a->setVerticalScrollBarPolicy(bars & 2 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    a->setLineWrapMode(bars & 1 ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
  }
  if (bag.Contains("Text")) Text(bag.ReadProperty("Text", std::string()));
}

}  // namespace vb
