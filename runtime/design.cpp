#include "runtime/design.h"

#include <QFile>
#include <QFileInfo>
#include <map>

#include "runtime/CommandButton.h"
#include "runtime/Form.h"
#include "runtime/controls.h"
#include "runtime/error.h"
#include "runtime/propbag.h"
#include "runtime/qt.h"
#include "runtime/strings.h"

namespace vb {
namespace {

std::string typeKey(std::string t) {
  t = LCase(Trim(t));
  if (t.rfind("vb.", 0) == 0) t = t.substr(3);
  return t;
}

std::map<std::string, ControlFactory>& registry() {
  static std::map<std::string, ControlFactory> r = [] {
    std::map<std::string, ControlFactory> m;
    m["label"] = [](const ControlSite& s) { return std::make_unique<Label>(s.parentWidget); };
    m["picturebox"] = [](const ControlSite& s) { return std::make_unique<PictureBox>(s.parentWidget); };
    m["image"] = [](const ControlSite& s) { return std::make_unique<Image>(s.parentWidget); };
    m["shape"] = [](const ControlSite& s) { return std::make_unique<Shape>(s.parentWidget); };
    m["textbox"] = [](const ControlSite& s) {
      return std::make_unique<TextBox>(s.parentWidget, s.design.ReadProperty("MultiLine", false));
    };
    m["timer"] = [](const ControlSite&) { return std::make_unique<TimerControl>(); };
    m["menu"] = [](const ControlSite&) { return std::make_unique<Menu>(); };
    m["commandbutton"] = [](const ControlSite& s) { return std::make_unique<CommandButton>(s.parentWidget); };
    m["filelistbox"] = [](const ControlSite& s) { return std::make_unique<FileListBox>(s.parentWidget); };
    return m;
  }();
  return r;
}

}  // namespace

void RegisterControlType(const std::string& typeName, ControlFactory factory) {
  registry()[typeKey(typeName)] = std::move(factory);
}

bool IsControlTypeRegistered(const std::string& typeName) {
  return registry().count(typeKey(typeName)) != 0;
}

const ControlFactory* FindControlType(const std::string& typeName) {
  auto it = registry().find(typeKey(typeName));
  return it == registry().end() ? nullptr : &it->second;
}

// --- Reading a design text ---

struct Block {
  std::string type, name;
  PropertyBag bag;
  std::vector<Block> children;
};

struct DesignReader {
  std::vector<std::string> lines;
  size_t at = 0;

  [[noreturn]] void fail(const std::string& what) const {
    throw Error(vbErrInvalidProperty, "Design text, line " + std::to_string(at) + ": " + what);
  }

  // A value: a quoted text ("" for a quote), else the text up to a comment.
  static std::string value(const std::string& raw) {
    std::string v = Trim(raw);
    if (!v.empty() && v[0] == '"') {
      std::string out;
      for (size_t i = 1; i < v.size(); ++i) {
        if (v[i] == '"') {
          if (i + 1 < v.size() && v[i + 1] == '"') {
            out += '"';
            ++i;
          } else {
            return out;
          }
        } else {
          out += v[i];
        }
      }
      return out;
    }
    const auto c = v.find('\'');
    if (c != std::string::npos) v = v.substr(0, c);
    return Trim(v);
  }

  bool next(std::string& line) {
    while (at < lines.size()) {
      line = lines[at++];
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::string t = line;
      size_t i = 0;
      while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
      line = t.substr(i);
      if (line.empty() || line[0] == '\'') continue;
      return true;
    }
    return false;
  }

  static std::vector<std::string> words(const std::string& s) {
    std::vector<std::string> w;
    std::string cur;
    for (char ch : s) {
      if (ch == ' ' || ch == '\t') {
        if (!cur.empty()) w.push_back(cur), cur.clear();
      } else {
        cur += ch;
      }
    }
    if (!cur.empty()) w.push_back(cur);
    return w;
  }

  void settings(PropertyBag& bag, const char* endWord, Block* block) {
    std::string line;
    while (next(line)) {
      const auto w = words(line);
      const std::string first = LCase(w.empty() ? "" : w[0]);
      if (first == LCase(endWord)) return;
      if (first == "beginproperty") {
        if (w.size() < 2) fail("BeginProperty without a name");
        settings(bag.Group(w[1]), "EndProperty", nullptr);
        continue;
      }
      if (first == "begin") {
        if (!block) fail("Begin inside a property group");
        block->children.push_back(begin(w));
        continue;
      }
      const auto eq = line.find('=');
      if (eq == std::string::npos) fail("expected Key = value");
      bag.SetRaw(Trim(line.substr(0, eq)), value(line.substr(eq + 1)));
    }
    fail(std::string("missing ") + endWord);
  }

  Block begin(const std::vector<std::string>& w) {
    if (w.size() < 3) fail("Begin needs a type and a name");
    Block b;
    b.type = w[1];
    b.name = w[2];
    settings(b.bag, "End", &b);
    return b;
  }

  Block read() {
    std::string line;
    if (!next(line)) fail("empty design text");
    const auto w = words(line);
    if (w.empty() || LCase(w[0]) != "begin") fail("expected Begin");
    Block b = begin(w);
    return b;
  }
};

namespace {

void setBase(Block& b, const std::string& dir) {
  b.bag.BaseDir = dir;
  for (auto& c : b.children) setBase(c, dir);
}

bool windowless(const Control* c) {
  return dynamic_cast<const Label*>(c) || dynamic_cast<const Image*>(c) || dynamic_cast<const Shape*>(c);
}

void make(Host& host, Container& container, Menu* parentMenu, const std::vector<Block>& blocks) {
  std::vector<Control*> made;
  for (const Block& b : blocks) {
    const int index = b.bag.ReadProperty("Index", int32_t{-1});
    Control& c = host.Create(b.type, b.name, index, container, b.bag);
    made.push_back(&c);
    if (auto* m = dynamic_cast<Menu*>(&c)) {
      if (parentMenu) parentMenu->AddItem(m);
      else if (Form* f = host.OwnerForm(); f && &container == static_cast<Container*>(f)) f->AddTopMenu(*m);
      make(host, container, m, b.children);
    } else if (auto* k = dynamic_cast<Container*>(&c)) {
      make(host, *k, nullptr, b.children);
    } else if (!b.children.empty()) {
      throw Error(vbErrInvalidProperty, "Control '" + b.name + "' holds no controls");
    }
  }
  // Window-less controls lie behind the windowed ones, each group in design order.
  for (Control* c : made)
    if (windowless(c) && c->Widget()) c->Widget()->raise();
  for (Control* c : made)
    if (!windowless(c) && c->Widget()) c->Widget()->raise();
}

}  // namespace

void Host::LoadDesignText(const std::string& text, const std::string& baseDir) {
  DesignReader r;
  r.lines = Split(Replace(text, "\r\n", "\n"), "\n");
  Block top = r.read();
  setBase(top, baseDir);
  ReadOwnDesign(top.bag);
  make(*this, *TopContainer(), nullptr, top.children);
}

void Host::LoadDesignFile(const std::string& source) {
  QFile f(QString::fromStdString(source));
  if (!f.open(QIODevice::ReadOnly)) throw Error(vbErrFileNotFound, "File not found: " + source);
  const std::string text = f.readAll().toStdString();
  std::string dir;
  if (!source.empty()) dir = QFileInfo(f).absolutePath().toStdString();
  LoadDesignText(text, dir);
}

}  // namespace vb
