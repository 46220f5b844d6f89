#include "platform/cmdline.h"

namespace win {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// For each position: how many quotes that can group (not escaped by an odd run of
// backslashes) stand at or after it.
std::vector<int> quotesFrom(std::string_view s) {
  std::vector<int> after(s.size() + 1, 0);
  std::vector<bool> grouping(s.size(), false);
  size_t slashes = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '"') grouping[i] = slashes % 2 == 0;
    slashes = s[i] == '\\' ? slashes + 1 : 0;
  }
  for (size_t i = s.size(); i-- > 0;) after[i] = after[i + 1] + (grouping[i] ? 1 : 0);
  return after;
}

// The program name from the start of the line; returns where it ends.
size_t programName(std::string_view line, const std::function<bool(const std::string&)>& isProgram,
                   std::string& name) {
  size_t i = 0;
  bool quoted = false;
  for (; i < line.size() && (quoted || !isBlank(line[i])); ++i) {
    if (line[i] == '"') quoted = !quoted;
    else name += line[i];
  }
  if (!isProgram || line.empty() || line[0] == '"' || isProgram(name)) return i;
  for (size_t j = i; j < line.size(); ++j) {
    if (!isBlank(line[j]) || j + 1 >= line.size() || isBlank(line[j + 1])) continue;
    size_t end = line.find_first_of(" \t", j + 1);
    if (end == std::string_view::npos) end = line.size();
    std::string longer(line.substr(0, end));
    if (isProgram(longer)) {
      name = longer;
      return end;
    }
  }
  return i;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line,
                                          const std::function<bool(const std::string&)>& isProgram) {
  std::vector<std::string> args;
  if (line.empty()) return args;
  std::string name;
  size_t i = programName(line, isProgram, name);
  args.push_back(name);

  const std::vector<int> quotesAfter = quotesFrom(line);
  const size_t n = line.size();
  while (true) {
    while (i < n && isBlank(line[i])) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || !isBlank(line[i]))) {
      const char c = line[i];
      if (c == '\\') {
        size_t k = 0;
        while (i + k < n && line[i + k] == '\\') ++k;
        const bool beforeQuote = i + k < n && line[i + k] == '"';
        arg.append(beforeQuote ? k / 2 : k, '\\');
        i += k;
        if (beforeQuote && k % 2 == 1) {
          arg += '"';
          ++i;
        }
        continue;
      }
      if (c == '"') {
        if (!quoted) {
          quoted = true;
        } else if ((i + 1 == n || isBlank(line[i + 1])) && quotesAfter[i + 1] % 2 == 0) {
          quoted = false;
        } else {
          arg += '"';
        }
        ++i;
        continue;
      }
      arg += c;
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace win
