#include "runtime/Host.h"

#include <QWidget>

#include "runtime/Container.h"
#include "runtime/Form.h"
#include "runtime/controls.h"
#include "runtime/design.h"
#include "runtime/propbag.h"
#include "runtime/strings.h"

namespace vb {

struct Host::Record {
  std::unique_ptr<Control> control;
  std::string type;
  PropertyBag design;
  Container* container = nullptr;
  bool byCode = false;  // an element made by LoadElement
};

namespace {
bool sameName(const std::string& a, const std::string& b) { return LCase(a) == LCase(b); }
}  // namespace

Host::Host() = default;
Host::~Host() { DestroyControls(); }

void Host::DestroyControls() {
  // Later controls first: what sits in a container goes before the container.
  while (!records_.empty()) records_.pop_back();
}

Control& Host::Create(const std::string& typeName, const std::string& name, int index,
                      Container& container, const PropertyBag& design) {
  const ControlFactory* factory = FindControlType(typeName);
  if (!factory) throw Error(vbErrInvalidProperty, "Unknown control type '" + typeName + "'");
  if (Has(name, index))
    throw Error(360, "Control '" + name + "' (" + std::to_string(index) + ") already exists");
  ControlSite site{*this, container, container.ClientWidget(), typeName, name, index, design};
  std::unique_ptr<Control> c = (*factory)(site);
  if (!c) throw Error(vbErrInvalidProperty, "Control type '" + typeName + "' made nothing");
  c->name_ = name;
  c->index_ = index;
  c->form_ = OwnerForm();
  c->container_ = &container;
  auto rec = std::make_unique<Record>();
  rec->type = typeName;
  rec->design = design;
  rec->container = &container;
  Control& ref = *c;
  rec->control = std::move(c);
  // Keep an array's elements in Index order among themselves.
  auto pos = records_.end();
  if (index >= 0) {
    for (auto it = records_.begin(); it != records_.end(); ++it)
      if (sameName((*it)->control->Name(), name) && (*it)->control->Index() > index) {
        pos = it;
        break;
      }
  }
  records_.insert(pos, std::move(rec));
  if (ref.Widget()) ref.Widget()->show();
  ref.ReadDesign(design);
  return ref;
}

void Host::ResetToDesign() {
  for (size_t i = records_.size(); i-- > 0;)
    if (records_[i]->byCode) records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(i));
  for (const auto& r : records_) r->control->ResetDesign(r->design);
}

Control& Host::find(const std::string& name, int index) const {
  for (const auto& r : records_)
    if (sameName(r->control->Name(), name) && r->control->Index() == index) return *r->control;
  throw Error(vbErrNoSuchControl, "No control '" + name + (index >= 0 ? "(" + std::to_string(index) + ")" : "") + "'");
}

bool Host::Has(const std::string& name, int index) const {
  for (const auto& r : records_)
    if (sameName(r->control->Name(), name) && r->control->Index() == index) return true;
  return false;
}

std::vector<Control*> Host::elements(const std::string& name) const {
  std::vector<Control*> out;
  for (const auto& r : records_)
    if (sameName(r->control->Name(), name) && r->control->Index() >= 0) out.push_back(r->control.get());
  std::stable_sort(out.begin(), out.end(), [](Control* a, Control* b) { return a->Index() < b->Index(); });
  if (out.empty()) throw Error(vbErrNoSuchControl, "No control array '" + name + "'");
  return out;
}

std::vector<Control*> Host::Controls() const {
  std::vector<Control*> out;
  for (const auto& r : records_) out.push_back(r->control.get());
  return out;
}

Control& Host::LoadElement(const std::string& name, int index) {
  const Record* first = nullptr;
  for (const auto& r : records_)
    if (sameName(r->control->Name(), name) && r->control->Index() >= 0 &&
        (!first || r->control->Index() < first->control->Index()))
      first = r.get();
  if (!first) throw Error(vbErrNoSuchControl, "No control array '" + name + "'");
  PropertyBag design = first->design;
  Control& c = Create(first->type, first->control->Name(), index, *first->container, design);
  c.Visible(false);
  for (auto& r : records_)
    if (r->control.get() == &c) r->byCode = true;
  return c;
}

void Host::UnloadElement(const std::string& name, int index) {
  for (auto it = records_.begin(); it != records_.end(); ++it)
    if (sameName((*it)->control->Name(), name) && (*it)->control->Index() == index) {
      if (!(*it)->byCode) throw Error(362, "Can't unload controls created at design time");
      records_.erase(it);
      return;
    }
  throw Error(340, "Control array element does not exist");
}

}  // namespace vb
