#include "browser/page.h"

#include <cctype>
#include <map>

namespace browser {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// The attributes of the tag that starts at `pos` (just after its name), lower-case names.
// A double-quoted value ends at the last double quote before `quoteLimit`, so that a file
// name holding a double quote still reaches its end.
std::map<std::string, std::string> Attributes(const std::string& s, size_t pos,
                                              size_t quoteLimit) {
  std::map<std::string, std::string> attrs;
  while (pos < s.size()) {
    while (pos < s.size() && (IsBlank(s[pos]) || s[pos] == '/')) ++pos;
    if (pos >= s.size() || s[pos] == '>') break;
    size_t nameEnd = pos;
    while (nameEnd < s.size() && !IsBlank(s[nameEnd]) && s[nameEnd] != '=' && s[nameEnd] != '>')
      ++nameEnd;
    std::string name = Lower(s.substr(pos, nameEnd - pos));
    pos = nameEnd;
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
    std::string value;
    if (pos < s.size() && s[pos] == '=') {
      ++pos;
      while (pos < s.size() && IsBlank(s[pos])) ++pos;
      if (pos < s.size() && (s[pos] == '"' || s[pos] == '\'')) {
        const char quote = s[pos++];
        size_t end = s.find(quote, pos);
        if (quote == '"' && quoteLimit > pos) {
          const size_t last = s.rfind('"', quoteLimit - 1);
          if (last != std::string::npos && last >= pos) end = last;
        }
        if (end == std::string::npos) end = s.size();
        value = s.substr(pos, end - pos);
        pos = end + 1;
      } else {
        const size_t start = pos;
        while (pos < s.size() && !IsBlank(s[pos]) && s[pos] != '>') ++pos;
        value = s.substr(start, pos - start);
      }
    }
    if (!name.empty() && !attrs.count(name)) attrs[name] = value;
  }
  return attrs;
}

// Position just after "<name" where the name is followed by a blank, "/" or ">".
size_t FindTag(const std::string& lower, const std::string& name) {
  const std::string open = "<" + name;
  for (size_t p = lower.find(open); p != std::string::npos; p = lower.find(open, p + 1)) {
    const size_t after = p + open.size();
    if (after >= lower.size() || IsBlank(lower[after]) || lower[after] == '>' ||
        lower[after] == '/')
      return after;
  }
  return std::string::npos;
}

}  // namespace

std::string PercentDecode(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::optional<Page> ParsePage(const std::string& address) {
  if (Lower(address.substr(0, 6)) != "about:") return std::nullopt;
  const std::string html = PercentDecode(address.substr(6));
  const std::string lower = Lower(html);
  Page page;
  if (const size_t body = FindTag(lower, "body"); body != std::string::npos) {
    const auto attrs = Attributes(html, body, 0);
    if (auto it = attrs.find("bgcolor"); it != attrs.end()) page.bgcolor = it->second;
  }
  if (const size_t img = FindTag(lower, "img"); img != std::string::npos) {
    size_t limit = lower.find("</img>", img);
    if (limit == std::string::npos) limit = 0;
    const auto attrs = Attributes(html, img, limit);
    auto it = attrs.find("src");
    page.src = it != attrs.end() ? it->second : std::string();
  }
  return page;
}

uint32_t ParseColour(const std::string& text) {
  static const std::map<std::string, uint32_t> names = {
      {"black", 0x000000}, {"white", 0xFFFFFF}, {"red", 0xFF0000},    {"lime", 0x00FF00},
      {"blue", 0x0000FF},  {"gray", 0x808080},  {"silver", 0xC0C0C0}, {"green", 0x008000},
      {"yellow", 0xFFFF00}, {"navy", 0x000080}, {"maroon", 0x800000}, {"purple", 0x800080},
      {"teal", 0x008080},  {"olive", 0x808000}, {"aqua", 0x00FFFF},   {"fuchsia", 0xFF00FF}};
  std::string t = Lower(text);
  while (!t.empty() && IsBlank(t.front())) t.erase(t.begin());
  while (!t.empty() && IsBlank(t.back())) t.pop_back();
  if (auto it = names.find(t); it != names.end()) return it->second;
  if (!t.empty() && t.front() == '#') t.erase(t.begin());
  if (t.size() == 6) {
    uint32_t v = 0;
    for (char c : t) {
      const int h = HexValue(c);
      if (h < 0) return 0xFFFFFF;
      v = v * 16 + static_cast<uint32_t>(h);
    }
    return v;
  }
  return 0xFFFFFF;
}

}  // namespace browser
