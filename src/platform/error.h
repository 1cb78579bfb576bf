// The base of the program's own exceptions. The runtime's std::runtime_error
// family keeps its text in a second, reference-counted string type, and using
// any of them links both string implementations into the exe (some 90 KB of
// a download subscribers make over GPRS); this one keeps a plain std::string.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace dw {

class Error : public std::exception {
 public:
  explicit Error(std::string message) : message_(std::move(message)) {}
  explicit Error(const char* message) : message_(message) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

}  // namespace dw
