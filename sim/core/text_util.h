// Small text helpers shared by the simulator's parsers and printers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dw::sim {

bool EqualsNoCase(std::string_view a, std::string_view b);
std::string Trim(std::string_view text);
std::vector<std::string> SplitLines(const std::string& text);
// A decimal number that fits in 64 bits; nullopt for anything else.
std::optional<std::uint64_t> ParseNumber(std::string_view text);
std::optional<std::int64_t> ParseSigned(std::string_view text);
std::string ToHex(const std::vector<std::uint8_t>& bytes);
std::optional<std::vector<std::uint8_t>> FromHex(std::string_view hex);

// The text of a fixed field up to its terminator; a caller's field may lack
// one, and then the whole field is the text.
std::string FieldText(const char* field, std::size_t capacity);
// Copies `text` into a field, cut to `capacity` - 1 characters, terminated.
void SetField(char* field, std::size_t capacity, std::string_view text);

template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  return FieldText(field, N);
}
template <std::size_t N>
void SetField(char (&field)[N], std::string_view text) {
  SetField(field, N, text);
}

}  // namespace dw::sim
