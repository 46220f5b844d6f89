// Font files of this system, found through fontconfig.
#pragma once
#include <string>

namespace win {

// The file of the installed font that best matches a fontconfig pattern ("Arial",
// "sans:lang=zh-cn"); "" when the system has none.
std::string FontFileFor(const std::string& pattern);

}  // namespace win
