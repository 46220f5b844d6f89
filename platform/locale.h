// The user's locale and its ANSI code page.
#pragma once
#include <string>

namespace win {

// A locale is named as the environment names it ("zh_TW.UTF-8", "C", ...).
using LCID = std::string;

enum : int { LOCALE_IDEFAULTANSICODEPAGE = 0x1004 };

// The locale in force for messages: LC_ALL, else LC_MESSAGES, else LANG, else "C".
LCID GetThreadLocale();

// Writes the asked value followed by a NUL over the start of data and returns the characters
// written, NUL included; 0 when the value is unknown or needs more than size characters,
// and then data is left as it was. The ANSI code page is the one of the locale's language
// ("936" for zh_CN and zh_SG, "950" for zh_TW, zh_HK and zh_MO, "1252" for English and C).
int GetLocaleInfoA(const LCID& locale, int lcType, std::string& data, int size);

}  // namespace win
