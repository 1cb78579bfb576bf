// Code page 1251, the program's text encoding: RAS, the registry, the log and
// the encryption all see 1251 bytes. The UI converts at the last moment, with
// this table rather than the machine's ANSI code page, so Russian shows right
// on any Windows.
#pragma once

#include <string>
#include <string_view>

namespace dw {

// UTF-16 of 1251 bytes; every byte has a character, so nothing is lost.
std::u16string Cp1251ToUtf16(std::string_view text);

// 1251 of UTF-16; a character the code page lacks becomes '?'.
std::string Utf16ToCp1251(std::u16string_view text);

// 1251 of UTF-8 (the source files' encoding); bad sequences become '?'.
std::string Utf8ToCp1251(std::string_view text);

// UTF-8 of 1251 bytes, for terminals and test messages.
std::string Cp1251ToUtf8(std::string_view text);

}  // namespace dw
