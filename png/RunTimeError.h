// A run-time failure inside the PNG reader: it ends OpenPNG and reaches its caller, which may
// ignore it. Number is the runtime's error number (6 overflow, 9 subscript, 53 file not found,
// 91 no object ...).
#pragma once
#include <stdexcept>
#include <string>

class RunTimeError : public std::runtime_error {
 public:
  RunTimeError(int number, const std::string& what) : std::runtime_error(what), Number(number) {}
  int Number;
};
