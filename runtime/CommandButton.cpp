#include "runtime/CommandButton.h"

#include <QPushButton>

#include "runtime/propbag.h"

namespace vb {

CommandButton::CommandButton(QWidget* parent) : Control(new QPushButton(parent)) {
  Widget()->setFocusPolicy(Qt::NoFocus);  // clicked by the mouse only: Click comes from there
}

void CommandButton::Caption(const std::string& c) {
  caption_ = c;
  if (Widget()) static_cast<QPushButton*>(Widget())->setText(QString::fromStdString(c));
}

void CommandButton::ReadDesign(const PropertyBag& bag) {
  Control::ReadDesign(bag);
  Caption(bag.ReadProperty("Caption", ""));
}

}  // namespace vb
