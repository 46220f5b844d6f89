#include "platform/fontfile.h"

#include <fontconfig/fontconfig.h>

namespace win {

std::string FontFileFor(const std::string& pattern) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return "";
  std::string file;
  if (FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()))) {
    FcConfigSubstitute(config, wanted, FcMatchPattern);
    FcDefaultSubstitute(wanted);
    FcResult result = FcResultNoMatch;
    if (FcPattern* found = FcFontMatch(config, wanted, &result)) {
      FcChar8* path = nullptr;
      if (FcPatternGetString(found, FC_FILE, 0, &path) == FcResultMatch && path)
        file = reinterpret_cast<const char*>(path);
      FcPatternDestroy(found);
    }
    FcPatternDestroy(wanted);
  }
  FcConfigDestroy(config);
  return file;
}

}  // namespace win
