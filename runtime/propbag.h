// Property bags: a control's stored settings by key. The design text of a window hands each
// control its settings in one (see runtime/design.h); user controls read and write theirs
// through one.
//
// Values are kept as the design text writes them (numbers, "texts", -1/0 or True/False,
// pictures as a file or resource name, fonts as a nested group). ReadProperty gives the
// default when the key is absent and raises Error 13 when the stored value does not read as
// the default's type. WriteProperty stores nothing when the value equals its default
// (and removes a value stored before).
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "runtime/picture.h"

namespace vb {

class PropertyBag {
 public:
  int32_t ReadProperty(const std::string& name, int32_t def) const;
  bool ReadProperty(const std::string& name, bool def) const;
  float ReadProperty(const std::string& name, float def) const;
  double ReadProperty(const std::string& name, double def) const;
  std::string ReadProperty(const std::string& name, const std::string& def) const;
  std::string ReadProperty(const std::string& name, const char* def) const;
  StdFont ReadProperty(const std::string& name, const StdFont& def) const;
  StdPicture ReadProperty(const std::string& name, const StdPicture& def) const;

  void WriteProperty(const std::string& name, int32_t value, int32_t def);
  void WriteProperty(const std::string& name, bool value, bool def);
  void WriteProperty(const std::string& name, float value, float def);
  void WriteProperty(const std::string& name, double value, double def);
  void WriteProperty(const std::string& name, const std::string& value, const std::string& def);
  void WriteProperty(const std::string& name, const char* value, const char* def);
  void WriteProperty(const std::string& name, const StdFont& value, const StdFont& def);
  void WriteProperty(const std::string& name, const StdPicture& value, const StdPicture& def);

  // Whether a key is stored (keys compare without regard to case).
  bool Contains(const std::string& name) const;
  // Keys in the order they were first stored.
  std::vector<std::string> Keys() const;

  // The raw stored text of a key ("" when absent), and storing one: what the design-text
  // reader does. A picture may also be stored as an object.
  std::string Raw(const std::string& name) const;
  void SetRaw(const std::string& name, const std::string& text);
  void SetPicture(const std::string& name, const StdPicture& picture);
  // A nested group (a font): its own bag.
  PropertyBag& Group(const std::string& name);
  const PropertyBag* FindGroup(const std::string& name) const;

  // Folder that relative picture names in this bag are read from ("" : as they are).
  std::string BaseDir;

 private:
  struct Entry {
    std::string key;
    std::string text;
    StdPicture picture;
    std::shared_ptr<PropertyBag> group;
  };
  const Entry* find(const std::string& name) const;
  Entry& slot(const std::string& name);
  void erase(const std::string& name);
  std::vector<Entry> entries_;
};

}  // namespace vb
