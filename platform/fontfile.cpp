#include "platform/fontfile.h"

#include <fontconfig/fontconfig.h>

namespace win {

namespace {
// The font configuration, loaded on first use and kept for the program's life: loading it scans
// the font folders, which takes longer than the match itself.
FcConfig* config() {
  static FcConfig* const loaded = FcInitLoadConfigAndFonts();
  return loaded;
}
}  // namespace

std::string FontFileFor(const std::string& pattern) {
  FcConfig* fonts = config();
  if (!fonts) return "";
  std::string file;
  if (FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()))) {
    FcConfigSubstitute(fonts, wanted, FcMatchPattern);
    FcDefaultSubstitute(wanted);
    FcResult result = FcResultNoMatch;
    if (FcPattern* found = FcFontMatch(fonts, wanted, &result)) {
      FcChar8* path = nullptr;
      if (FcPatternGetString(found, FC_FILE, 0, &path) == FcResultMatch && path)
        file = reinterpret_cast<const char*>(path);
      FcPatternDestroy(found);
    }
    FcPatternDestroy(wanted);
  }
  return file;
}

}  // namespace win
