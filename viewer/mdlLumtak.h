// The viewer's module: its text table and writing a resource out to a file.
#pragma once
#include <array>
#include <string>

namespace mdlLumtak {

// Text n of the current language, line breaks made; slot 0 stays empty.
inline constexpr int LngTextCount = 46;
extern std::array<std::string, LngTextCount> LngText;

// Fills LngText from the language resource named by code ("en", "gb", "tw"; any case).
// Entries the resource does not hold keep their text. Throws vb::ResourceNotFound when the
// program carries no resource of that name.
void LoadLngText(const std::string& code);

// Writes the bytes of a resource to a file, replacing it. Errors are ignored.
void SaveResToFile(const std::string& resId, const std::string& resType,
                   const std::string& fileName);

}  // namespace mdlLumtak
