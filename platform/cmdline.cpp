#include "platform/cmdline.h"

namespace win {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

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
        quoted = !quoted;
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

std::string QuoteArg(std::string_view arg) {
  std::string out = "\"";
  size_t slashes = 0;
  for (const char c : arg) {
    if (c == '"') {
      out.append(slashes + 1, '\\');
    }
    slashes = c == '\\' ? slashes + 1 : 0;
    out += c;
  }
  out.append(slashes, '\\');
  return out + '"';
}

}  // namespace win
