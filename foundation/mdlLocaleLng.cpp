#include "foundation/mdlLocaleLng.h"

#include "platform/locale.h"

namespace mdlLocaleLng {

std::string GetLocaleLng() {
  std::string buffer(16, ' ');
  win::GetLocaleInfoA(win::GetThreadLocale(), win::LOCALE_IDEFAULTANSICODEPAGE, buffer, 16);
  const std::string page = TrimNull(buffer);
  if (page == "936") return "gb";
  if (page == "950") return "tw";
  return "en";
}

std::string TrimNull(const std::string& text) { return text.substr(0, text.find('\0')); }

}  // namespace mdlLocaleLng
