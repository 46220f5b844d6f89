// Splitting a command line into the arguments a started program receives.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace win {

// Splits a command line as a program started with it reads its arguments:
// - the program name runs to the first blank or tab outside double quotes; quotes in it only
//   group and are dropped, backslashes are plain characters;
// - the other arguments are split at blanks and tabs outside double quotes; 2n backslashes
//   before a quote give n backslashes and the quote groups, 2n+1 give n backslashes and a
//   literal quote; other backslashes are plain; "" gives an empty argument.
// File names here may hold double quotes, which callers put between quotes unescaped. So a
// quote inside a quoted run closes it only when a blank, a tab or the end of the line follows
// and the rest of the line holds an even number of quotes; any other quote there is literal.
//
// isProgram: when the line does not start with a quote and the first word is not a program,
// the name grows over the following blanks to the shortest text for which isProgram answers
// true (the search that finds an unquoted program path holding blanks).
std::vector<std::string> SplitCommandLine(std::string_view line,
                                          const std::function<bool(const std::string&)>& isProgram = {});

}  // namespace win
