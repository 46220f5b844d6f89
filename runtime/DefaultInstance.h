// The one instance of a window that a program uses, made on first use (as the runtime makes a
// form's default instance when code first names it).
#pragma once
#include <memory>

namespace vb {

template <class T>
class DefaultInstance {
 public:
  static T& Default() {
    if (!slot()) slot().reset(new T);
    return *slot();
  }
  // The instance when it has been made, else nullptr.
  static T* Made() { return slot().get(); }
  // Destroys the instance (at program end, and between tests).
  static void Release() { slot().reset(); }

 private:
  static std::unique_ptr<T>& slot() {
    static std::unique_ptr<T> instance;
    return instance;
  }
};

}  // namespace vb
