#include "runtime/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vb {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Decimal digits of |x| rounded to `precision` significant digits, and the power of ten of
// the first one: x = 0.d1d2d3... * 10^(exp10 + 1).
struct Digits {
  std::string d;
  int exp10 = 0;
};

Digits digitsOf(double x, int precision) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific,
                         precision - 1);
  const std::string s(buf, r.ptr);
  Digits out;
  const size_t e = s.find('e');
  for (size_t i = 0; i < e; ++i)
    if (isDigit(s[i])) out.d += s[i];
  std::from_chars(s.data() + e + 1 + (s[e + 1] == '+'), s.data() + s.size(), out.exp10);
  return out;
}

std::string defaultText(double x, int precision) {
  if (x == 0 || !std::isfinite(x)) return "0";
  Digits g = digitsOf(x, precision);
  while (g.d.size() > 1 && g.d.back() == '0') g.d.pop_back();
  std::string out = x < 0 ? "-" : "";
  const int n = static_cast<int>(g.d.size());
  if (g.exp10 >= -4 && g.exp10 < precision) {
    if (g.exp10 < 0) {
      out += "0." + std::string(static_cast<size_t>(-g.exp10 - 1), '0') + g.d;
    } else if (g.exp10 + 1 >= n) {
      out += g.d + std::string(static_cast<size_t>(g.exp10 + 1 - n), '0');
    } else {
      out += g.d.substr(0, static_cast<size_t>(g.exp10 + 1)) + "." +
             g.d.substr(static_cast<size_t>(g.exp10 + 1));
    }
    return out;
  }
  out += g.d.substr(0, 1);
  if (n > 1) out += "." + g.d.substr(1);
  const int e = std::abs(g.exp10);
  out += g.exp10 < 0 ? "E-" : "E+";
  if (e < 10) out += "0";
  return out + std::to_string(e);
}

