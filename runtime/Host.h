// What owns controls and finds them by name: forms, and user controls for their parts.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "runtime/Control.h"
#include "runtime/error.h"

namespace vb {

// The elements of a control array, by Index.
template <class T>
class ControlArray {
 public:
  ControlArray() = default;
  explicit ControlArray(std::vector<T*> items) : items_(std::move(items)) {}
  // The element with that Index; Error 340 when there is none.
  T& operator()(int index) const {
    for (T* c : items_)
      if (c->Index() == index) return *c;
    throw Error(340, "Control array element does not exist");
  }
  bool Exists(int index) const {
    for (T* c : items_)
      if (c->Index() == index) return true;
    return false;
  }
  int LBound() const { return items_.empty() ? 0 : items_.front()->Index(); }
  int UBound() const { return items_.empty() ? -1 : items_.back()->Index(); }
  int Count() const { return static_cast<int>(items_.size()); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<T*> items_;  // in Index order
};

class Host {
 public:
  virtual ~Host();

  // The control of that name (and Index, for an element of a control array). Error 730
  // when there is none or it is of another type.
  template <class T = Control>
  T& Ctl(const std::string& name, int index = -1) const {
    T* c = dynamic_cast<T*>(&find(name, index));
    if (!c) throw Error(vbErrNoSuchControl, "Control '" + name + "' is of another type");
    return *c;
  }
  // Every element of a control array, in Index order.
  template <class T = Control>
  ControlArray<T> Arr(const std::string& name) const {
    std::vector<T*> out;
    for (Control* c : elements(name)) {
      T* t = dynamic_cast<T*>(c);
      if (!t) throw Error(vbErrNoSuchControl, "Control '" + name + "' is of another type");
      out.push_back(t);
    }
    return ControlArray<T>(std::move(out));
  }
  bool Has(const std::string& name, int index = -1) const;
  // Every control, in the order of the design text.
  std::vector<Control*> Controls() const;

  // Makes a new element of a control array, a copy of the element with the lowest Index
  // (hidden, as the runtime loads it); Error 360 when that Index is taken.
  Control& LoadElement(const std::string& name, int index);
  // Removes an element made by LoadElement.
  void UnloadElement(const std::string& name, int index);

  // Reads a design text (runtime/design.h) and makes its controls. `source` is a file or a
  // Qt resource (":/forms/frmMain.txt"). Raises Error 53 for a missing one.
  void LoadDesignFile(const std::string& source);
  void LoadDesignText(const std::string& text, const std::string& baseDir = "");

  // --- For the forms layer ---
  // Makes a control of a type (built in or registered) from its design settings, owned by
  // this host and placed in `container`.
  Control& Create(const std::string& typeName, const std::string& name, int index,
                  Container& container, const PropertyBag& design);
  virtual Form* OwnerForm() = 0;
  virtual Container* TopContainer() = 0;

 protected:
  Host();
  // Applies the top block's own settings (the form's or user control's).
  virtual void ReadOwnDesign(const PropertyBag& bag) = 0;
  void DestroyControls();
  // A window loaded again after an unload starts as designed: the elements made at run time
  // go, and every control takes its design settings again.
  void ResetToDesign();

 private:
  Control& find(const std::string& name, int index) const;
  std::vector<Control*> elements(const std::string& name) const;
  struct Record;
  std::vector<std::unique_ptr<Record>> records_;
};

}  // namespace vb
