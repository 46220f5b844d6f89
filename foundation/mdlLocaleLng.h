// Default user-interface language from the system's ANSI code page.
#pragma once
#include <string>

namespace mdlLocaleLng {

// "gb" for code page 936, "tw" for 950, else "en".
std::string GetLocaleLng();
// The text before its first NUL character.
std::string TrimNull(const std::string& text);

}  // namespace mdlLocaleLng
