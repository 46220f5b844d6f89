// Test seam of the file and folder dialogs: while a hook is set, no dialog waits for a
// person. The hook gets the dialog as it would be shown (title, folder, filters, options,
// labels) and answers for the person.
#pragma once
#include <functional>
#include <string>
#include <vector>

class QFileDialog;

namespace win {

struct DialogAnswer {
  bool accepted = false;
  std::vector<std::string> files;  // full paths; a folder for the folder browser
  int filter = 0;                  // 1-based filter left selected; 0 keeps the preset one
};
using DialogHook = std::function<DialogAnswer(QFileDialog& dialog)>;
void SetDialogHook(DialogHook hook);  // an empty hook restores the real dialogs

// Object names of the folder browser's text above the tree and status line.
inline constexpr const char* kBrowseTitleLabel = "browseTitle";
inline constexpr const char* kBrowseStatusLabel = "browseStatus";

}  // namespace win
