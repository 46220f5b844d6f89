// Reading the picture page that the viewer hands to Navigate as an about: address.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace browser {

struct Page {
  std::string bgcolor;      // the body's bgcolor attribute as written ("" when absent)
  std::optional<std::string> src;  // the picture's file path; none when the page has no <img>
};

// The address's text is percent-decoded once ("%25" gives "%"), as a browser reads an about:
// address; everything else, "#" included, stays as written.
std::string PercentDecode(const std::string& text);

// The page of an "about:" address (the prefix is case-insensitive); none for another address.
std::optional<Page> ParsePage(const std::string& address);

// A colour text ("black", "white", "#rrggbb", "rrggbb" and the basic colour names) as
// 0xRRGGBB; unknown text gives the page's default, white.
uint32_t ParseColour(const std::string& text);

}  // namespace browser
