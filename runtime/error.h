// Run-time errors raised by the forms layer, with the runtime's error numbers.
#pragma once
#include <stdexcept>
#include <string>

namespace vb {

class Error : public std::runtime_error {
 public:
  Error(int number, const std::string& description)
      : std::runtime_error(description), Number(number) {}
  int Number;
};

// The numbers the forms layer raises.
enum : int {
  vbErrTypeMismatch = 13,        // a stored value that does not read as the asked type
  vbErrFileNotFound = 53,
  vbErrObjectNotSet = 91,        // a picture that is Nothing asked for its pixels
  vbErrInvalidProperty = 380,
  vbErrInvalidPicture = 481,     // LoadPicture of a format it does not read (PNG)
  vbErrNoSuchControl = 730,      // Form::Ctl of a name the window does not hold
};

}  // namespace vb
