#include "platform/locale.h"

#include <cstdlib>
#include <map>

namespace win {
namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// The ANSI code page of each language family that has one; languages that are written only
// in Unicode have "0".
std::string codePage(const LCID& locale) {
  std::string name = locale.substr(0, locale.find_first_of(".@"));
  const std::string lang = name.substr(0, name.find('_'));
  const std::string territory = name.find('_') == std::string::npos ? "" : name.substr(name.find('_') + 1);
  if (lang == "zh") return territory == "TW" || territory == "HK" || territory == "MO" ? "950" : "936";
  if (lang == "C" || lang == "POSIX" || lang.empty()) return "1252";
  static const std::map<std::string, std::string> pages = {
      {"ja", "932"},   {"ko", "949"},   {"th", "874"},   {"vi", "1258"},  {"el", "1253"},
      {"tr", "1254"},  {"az", "1254"},  {"uz", "1254"},  {"he", "1255"},  {"iw", "1255"},
      {"ar", "1256"},  {"fa", "1256"},  {"ur", "1256"},  {"lt", "1257"},  {"lv", "1257"},
      {"et", "1257"},  {"cs", "1250"},  {"pl", "1250"},  {"hu", "1250"},  {"sk", "1250"},
      {"sl", "1250"},  {"hr", "1250"},  {"ro", "1250"},  {"sq", "1250"},  {"bs", "1250"},
      {"ru", "1251"},  {"uk", "1251"},  {"be", "1251"},  {"bg", "1251"},  {"mk", "1251"},
      {"sr", "1251"},  {"kk", "1251"},  {"ky", "1251"},  {"mn", "1251"},  {"tt", "1251"},
      {"hi", "0"},     {"bn", "0"},     {"ta", "0"},     {"te", "0"},     {"mr", "0"},
      {"gu", "0"},     {"kn", "0"},     {"ml", "0"},     {"pa", "0"},     {"hy", "0"},
      {"ka", "0"},     {"am", "0"},     {"km", "0"},     {"lo", "0"},     {"ne", "0"},
      {"si", "0"},     {"my", "0"},
  };
  const auto it = pages.find(lang);
  return it == pages.end() ? "1252" : it->second;
}

}  // namespace

LCID GetThreadLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
    if (std::string v = env(name); !v.empty()) return v;
  return "C";
}

int GetLocaleInfoA(const LCID& locale, int lcType, std::string& data, int size) {
  if (lcType != LOCALE_IDEFAULTANSICODEPAGE || size <= 0) return 0;
  const std::string value = codePage(locale) + '\0';
  if (value.size() > static_cast<size_t>(size)) return 0;
  if (data.size() < value.size()) data.resize(value.size());
  data.replace(0, value.size(), value);
  return static_cast<int>(value.size());
}

}  // namespace win
