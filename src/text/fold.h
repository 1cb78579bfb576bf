// Letter case and blanks of the program's 1251 text, the one definition the
// modem names, the install folder, the server's answers and the dialogs share.
#pragma once

#include <string>
#include <string_view>

namespace dw {

// Lower case in code page 1251: Latin, Cyrillic А-Я and Ё.
unsigned char FoldCase1251(unsigned char c);
bool SameIgnoringCase1251(std::string_view a, std::string_view b);

// Latin letters only, for protocol words ("OK", "Content-Length").
std::string AsciiUpper(std::string_view text);

// Blanks and control characters (bytes up to the space), as the framework
// trims; 1251 letters are above 0x7F and stay.
bool IsBlank(char c);
std::string_view TrimBlanks(std::string_view text);

}  // namespace dw
