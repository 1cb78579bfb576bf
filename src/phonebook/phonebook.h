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

// The RAS login the operator's entries are dialled with (user and password).
inline constexpr std::string_view kOperatorLogin = "pvlok";
inline constexpr std::string_view kFirstEntryName = "Korvana";
inline constexpr std::string_view kEntryNamePrefix = "Korvana_";
inline constexpr int kMaxNameValidations = 999;

// How saving an entry went. kRefused: RAS answered ERROR_ACCESS_DENIED (5),
// "the user does not have the correct privileges; only an administrator
// can complete this task" (RasSetEntryProperties' documented answer), as
// a standard user meets it from Vista on.
enum class EntrySave { kSaved, kRefused, kFailed };

// Ends with a usable entry for `modem`: the remembered `entryName` repaired,
// another entry of the modem adopted, or a new one created (`entryName`
// changes in the last two cases, empty when saving failed). Nothing after a
// caught error (logged). Uses the generation of the current RAS context.
// `saved`, when given, says how saving the entry went.
std::optional<EntryRecord> CheckConnName(const std::string& modem, std::string& entryName,
                                         EntrySave* saved = nullptr);

// The first entry in phone-book order that uses `modem` (exact name) and has
// the operator's login or none saved. True with `entryName` and `record` set
// to it; both untouched otherwise. Never fails its caller.
bool FindAnotherConn(const std::string& modem, std::string& entryName, EntryRecord& record);

// Writes the operator's settings for the generation into `record` (the
// number only when `forceNumber` or when it is not a known one) and saves it
// as `entryName`, creating the entry when there is none. True when saved.
// Never fails its caller.
bool RepairProp(EntryRecord& record, const std::string& entryName, const std::string& modem,
                bool forceNumber);
// The same, telling a refusal apart.
EntrySave RepairEntry(EntryRecord& record, const std::string& entryName, const std::string& modem,
                      bool forceNumber);

// A new entry for `modem` under a fresh name: `record` becomes its record
// (whatever it held before is released) and `entryName` its name, or empty
// when the entry was not saved. Never fails its caller. How the save went.
EntrySave CreateConnection(const std::string& modem, EntryRecord& record, std::string& entryName);

// "Korvana", else "Korvana_1", "Korvana_2", ... as the phone book allows;
// after kMaxNameValidations answers without success, the last name set.
// Raises ras::RasError when the library lacks RasValidateEntryNameA.
std::string ValidateEntryName();

}  // namespace dw::phonebook
