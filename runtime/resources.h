// Resources built into the program: the language tables and the hand cursor.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vb {

// Raised when a program carries no resource of that name and type (the runtime's error 326).
class ResourceNotFound : public std::runtime_error {
 public:
  ResourceNotFound(const std::string& name, const std::string& type);
  static constexpr int Number = 326;
};

// The bytes of the resource `name` of type `type`, as the runtime's LoadResData gives them.
// Names and types compare without regard to case ("tw" finds "TW", "Custom" finds "CUSTOM").
// A resource is a file of the program's Qt resources under ":/res/<TYPE>/<NAME>", both in
// upper case. Throws ResourceNotFound when there is none.
std::vector<std::uint8_t> LoadResData(const std::string& name, const std::string& type);

}  // namespace vb
