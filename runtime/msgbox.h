// Message boxes and input boxes, with a seam that lets tests answer them.
#pragma once
#include <functional>
#include <string>

namespace vb {

// Buttons, icons and answers, with the runtime's values.
enum : int {
  vbOKOnly = 0, vbOKCancel = 1, vbAbortRetryIgnore = 2, vbYesNoCancel = 3, vbYesNo = 4,
  vbRetryCancel = 5,
  vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64,
  vbDefaultButton1 = 0, vbDefaultButton2 = 256, vbDefaultButton3 = 512,
  vbApplicationModal = 0, vbSystemModal = 4096,
};
enum : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// Shows a modal message box; the title defaults to App.Title. Returns the button pressed.
int MsgBox(const std::string& prompt, int buttons = vbOKOnly, const std::string& title = "");

// Asks for a text; "" when cancelled (as the runtime answers).
std::string InputBox(const std::string& prompt, const std::string& title = "",
                     const std::string& defaultText = "");

// Test seam. While a hook is set, boxes are not shown: the hook gets what would be shown and
// gives the answer (a button value for MsgBox, the typed text for InputBox).
struct BoxCall {
  bool input = false;  // InputBox rather than MsgBox
  std::string prompt, title, defaultText;
  int buttons = 0;
};
struct BoxAnswer {
  int button = vbOK;
  std::string text;
};
using BoxHook = std::function<BoxAnswer(const BoxCall&)>;
void SetBoxHook(BoxHook hook);  // an empty hook restores the real boxes

}  // namespace vb
