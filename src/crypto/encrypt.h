// Text <-> upper-case hexadecimal of its Blowfish-CBC encryption under the
// program's fixed key and vector: the stored form of settings and log lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dw {

// Encrypts (decrypts) `length div 8` blocks of `area` in place; the chain
// starts from the fixed vector on every call.
void EncryptBuffer(std::uint8_t* area, std::size_t length);
void DecryptBuffer(std::uint8_t* area, std::size_t length);

// n bytes of text, zero-filled to (n div 8) * 8 + 16 bytes, as 2L hex digits.
// Any length is processed whole.
std::string EncryptString(std::string_view text);

// Never fails: input that is not EncryptString's output gives meaningless
// characters up to the first zero byte. Lower-case digits are accepted.
std::string DecryptString(std::string_view hex);

// The text only when `hex` is whole EncryptString output: its length fits
// the text and the zero fill came back intact. A damaged value, or one
// written in another form, gives nullopt instead of meaningless characters.
std::optional<std::string> DecryptIntact(std::string_view hex);

}  // namespace dw
