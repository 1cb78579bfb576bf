#include "text/texts.h"

#include <array>

#include "text/cp1251.h"

namespace dw {
namespace {

constexpr std::string_view kUtf8[] = {
#define DW_TEXT_UTF8(id, utf8) utf8,
    DW_TEXTS(DW_TEXT_UTF8)
#undef DW_TEXT_UTF8
};
static_assert(std::size(kUtf8) == static_cast<std::size_t>(TextId::Count));

}  // namespace

const std::string& Text(TextId id) {
  // Converted once; static initialisation is thread-safe. Never destroyed:
  // a worker the program left behind may still read a text while the
  // process exits.
  using Table = std::array<std::string, std::size(kUtf8)>;
  static const Table* const kCp1251 = [] {
    auto* table = new Table;
    for (std::size_t i = 0; i < table->size(); ++i) (*table)[i] = Utf8ToCp1251(kUtf8[i]);
    return table;
  }();
  return (*kCp1251)[static_cast<std::size_t>(id)];
}

std::string_view TextUtf8(TextId id) { return kUtf8[static_cast<std::size_t>(id)]; }

}  // namespace dw
