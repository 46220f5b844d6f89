#include "viewer/mdlLumtak.h"

#include "platform/fs.h"
#include "runtime/resources.h"

namespace mdlLumtak {

void LoadLngText(const std::string& code) {
  mdlFenwoZantiro::LoadLngText(code, LngTextCount);
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
