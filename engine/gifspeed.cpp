#include "gifspeed.h"

#include <algorithm>

void addGifSpeed(std::vector<std::string>& words) {
  bool gif = false;
  for (size_t i = 0; i + 1 < words.size(); ++i)
    if (words[i] == "-vo") gif = words[i + 1].substr(0, words[i + 1].find_first_of(":,")) == "gif89a";
  const auto has = [&](const char* w) { return std::find(words.begin(), words.end(), w) != words.end(); };
  if (gif && !has("-slave") && !has("-benchmark")) words.emplace_back("-benchmark");
}
