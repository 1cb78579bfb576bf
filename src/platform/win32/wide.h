// Code page 1251 texts of the core as UTF-16 for the W functions.
#pragma once

#include <string>
#include <string_view>

#include "text/cp1251.h"
#include "text/texts.h"

namespace dw {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is UTF-16");

inline std::wstring Wide(std::string_view cp1251) {
  const std::u16string u = Cp1251ToUtf16(cp1251);
  return std::wstring(u.begin(), u.end());
}

inline std::wstring Wide(TextId id) { return Wide(Text(id)); }

inline std::string Narrow(std::wstring_view wide) {
  return Utf16ToCp1251(std::u16string(wide.begin(), wide.end()));
}

}  // namespace dw
