#include "viewer/mdlLumtak.h"

#include "platform/fs.h"
#include "runtime/numbers.h"
#include "runtime/resources.h"
#include "runtime/strings.h"

namespace mdlLumtak {

void LoadLngText(const std::string& code) {
  const auto bytes = vb::LoadResData(code, "custom");
  const std::string text(bytes.begin(), bytes.end());
  for (const std::string& line : vb::Split(text, vb::vbCrLf)) {
    const int32_t p = vb::InStr(line, "=");
    if (p == 0) continue;
    const std::string key = vb::LCase(vb::Left(line, p - 1));
    if (!vb::IsNumeric(key)) continue;
    const double n = vb::Val(key);
    // The table has no slot for other keys.
    if (n < 0 || n >= LngTextCount || n != static_cast<int>(n)) continue;
    LngText[static_cast<size_t>(n)] = vb::Replace(vb::Mid(line, p + 1), "\\n", vb::vbCrLf);
  }
}

void SaveResToFile(const std::string& resId, const std::string& resType,
                   const std::string& fileName) {
  std::string file = fileName;
  mdlFenwoZantiro::objFile.DeleteFile(file);
  try {
    const auto bytes = vb::LoadResData(resId, resType);
    win::WriteWholeFile(fileName, std::string(bytes.begin(), bytes.end()));
  } catch (const vb::ResourceNotFound&) {
  }
}

}  // namespace mdlLumtak
