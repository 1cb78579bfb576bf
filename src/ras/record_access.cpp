#include "ras/record_access.h"

#include <algorithm>
#include <cstring>

namespace dw::ras {

std::string ReadField(const std::vector<std::uint8_t>& record, std::size_t offset,
                      std::size_t fieldSize) {
  if (offset >= record.size()) return {};
  const std::size_t end = std::min(record.size(), offset + fieldSize);
  const auto first = record.begin() + static_cast<std::ptrdiff_t>(offset);
  const auto last = std::find(first, record.begin() + static_cast<std::ptrdiff_t>(end), 0);
  return std::string(first, last);
}

void WriteField(std::vector<std::uint8_t>& record, std::size_t offset, std::size_t fieldSize,
                std::string_view text) {
  if (offset >= record.size() || fieldSize == 0) return;
  const std::size_t room = std::min(fieldSize, record.size() - offset);
  std::memset(record.data() + offset, 0, room);
  const std::size_t n = std::min(text.size(), room - 1);
  std::memcpy(record.data() + offset, text.data(), n);
}

Dword ReadDword(const std::vector<std::uint8_t>& record, std::size_t offset) {
  Dword value = 0;
  if (offset + sizeof value <= record.size()) std::memcpy(&value, record.data() + offset, sizeof value);
  return value;
}

void WriteDword(std::vector<std::uint8_t>& record, std::size_t offset, Dword value) {
  if (offset + sizeof value <= record.size()) std::memcpy(record.data() + offset, &value, sizeof value);
}

Dword SystemElementSize(Dword bytes, Dword count, Dword stride) {
  if (count == 0) return stride;
  return static_cast<Dword>((std::uint64_t{bytes} * 2 + count) / (std::uint64_t{count} * 2));
}

std::vector<std::uint8_t> SystemSizedArray(Dword bytes, Dword count, Dword stride) {
  const std::size_t room =
      std::max<std::size_t>({std::size_t{count} * stride, bytes, sizeof(Dword)});
  std::vector<std::uint8_t> array(room, 0);
  WriteDword(array, 0, SystemElementSize(bytes, count, stride));
  return array;
}

}  // namespace dw::ras
