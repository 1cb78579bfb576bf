// Reading and writing records as bytes: fixed text fields that are never
// overrun, and arrays sized by the system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ras/records.h"

namespace dw::ras {

// The text of the field [offset, offset + fieldSize) of `record`, up to its
// first zero; clipped to the record, so a field without a zero is read only
// to its end.
std::string ReadField(const std::vector<std::uint8_t>& record, std::size_t offset,
                      std::size_t fieldSize);
// Writes `text` into the field, cut to fieldSize - 1 bytes and always
// zero-terminated; the rest of the field is zeroed. Nothing outside the record.
void WriteField(std::vector<std::uint8_t>& record, std::size_t offset, std::size_t fieldSize,
                std::string_view text);

Dword ReadDword(const std::vector<std::uint8_t>& record, std::size_t offset);
void WriteDword(std::vector<std::uint8_t>& record, std::size_t offset, Dword value);

// b / n rounded to the nearest integer (halves up); `stride` when n is 0.
Dword SystemElementSize(Dword bytes, Dword count, Dword stride);

// A zeroed array for `count` records of `stride` bytes, never smaller than
// `bytes`, whose first dwSize is the system's element size.
std::vector<std::uint8_t> SystemSizedArray(Dword bytes, Dword count, Dword stride);

}  // namespace dw::ras
