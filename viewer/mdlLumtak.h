// The viewer's module: its text table and writing a resource out to a file.
#pragma once
#include <string>

#include "foundation/mdlFenwoZantiro.h"

namespace mdlLumtak {

// Text n of the current language, line breaks made; the viewer uses the slots 1 to 45 of the
// shared table (which the about and donation windows read too); slot 0 stays empty.
inline constexpr int LngTextCount = 46;
inline auto& LngText = mdlFenwoZantiro::LngText;

// Fills LngText from the language resource named by code ("en", "gb", "tw"; any case).
// Entries the resource does not hold keep their text. Throws vb::ResourceNotFound when the
// program carries no resource of that name.
void LoadLngText(const std::string& code);

// Writes the bytes of a resource to a file, replacing it. Errors are ignored.
void SaveResToFile(const std::string& resId, const std::string& resType,
                   const std::string& fileName);

}  // namespace mdlLumtak
