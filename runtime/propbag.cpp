#include "runtime/propbag.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <limits>

#include "runtime/error.h"
#include "runtime/numbers.h"
#include "runtime/strings.h"

namespace vb {
namespace {

bool sameKey(const std::string& a, const std::string& b) { return LCase(a) == LCase(b); }

[[noreturn]] void mismatch(const std::string& name) {
  throw Error(vbErrTypeMismatch, "Type mismatch reading '" + name + "'");
}

// A stored number: decimal, &H hex (with an optional trailing "&"), True/False.
double number(const std::string& name, const std::string& raw) {
  std::string t = Trim(raw);
  if (LCase(t) == "true") return -1;
  if (LCase(t) == "false") return 0;
  const bool isLong = !t.empty() && t.back() == '&';
  if (isLong) t.pop_back();
  if (!IsNumeric(t)) mismatch(name);
  const double v = Val(t);
  // "&H0000FF00&" is a Long: its top digit is no sign bit of an Integer.
  if (isLong && t[0] == '&' && v < 0 && v >= -32768) return v + 65536;
  return v;
}

std::string text(double x) { return CStr(x); }

}  // namespace

const PropertyBag::Entry* PropertyBag::find(const std::string& name) const {
  for (const auto& e : entries_)
    if (sameKey(e.key, name)) return &e;
  return nullptr;
}

PropertyBag::Entry& PropertyBag::slot(const std::string& name) {
  for (auto& e : entries_)
    if (sameKey(e.key, name)) return e;
  entries_.push_back({name, {}, {}, {}});
  return entries_.back();
}

void PropertyBag::erase(const std::string& name) {
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [&](const Entry& e) { return sameKey(e.key, name); }),
                 entries_.end());
}

bool PropertyBag::Contains(const std::string& name) const { return find(name) != nullptr; }

std::vector<std::string> PropertyBag::Keys() const {
  std::vector<std::string> out;
  for (const auto& e : entries_) out.push_back(e.key);
  return out;
}

std::string PropertyBag::Raw(const std::string& name) const {
  const Entry* e = find(name);
  return e ? e->text : std::string();
}

void PropertyBag::SetRaw(const std::string& name, const std::string& value) {
  Entry& e = slot(name);
  e.text = value;
  e.picture = {};
  e.group.reset();
}

void PropertyBag::SetPicture(const std::string& name, const StdPicture& picture) {
  Entry& e = slot(name);
  e.text.clear();
  e.picture = picture;
  e.group.reset();
}

PropertyBag& PropertyBag::Group(const std::string& name) {
  Entry& e = slot(name);
  if (!e.group) e.group = std::make_shared<PropertyBag>();
  e.group->BaseDir = BaseDir;
  return *e.group;
}

const PropertyBag* PropertyBag::FindGroup(const std::string& name) const {
  const Entry* e = find(name);
  return e ? e->group.get() : nullptr;
}

int32_t PropertyBag::ReadProperty(const std::string& name, int32_t def) const {
  const Entry* e = find(name);
  if (!e) return def;
  const double v = number(name, e->text);
  if (!(v >= std::numeric_limits<int32_t>::min() - 0.5 && v < std::numeric_limits<int32_t>::max() + 0.5))
    throw Error(6, "Overflow reading '" + name + "'");
  return CLng(v);
}

bool PropertyBag::ReadProperty(const std::string& name, bool def) const {
  const Entry* e = find(name);
  if (!e) return def;
  return number(name, e->text) != 0;
}

float PropertyBag::ReadProperty(const std::string& name, float def) const {
  const Entry* e = find(name);
  return e ? static_cast<float>(number(name, e->text)) : def;
}

double PropertyBag::ReadProperty(const std::string& name, double def) const {
  const Entry* e = find(name);
  return e ? number(name, e->text) : def;
}

std::string PropertyBag::ReadProperty(const std::string& name, const std::string& def) const {
  const Entry* e = find(name);
  if (!e) return def;
  if (e->group || e->picture) mismatch(name);
  return e->text;
}

std::string PropertyBag::ReadProperty(const std::string& name, const char* def) const {
  return ReadProperty(name, std::string(def ? def : ""));
}

StdFont PropertyBag::ReadProperty(const std::string& name, const StdFont& def) const {
  const Entry* e = find(name);
  if (!e) return def;
  if (!e->group) mismatch(name);
  const PropertyBag& g = *e->group;
  StdFont f = def;
  f.Name = g.ReadProperty("Name", f.Name);
  f.Size = g.ReadProperty("Size", f.Size);
  f.Bold = g.ReadProperty("Bold", f.Bold);
  f.Italic = g.ReadProperty("Italic", f.Italic);
  f.Underline = g.ReadProperty("Underline", f.Underline);
  f.Strikethrough = g.ReadProperty("Strikethrough", f.Strikethrough);
  f.Charset = g.ReadProperty("Charset", static_cast<int32_t>(f.Charset));
  if (g.Contains("Weight")) f.Bold = g.ReadProperty("Weight", int32_t{400}) >= 600;
  return f;
}

StdPicture PropertyBag::ReadProperty(const std::string& name, const StdPicture& def) const {
  const Entry* e = find(name);
  if (!e) return def;
  if (e->picture) return e->picture;
  if (e->group) mismatch(name);
  if (e->text.empty()) return {};
  std::string path = e->text;
  if (!BaseDir.empty() && path[0] != '/' && path[0] != ':') path = BaseDir + "/" + path;
  return LoadPicture(path);
}

void PropertyBag::WriteProperty(const std::string& name, int32_t value, int32_t def) {
  if (value == def) return erase(name);
  SetRaw(name, CStr(value));
}

void PropertyBag::WriteProperty(const std::string& name, bool value, bool def) {
  if (value == def) return erase(name);
  SetRaw(name, value ? "-1" : "0");
}

void PropertyBag::WriteProperty(const std::string& name, float value, float def) {
  if (value == def) return erase(name);
  SetRaw(name, CStr(value));
}

void PropertyBag::WriteProperty(const std::string& name, double value, double def) {
  if (value == def) return erase(name);
  SetRaw(name, text(value));
}

void PropertyBag::WriteProperty(const std::string& name, const std::string& value,
                                const std::string& def) {
  if (value == def) return erase(name);
  SetRaw(name, value);
}

void PropertyBag::WriteProperty(const std::string& name, const char* value, const char* def) {
  WriteProperty(name, std::string(value ? value : ""), std::string(def ? def : ""));
}

void PropertyBag::WriteProperty(const std::string& name, const StdFont& value, const StdFont& def) {
  if (value == def) return erase(name);
  erase(name);
  PropertyBag& g = Group(name);
  g.SetRaw("Name", value.Name);
  g.SetRaw("Size", CStr(value.Size));
  g.SetRaw("Bold", value.Bold ? "-1" : "0");
  g.SetRaw("Italic", value.Italic ? "-1" : "0");
  g.SetRaw("Underline", value.Underline ? "-1" : "0");
  g.SetRaw("Strikethrough", value.Strikethrough ? "-1" : "0");
  g.SetRaw("Charset", CStr(static_cast<int32_t>(value.Charset)));
}

void PropertyBag::WriteProperty(const std::string& name, const StdPicture& value,
                                const StdPicture& def) {
  if (value.data() == def.data()) return erase(name);
  SetPicture(name, value);
}

}  // namespace vb
