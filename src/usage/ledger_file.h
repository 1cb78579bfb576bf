// The ledger file's bytes (docs/usage-file.md): two fixed-size slots, each a
// whole copy of the ledger with a sequence number and a CRC-32. A write
// replaces the older slot only, so a cut anywhere in it leaves the newer one
// intact.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "usage/ledger.h"

namespace dw::usage {

inline constexpr char kSlotMagic[4] = {'D', 'W', 'U', 'L'};
inline constexpr std::uint16_t kFormatVersion = 1;
inline constexpr std::size_t kSlotBytes = 16384;
inline constexpr std::size_t kFileBytes = 2 * kSlotBytes;
inline constexpr std::size_t kSlotHeaderBytes = 40;
inline constexpr std::size_t kDayRecordBytes = 28;
static_assert(kSlotHeaderBytes + kMaxDays * kDayRecordBytes + 4 <= kSlotBytes);

// CRC-32 as zip and PNG compute it (reflected, polynomial 0xEDB88320).
std::uint32_t Crc32(std::string_view bytes);

// When a slot was written, for support staff; no reader depends on it.
struct WrittenAt {
  Day day = 0;
  std::uint32_t msOfDay = 0;
};

// One whole slot (kSlotBytes). A ledger of more than kMaxDays days keeps its
// newest kMaxDays.
std::string EncodeSlot(const Ledger& ledger, std::uint64_t sequence, WrittenAt written = {});

enum class SlotState {
  kEmpty,  // all zeros, or nothing there: never written
  kIntact,
  kDamaged,       // anything else: torn, flipped, truncated, not ours
  kNewerVersion,  // intact framing of a format this program does not know
};

struct Slot {
  SlotState state = SlotState::kEmpty;
  std::uint16_t version = 0;
  std::uint64_t sequence = 0;
  WrittenAt written;
  Ledger ledger;
};

Slot DecodeSlot(std::string_view bytes);

enum class FileState {
  kEmpty,         // no slot was ever written: a new ledger
  kIntact,        // `ledger` is the newest intact slot
  kDamaged,       // neither slot is intact
  kNewerVersion,  // a slot of a newer format: a newer Dialwave's file
};

struct LedgerImage {
  FileState state = FileState::kEmpty;
  int slot = -1;  // kIntact: which slot (0 or 1) holds the newest copy
  std::uint64_t sequence = 0;
  std::uint16_t version = 0;  // kNewerVersion: the newer format's number
  bool otherDamaged = false;  // kIntact: the other slot is neither intact nor empty
  WrittenAt written;
  Ledger ledger;
};

// The file's bytes (kFileBytes; a shorter file is read as far as it goes).
LedgerImage DecodeFile(std::string_view bytes);

}  // namespace dw::usage
