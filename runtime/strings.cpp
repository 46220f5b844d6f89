#include "runtime/strings.h"

#include <QString>
#include <algorithm>

#include "platform/qtext.h"

namespace vb {
namespace {

// Byte length of the character that starts at s[i]; a byte that does not start a valid
// sequence counts as one character of its own.
size_t charLen(const std::string& s, size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
  if (i + n > s.size()) return 1;
  for (size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
  return n;
}

// Byte offset of the character at 0-based index n (the end when past it).
size_t byteAt(const std::string& s, int32_t n) {
  size_t i = 0;
  for (; n > 0 && i < s.size(); --n) i += charLen(s, i);
  return i;
}

int32_t charIndexOf(const std::string& s, size_t byte) {
  int32_t n = 0;
  for (size_t i = 0; i < byte && i < s.size(); i += charLen(s, i)) ++n;
  return n;
}

uint32_t decode(const std::string& s, size_t i, size_t n) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
  switch (n) {
    case 2: return (b(0) & 0x1Fu) << 6 | (b(1) & 0x3Fu);
    case 3: return (b(0) & 0x0Fu) << 12 | (b(1) & 0x3Fu) << 6 | (b(2) & 0x3Fu);
    case 4: return (b(0) & 0x07u) << 18 | (b(1) & 0x3Fu) << 12 | (b(2) & 0x3Fu) << 6 | (b(3) & 0x3Fu);
    default: return b(0);
  }
}

std::vector<uint32_t> codes(const std::string& s) {
  std::vector<uint32_t> v;
  for (size_t i = 0; i < s.size();) {
    const size_t n = charLen(s, i);
    v.push_back(decode(s, i, n));
    i += n;
  }
  return v;
}

bool isAscii(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

int32_t Len(const std::string& s) { return charIndexOf(s, s.size()); }

std::string Left(const std::string& s, int32_t length) {
  return length <= 0 ? std::string() : s.substr(0, byteAt(s, length));
}

std::string Right(const std::string& s, int32_t length) {
  if (length <= 0) return {};
  const int32_t n = Len(s);
  return length >= n ? s : s.substr(byteAt(s, n - length));
}

std::string Mid(const std::string& s, int32_t start) {
  return s.substr(byteAt(s, std::max(start, 1) - 1));
}

std::string Mid(const std::string& s, int32_t start, int32_t length) {
  if (length < 0) return Mid(s, start);
  const size_t from = byteAt(s, std::max(start, 1) - 1);
  size_t to = from;
  for (int32_t k = 0; k < length && to < s.size(); ++k) to += charLen(s, to);
  return s.substr(from, to - from);
}

int32_t InStr(const std::string& s, const std::string& find) { return InStr(1, s, find); }

int32_t InStr(int32_t start, const std::string& s, const std::string& find) {
  start = std::max(start, 1);
  if (s.empty()) return 0;
  if (find.empty()) return start <= Len(s) + 1 ? start : 0;
  const size_t from = byteAt(s, start - 1);
  if (from >= s.size()) return 0;
  for (size_t p = s.find(find, from); p != std::string::npos; p = s.find(find, p + 1)) {
    // A hit inside a character (possible only with broken text) is not a hit.
    const int32_t idx = charIndexOf(s, p);
    if (byteAt(s, idx) == p) return idx + 1;
  }
  return 0;
}

int32_t InStrRev(const std::string& s, const std::string& find, int32_t start) {
  const int32_t n = Len(s);
  if (start < 0 || start > n) start = start < 0 ? n : 0;
  if (start == 0 || s.empty()) return 0;
  if (find.empty()) return start;
  const std::string head = s.substr(0, byteAt(s, start));
  for (size_t p = head.rfind(find); p != std::string::npos; p = p ? head.rfind(find, p - 1) : std::string::npos) {
    const int32_t idx = charIndexOf(head, p);
    if (byteAt(head, idx) == p) return idx + 1;
  }
  return 0;
}

std::string LTrim(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  return a == std::string::npos ? std::string() : s.substr(a);
}

std::string RTrim(const std::string& s) {
  const size_t b = s.find_last_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(0, b + 1);
}

std::string Trim(const std::string& s) { return LTrim(RTrim(s)); }

std::string LCase(const std::string& s) {
  if (!isAscii(s)) return win::ChangeCase(s, false);
  std::string r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

std::string UCase(const std::string& s) {
  if (!isAscii(s)) return win::ChangeCase(s, true);
  std::string r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

std::string Replace(const std::string& s, const std::string& find, const std::string& with,
                    int32_t count) {
  if (find.empty() || count == 0) return s;
  std::string r;
  size_t at = 0;
  for (size_t p = s.find(find); p != std::string::npos; p = s.find(find, at)) {
    r.append(s, at, p - at).append(with);
    at = p + find.size();
    if (count > 0 && --count == 0) break;
  }
  return r.append(s, at, std::string::npos);
}

std::vector<std::string> Split(const std::string& s, const std::string& delimiter) {
  std::vector<std::string> parts;
  if (s.empty()) return parts;
  if (delimiter.empty()) return {s};
  size_t at = 0;
  for (size_t p = s.find(delimiter); p != std::string::npos; p = s.find(delimiter, at)) {
    parts.push_back(s.substr(at, p - at));
    at = p + delimiter.size();
  }
  parts.push_back(s.substr(at));
  return parts;
}

std::string Chr(int32_t code) {
  std::string r;
  const auto u = static_cast<uint32_t>(code);
  if (code < 0 || u > 0x10FFFF) return r;
  if (u < 0x80) {
    r += static_cast<char>(u);
  } else if (u < 0x800) {
    r += static_cast<char>(0xC0 | (u >> 6));
    r += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    r += static_cast<char>(0xE0 | (u >> 12));
    r += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    r += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    r += static_cast<char>(0xF0 | (u >> 18));
    r += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    r += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    r += static_cast<char>(0x80 | (u & 0x3F));
  }
  return r;
}

int32_t Asc(const std::string& s) {
  return s.empty() ? 0 : static_cast<int32_t>(decode(s, 0, charLen(s, 0)));
}

std::string Space(int32_t n) { return std::string(static_cast<size_t>(std::max(n, 0)), ' '); }

namespace {

// One element of a pattern: what it matches.
struct Token {
  enum Kind { One, Any, Digit, Run, Set } kind = One;
  uint32_t ch = 0;
  bool negate = false;
  std::vector<std::pair<uint32_t, uint32_t>> ranges;
  bool matches(uint32_t c) const {
    switch (kind) {
      case One: return c == ch;
      case Any: return true;
      case Digit: return c >= '0' && c <= '9';
      case Set: {
        bool in = false;
        for (const auto& [lo, hi] : ranges) in = in || (c >= lo && c <= hi);
        return in != negate;
      }
      case Run: break;
    }
    return false;
  }
};

bool parsePattern(const std::vector<uint32_t>& p, std::vector<Token>& out) {
  for (size_t i = 0; i < p.size(); ++i) {
    Token t;
    switch (p[i]) {
      case '?': t.kind = Token::Any; break;
      case '*': t.kind = Token::Run; break;
      case '#': t.kind = Token::Digit; break;
      case '[': {
        t.kind = Token::Set;
        size_t j = i + 1;
        if (j < p.size() && p[j] == '!') t.negate = true, ++j;
        for (; j < p.size() && p[j] != ']'; ++j) {
          if (j + 2 < p.size() && p[j + 1] == '-' && p[j + 2] != ']') {
            t.ranges.emplace_back(std::min(p[j], p[j + 2]), std::max(p[j], p[j + 2]));
            j += 2;
          } else {
            t.ranges.emplace_back(p[j], p[j]);
          }
        }
        if (j >= p.size()) return false;
        // "[]" matches the empty text; it is simply dropped.
        i = j;
        if (t.ranges.empty() && !t.negate) continue;
        break;
      }
      default: t.ch = p[i];
    }
    out.push_back(t);
  }
  return true;
}

}  // namespace

bool Like(const std::string& s, const std::string& pattern) {
  std::vector<Token> toks;
  if (!parsePattern(codes(pattern), toks)) return false;
  const std::vector<uint32_t> c = codes(s);
  // reach[j]: the first j characters of s can be matched by the tokens so far.
  std::vector<char> reach(c.size() + 1, 0), next(c.size() + 1);
  reach[0] = 1;
  for (const Token& t : toks) {
    std::fill(next.begin(), next.end(), 0);
    if (t.kind == Token::Run) {
      char any = 0;
      for (size_t j = 0; j <= c.size(); ++j) next[j] = any = static_cast<char>(any | reach[j]);
    } else {
      for (size_t j = 0; j < c.size(); ++j)
        if (reach[j] && t.matches(c[j])) next[j + 1] = 1;
    }
    reach.swap(next);
  }
  return reach[c.size()] != 0;
}

}  // namespace vb
