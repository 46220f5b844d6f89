#include <QAction>
#include <QMenu>

#include "runtime/controls.h"
#include "runtime/propbag.h"

namespace vb {

struct Menu::Impl {
  std::unique_ptr<QMenu> menu;  // made when the first item is added
  QAction action;
};

Menu::Menu() : Control(nullptr), impl_(std::make_unique<Impl>()) {
  // The runtime ticks and unticks only through Checked; a click leaves the tick as it was.
  QObject::connect(&impl_->action, &QAction::triggered, [this] {
    impl_->action.setChecked(checked_);
    if (Click) Click();
  });
}

Menu::~Menu() {
  if (parent_) {
    auto& sib = parent_->items_;
    sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
  }
  for (Menu* m : items_) m->parent_ = nullptr;
}

QAction* Menu::Action() const { return &impl_->action; }
QMenu* Menu::Popup() const { return impl_->menu.get(); }

void Menu::AddItem(Menu* item) {
  if (!impl_->menu) {
    impl_->menu = std::make_unique<QMenu>();
    impl_->action.setMenu(impl_->menu.get());
  }
  item->parent_ = this;
  items_.push_back(item);
  impl_->menu->addAction(&item->impl_->action);
}

void Menu::Caption(const std::string& c) {
  caption_ = c;
  // A separator is a plain line; styles that draw a separator's text would show the "-".
  const bool separator = c == "-";
  impl_->action.setSeparator(separator);
  impl_->action.setText(separator ? QString() : QString::fromStdString(c));
  if (impl_->menu) impl_->menu->setTitle(QString::fromStdString(c));
}

// An entry without its tick shows nothing in the tick column, as an entry never ticked.
void Menu::Checked(bool c) {
  checked_ = c;
  impl_->action.setCheckable(c);
  impl_->action.setChecked(c);
}

void Menu::Enabled(bool e) {
  menuEnabled_ = e;
  impl_->action.setEnabled(e);
}

void Menu::Visible(bool v) {
  menuVisible_ = v;
  impl_->action.setVisible(v);
  if (OnVisibility) OnVisibility();
}

void Menu::ResetDesign(const PropertyBag& bag) {
  Tag("");
  caption_.clear();
  checked_ = false;
  menuEnabled_ = menuVisible_ = true;
  ReadDesign(bag);
}

void Menu::ReadDesign(const PropertyBag& bag) {
  Tag(bag.ReadProperty("Tag", Tag()));
  Caption(bag.ReadProperty("Caption", caption_));
  Checked(bag.ReadProperty("Checked", checked_));
  Enabled(bag.ReadProperty("Enabled", menuEnabled_));
  Visible(bag.ReadProperty("Visible", menuVisible_));
}

}  // namespace vb
