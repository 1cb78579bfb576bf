// Numbers as text without the C library's printf, whose mingw-w64 form
// (with its floating-point formatting) would add some 28 KB to a download
// subscribers make over GPRS.
#pragma once

#include <cstdint>
#include <string>

namespace dw::report {

// `value` in decimal, zero-padded on the left to `width` digits.
inline void AppendDigits(std::string& out, std::uint64_t value, int width = 1) {
  char digits[24];
  char* p = digits + sizeof digits;
  do {
    *--p = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0 && p > digits);
  while (digits + sizeof digits - p < width && p > digits) *--p = '0';
  out.append(p, digits + sizeof digits);
}

}  // namespace dw::report