template <typename T>
T clampRound(double x) {
  if (std::isnan(x)) return 0;
  const double r = std::nearbyint(x);
  if (r <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
  if (r >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
  return static_cast<T>(r);
}

// The number text at the start of s once blanks are dropped: sign, digits, point, exponent.
// Returns how many characters of `clean` form the number.
size_t decimalSpan(const std::string& c) {
  size_t i = 0;
  if (i < c.size() && (c[i] == '+' || c[i] == '-')) ++i;
  bool digits = false;
  while (i < c.size() && isDigit(c[i])) ++i, digits = true;
  if (i < c.size() && c[i] == '.') {
    ++i;
    while (i < c.size() && isDigit(c[i])) ++i, digits = true;
  }
  if (!digits) return 0;
  if (i < c.size() && (c[i] == 'e' || c[i] == 'E' || c[i] == 'd' || c[i] == 'D')) {
    size_t j = i + 1;
    if (j < c.size() && (c[j] == '+' || c[j] == '-')) ++j;
    if (j < c.size() && isDigit(c[j])) {
      while (j < c.size() && isDigit(c[j])) ++j;
      i = j;
    }
  }
  return i;
}

double decimalValue(std::string num) {
  for (char& ch : num)
    if (ch == 'd' || ch == 'D') ch = 'e';
  size_t from = num[0] == '+' ? 1 : 0;
  double v = 0;
  auto r = std::from_chars(num.data() + from, num.data() + num.size(), v);
  if (r.ec != std::errc() || !std::isfinite(v)) return 0;
  return v;
}

// &H / &O numbers: 16 bits when the value fits, else 32 bits, as the runtime types them.
bool radixValue(const std::string& c, size_t& used, double& value) {
  if (c.size() < 2 || c[0] != '&') return false;
  int base = 0;
  size_t i = 2;
  if (c[1] == 'h' || c[1] == 'H') base = 16;
  else if (c[1] == 'o' || c[1] == 'O') base = 8;
  else if (c[1] >= '0' && c[1] <= '7') base = 8, i = 1;
  else return false;
  uint64_t v = 0;
  for (; i < c.size(); ++i) {
    int d = -1;
    const char ch = c[i];
    if (isDigit(ch)) d = ch - '0';
    else if (ch >= 'a' && ch <= 'f') d = ch - 'a' + 10;
    else if (ch >= 'A' && ch <= 'F') d = ch - 'A' + 10;
    if (d < 0 || d >= base) break;
    v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (v > 0xFFFFFFFFu) v = 0x100000000u;  // out of range: stays out
  }
  used = i;
  if (v > 0xFFFFFFFFu) value = 0;
  else if (v <= 0xFFFF) value = static_cast<int16_t>(static_cast<uint16_t>(v));
  else value = static_cast<int32_t>(static_cast<uint32_t>(v));
  return true;
}

std::string formatDigits(double x, int precision, const std::string& mask) {
  const size_t first = mask.find_first_of("0#");
  if (first == std::string::npos) return mask;
  const size_t last = mask.find_last_of("0#.");
  const std::string prefix = mask.substr(0, first), suffix = mask.substr(last + 1);
  const std::string body = mask.substr(first, last + 1 - first);
  const size_t point = body.find('.');
  const std::string intMask = body.substr(0, point);
  const std::string decMask = point == std::string::npos ? "" : body.substr(point + 1);
  int minInt = 0, minDec = 0;
  for (char ch : intMask) minInt += ch == '0';
  for (char ch : decMask) minDec += ch == '0';
  const int dec = static_cast<int>(decMask.size());

  // Whole and fraction digits of |x|, then rounded to dec places, halves away from zero.
  std::string whole, frac;
  if (x != 0 && std::isfinite(x)) {
    const Digits g = digitsOf(x, precision);
    const int p = g.exp10 + 1, n = static_cast<int>(g.d.size());
    if (p <= 0) {
      frac = std::string(static_cast<size_t>(-p), '0') + g.d;
    } else if (p >= n) {
      whole = g.d + std::string(static_cast<size_t>(p - n), '0');
    } else {
      whole = g.d.substr(0, static_cast<size_t>(p));
      frac = g.d.substr(static_cast<size_t>(p));
    }
  }
  const bool up = static_cast<int>(frac.size()) > dec && frac[static_cast<size_t>(dec)] >= '5';
  frac.resize(static_cast<size_t>(dec), '0');
  std::string all = "0" + whole + frac;
  if (up) {
    size_t i = all.size();
    while (i-- > 0) {
      if (all[i] == '9') {
        all[i] = '0';
      } else {
        ++all[i];
        break;
      }
    }
  }
  whole = all.substr(0, all.size() - frac.size());
  frac = all.substr(whole.size());
  const size_t nz = whole.find_first_not_of('0');
  whole = nz == std::string::npos ? "" : whole.substr(nz);
  if (static_cast<int>(whole.size()) < minInt)
    whole.insert(0, static_cast<size_t>(minInt) - whole.size(), '0');
  while (static_cast<int>(frac.size()) > minDec && frac.back() == '0') frac.pop_back();
  const bool nonZero = all.find_first_not_of('0') != std::string::npos;
  std::string out = prefix;
  if (x < 0 && nonZero) out += "-";
  out += whole;
  if (point != std::string::npos && (!frac.empty() || decMask.empty())) out += "." + frac;
  return out + suffix;
}

}  // namespace

double Val(const std::string& s) {
  std::string c;
  c.reserve(s.size());
  for (char ch : s)
    if (ch != ' ' && ch != '\t' && ch != '\n') c += ch;
  size_t used = 0;
  double v = 0;
  if (radixValue(c, used, v)) return v;
  used = decimalSpan(c);
  return used ? decimalValue(c.substr(0, used)) : 0;
}

bool IsNumeric(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return false;
  const std::string c = s.substr(a, s.find_last_not_of(" \t") + 1 - a);
  size_t used = 0;
  double v = 0;
  if (radixValue(c, used, v)) return used == c.size() && used > (c[1] >= '0' && c[1] <= '7' ? 1u : 2u);
  used = decimalSpan(c);
  return used == c.size() && std::isfinite(decimalValue(c));
}

std::string CStr(float x) { return defaultText(static_cast<double>(x), 7); }
std::string CStr(double x) { return defaultText(x, 15); }
std::string CStr(int32_t x) { return std::to_string(x); }
std::string CStr(int64_t x) { return std::to_string(x); }
std::string CStr(bool x) { return x ? "True" : "False"; }

int32_t CLng(double x) { return clampRound<int32_t>(x); }
int16_t CInt(double x) { return clampRound<int16_t>(x); }

float Int(float x) { return std::floor(x); }
double Int(double x) { return std::floor(x); }
float Fix(float x) { return std::trunc(x); }
double Fix(double x) { return std::trunc(x); }

double Round(double x, int n) {
  if (n <= 0) return std::nearbyint(x);
  if (n > 22 || !std::isfinite(x)) return x;
  const double p = std::pow(10.0, n);
  const double scaled = x * p;
  if (std::fabs(scaled) >= 9007199254740992.0) return x;
  return std::nearbyint(scaled) / p;
}

float Round(float x, int n) { return static_cast<float>(Round(static_cast<double>(x), n)); }

std::string Format(double x, const std::string& mask) { return formatDigits(x, 15, mask); }
std::string Format(float x, const std::string& mask) {
  return formatDigits(static_cast<double>(x), 7, mask);
}

}  // namespace vb
