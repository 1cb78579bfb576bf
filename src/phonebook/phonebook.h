// The operator's phone-book entry: found, repaired or created before every
// dial, through the RAS bindings of the running generation.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dw::phonebook {

// An entry's property record (RASENTRY) as bytes, sized by the system; its
// dwSize is its first field. Owned by whoever holds the vector.
using EntryRecord = std::vector<std::uint8_t>;

// The numbers the operator's service answers on, in the order they are tried.
inline constexpr std::array<std::string_view, 2> KnownPhoneNumbers = {"*99***1#", "*99#"};
bool IsKnownPhoneNumber(std::string_view number);

// Ends with a usable entry for `modem`: the remembered `entryName` repaired,
// another entry of the modem adopted, or a new one created (`entryName`
// changes in the last two cases, empty when saving failed). Nothing after a
// caught error (logged). Uses the generation of the current RAS context.
std::optional<EntryRecord> CheckConnName(const std::string& modem, std::string& entryName);

}  // namespace dw::phonebook
