// The runtime's Command$: the text the program was started with, after its own name.
#pragma once
#include <string>

namespace vb {

// The program's arguments joined by blanks, each in double quotes when it holds a blank.
std::string Command();

}  // namespace vb
