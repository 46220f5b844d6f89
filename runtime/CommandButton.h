// A push button with a caption; Click follows a click of the mouse on it.
#pragma once
#include <string>

#include "runtime/Control.h"

namespace vb {

class CommandButton : public Control {
 public:
  explicit CommandButton(QWidget* parent);
  std::string Caption() const { return caption_; }
  void Caption(const std::string& c);  // "&x" marks a mnemonic, "&&" is one "&"
  void ReadDesign(const PropertyBag& bag) override;

 private:
  std::string caption_;
};

}  // namespace vb
