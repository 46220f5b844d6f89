// The language of the runtime's own texts: the buttons of message and input boxes, the file and
// folder dialogs and their messages.
#pragma once
#include <string>

namespace vb {

// "gb" gives them in Simplified Chinese, "tw" in Traditional Chinese, anything else in English,
// in a face of at least 12 pixels. Windows already shown take the new texts at once.
void UseStandardTexts(const std::string& lng);

}  // namespace vb
