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
//   literal quote; other backslashes are plain; every other quote opens or closes a quoted
//   run; "" gives an empty argument.
//
// isProgram: when the line does not start with a quote and the first word is not a program,
// the name grows over the following blanks to the shortest text for which isProgram answers
// true (the search that finds an unquoted program path holding blanks).
std::vector<std::string> SplitCommandLine(std::string_view line,
                                          const std::function<bool(const std::string&)>& isProgram = {});

// arg between double quotes, written so that SplitCommandLine gives it back exactly, whatever it
// holds: a quote becomes \", and backslashes before a quote or the closing quote are doubled.
std::string QuoteArg(std::string_view arg);

}  // namespace win
