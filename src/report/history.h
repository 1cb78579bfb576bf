// The program's own memory for support: the last connect attempts, of this
// run and the ones before, and the update server's last answer.
//
// Kept under HKEY_CURRENT_USER\Software\Korvana\Dialwave\Support, each
// record a text value encrypted as the settings are. Not beside the settings
// in HKEY_LOCAL_MACHINE: on 2000 and XP a user who is no administrator may
// not write there, and those are the subscribers whose dials fail most; every
// user may write his own hive on every generation, and the report is made by
// the user who dialled. Not in a file: the system writes a value whole or
// not at all, so a crash or a full disk never leaves half a record behind.
//
// Bounded: 20 values "Attempt00".."Attempt19", the attempt numbered n in
// value n mod 20, each field cut to its size (APN and number 128 bytes, the
// system's text 511): each value stays far below the 16,300 bytes a 9x value
// may hold, the ring far below a 9x key's 64 KB.
//
// Damage: a value that is not text, does not decrypt intact, does not parse,
// or carries a number that is not its slot's or is repeated makes the ring
// damaged. Reading says so and shows what it could read; the next record
// starts the ring afresh and notes when ("Restarted"), so a later report
// still says so. One writer at a time (the dial thread).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/registry.h"
#include "ras/records.h"

namespace dw::report {

inline constexpr RegistryRoot kHistoryRoot = RegistryRoot::kCurrentUser;
inline constexpr std::string_view kHistoryKeyPath = "\\Software\\Korvana\\Dialwave\\Support";
inline constexpr std::size_t kAttemptsKept = 20;
inline constexpr std::size_t kMaxApn = 128;
inline constexpr std::size_t kMaxNumber = 128;
inline constexpr std::size_t kMaxErrorText = 511;

// One dial of one APN and number. Texts are code page 1251.
struct ConnectAttempt {
  LocalDateTime time;     // when the dial started, local time
  std::string apn;
  std::string number;
  ras::Dword code = 0;    // the RAS result; 0: it connected
  std::string errorText;  // the system's text for `code`
};

struct AttemptHistory {
  std::vector<ConnectAttempt> attempts;  // oldest first, at most kAttemptsKept
  bool damaged = false;  // some of it could not be read; started afresh at the next record
  std::optional<LocalDateTime> restartedAt;  // when damage last made it start afresh
};

// Never fails: a missing key is an empty history.
AttemptHistory LoadAttempts(const Registry& registry);
// Adds `attempt` as the newest, in place of the oldest once 20 are kept; a
// damaged ring is started afresh first. False when it could not be written.
bool RecordAttempt(Registry& registry, const ConnectAttempt& attempt);

struct UpdateAnswer {
  LocalDateTime time;
  std::string result;  // code page 1251, cut to 511 bytes
};
struct StoredUpdateAnswer {
  std::optional<UpdateAnswer> answer;  // nullopt: none stored (or damaged)
  bool damaged = false;
};

// The update path's setter: the last answer replaces the one before.
bool StoreUpdateAnswer(Registry& registry, const UpdateAnswer& answer);
StoredUpdateAnswer LoadUpdateAnswer(const Registry& registry);

// "YYYY-MM-DD HH:MM:SS", the stored form; nullopt for anything else.
std::string StoredTime(const LocalDateTime& time);
std::optional<LocalDateTime> ParseStoredTime(std::string_view text);

}  // namespace dw::report
