#include <QLabel>

#include "runtime/controls.h"
#include "runtime/propbag.h"
#include "runtime/qt.h"

namespace vb {
namespace {
// "&x" marks a mnemonic and is not drawn; "&&" is one "&". CR LF breaks the line.
QString shown(const std::string& caption) {
  const QString c = QString::fromStdString(caption).replace("\r\n", "\n");
  QString out;
  for (qsizetype i = 0; i < c.size(); ++i) {
    if (c[i] == '&' && i + 1 < c.size()) ++i;
    else if (c[i] == '&') continue;
    out += c[i];
  }
  return out;
}
QLabel* label(QWidget* w) { return static_cast<QLabel*>(w); }
}  // namespace

Label::Label(QWidget* parent) : Control(new QLabel(parent)) {
  auto* l = label(Widget());
  l->setTextFormat(Qt::PlainText);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  l->setWordWrap(true);
  l->setAutoFillBackground(true);
  applyColors();
}

void Label::Caption(const std::string& c) {
  caption_ = c;
  if (Widget()) label(Widget())->setText(shown(c));
  fit();
}

void Label::Alignment(int a) {
  alignment_ = a;
  if (!Widget()) return;
  const Qt::Alignment h = a == vbRightJustify ? Qt::AlignRight : a == vbCenter ? Qt::AlignHCenter : Qt::AlignLeft;
  label(Widget())->setAlignment(h | Qt::AlignTop);
}

void Label::BackStyle(int s) {
  backStyle_ = s;
  if (Widget()) Widget()->setAutoFillBackground(s == vbOpaque);
  applyColors();
}

void Label::BorderStyle(int s) {
  borderStyle_ = s;
  if (Widget()) label(Widget())->setFrameStyle(s ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
  fit();
}

void Label::AutoSize(bool a) {
  autoSize_ = a;
  fit();
}

void Label::WordWrap(bool w) {
  wordWrap_ = w;
  fit();
}

// AutoSize: one line grows across; with WordWrap the width stays and the height grows.
void Label::fit() {
  QWidget* w = Widget();
  if (!w || !autoSize_) return;
  auto* l = label(w);
  const QFontMetrics fm(l->font());
  const int frame = 2 * l->frameWidth();
  if (wordWrap_) {
    const QRect r = fm.boundingRect(QRect(0, 0, std::max(1, w->width() - frame), 100000),
                                    Qt::TextWordWrap, l->text());
    w->resize(w->width(), r.height() + frame);
  } else {
    const QRect r = fm.boundingRect(QRect(0, 0, 100000, 100000), 0, l->text());
    w->resize(r.width() + frame, r.height() + frame);
  }
}

void Label::applyFont() {
  Control::applyFont();
  fit();
}

void Label::ResetDesign(const PropertyBag& bag) {
  caption_.clear();
  Control::ResetDesign(bag);
}

void Label::ReadDesign(const PropertyBag& bag) {
  Control::ReadDesign(bag);
  Alignment(bag.ReadProperty("Alignment", alignment_));
  BackStyle(bag.ReadProperty("BackStyle", backStyle_));
  BorderStyle(bag.ReadProperty("BorderStyle", borderStyle_));
  wordWrap_ = bag.ReadProperty("WordWrap", wordWrap_);
  autoSize_ = bag.ReadProperty("AutoSize", autoSize_);
  Caption(bag.ReadProperty("Caption", caption_));
}

}  // namespace vb
