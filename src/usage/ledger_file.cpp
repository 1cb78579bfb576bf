#include "usage/ledger_file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace dw::usage {
namespace {

// Slot layout (little-endian); docs/usage-file.md is its description.
constexpr std::size_t kVersionAt = 4;
constexpr std::size_t kSequenceAt = 8;
constexpr std::size_t kCountAt = 16;
constexpr std::size_t kMarksPeriodAt = 20;
constexpr std::size_t kMarksAllowanceAt = 24;
constexpr std::size_t kMarksFlagsAt = 28;
constexpr std::size_t kWrittenDayAt = 32;
constexpr std::size_t kWrittenMsAt = 36;
constexpr std::size_t kCrcAt = kSlotBytes - 4;

constexpr std::uint32_t kWarned80 = 1;
constexpr std::uint32_t kWarned100 = 2;
constexpr std::uint32_t kConnectAnyway = 4;
constexpr std::uint32_t kKnownFlags = kWarned80 | kWarned100 | kConnectAnyway;

// Eight bytes a step (slicing-by-8): a start reads two 16 KiB slots, and
// the tables are made at run time so that they cost the download nothing.
struct CrcTables {
  std::uint32_t t[8][256];
};

const CrcTables& Tables() {
  static const CrcTables tables = [] {
    CrcTables made{};
    auto& t = made.t;
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][i] = c;
    }
    for (std::size_t k = 1; k < 8; ++k) {
      for (std::size_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    }
    return made;
  }();
  return tables;
}

std::uint32_t Word(const unsigned char* p) {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint32_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
  } else {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
  }
}

// Little-endian fields; a plain copy where the machine is little-endian
// (every target), byte by byte elsewhere.
template <typename T>
void Put(std::string& out, std::size_t at, T value) {
  char* p = out.data() + at;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &value, sizeof value);
  } else {
    for (std::size_t i = 0; i < sizeof value; ++i) p[i] = static_cast<char>(value >> (8 * i));
  }
}

template <typename T>
T Get(std::string_view in, std::size_t at) {
  T value = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&value, in.data() + at, sizeof value);
  } else {
    for (std::size_t i = 0; i < sizeof value; ++i) {
      value |= static_cast<T>(static_cast<T>(static_cast<unsigned char>(in[at + i])) << (8 * i));
    }
  }
  return value;
}

Day GetDay(std::string_view in, std::size_t at) {
  return static_cast<Day>(Get<std::uint32_t>(in, at));
}

bool AllZero(std::string_view bytes) {
  // A word at a time: the unused room of a slot is most of it.
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, sizeof word);
    if (word != 0) return false;
  }
  for (; i < bytes.size(); ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

}  // namespace

std::uint32_t Crc32(std::string_view bytes) {
  const auto& t = Tables().t;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  std::uint32_t c = 0xFFFFFFFFu;
  for (; n >= 8; n -= 8, p += 8) {
    const std::uint32_t low = c ^ Word(p);
    const std::uint32_t high = Word(p + 4);
    c = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
        t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
  }
  for (; n > 0; --n, ++p) c = t[0][(c ^ *p) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::string EncodeSlot(const Ledger& ledger, std::uint64_t sequence, WrittenAt written) {
  std::string slot(kSlotBytes, '\0');
  std::memcpy(slot.data(), kSlotMagic, sizeof kSlotMagic);
  Put<std::uint16_t>(slot, kVersionAt, kFormatVersion);
  Put<std::uint64_t>(slot, kSequenceAt, sequence);
  const auto& days = ledger.Days();
  const std::size_t count = std::min(days.size(), kMaxDays);
  Put(slot, kCountAt, static_cast<std::uint32_t>(count));
  const BudgetMarks& m = ledger.marks;
  Put(slot, kMarksPeriodAt, static_cast<std::uint32_t>(m.period));
  Put<std::uint32_t>(slot, kMarksAllowanceAt, m.allowanceMb);
  const std::uint32_t flags = (m.warned80 ? kWarned80 : 0) | (m.warned100 ? kWarned100 : 0) |
                              (m.connectAnyway ? kConnectAnyway : 0);
  Put(slot, kMarksFlagsAt, flags);
  Put(slot, kWrittenDayAt, static_cast<std::uint32_t>(written.day));
  Put<std::uint32_t>(slot, kWrittenMsAt, written.msOfDay);
  std::size_t at = kSlotHeaderBytes;
  for (std::size_t i = days.size() - count; i < days.size(); ++i) {
    Put(slot, at, static_cast<std::uint32_t>(days[i].day));
    Put<std::uint64_t>(slot, at + 4, days[i].usage.received);
    Put<std::uint64_t>(slot, at + 12, days[i].usage.sent);
    Put<std::uint64_t>(slot, at + 20, days[i].usage.connectedMs);
    at += kDayRecordBytes;
  }
  Put(slot, kCrcAt, Crc32(std::string_view(slot).substr(0, kCrcAt)));
  return slot;
}

Slot DecodeSlot(std::string_view bytes) {
  Slot slot;
  if (bytes.size() > kSlotBytes) bytes = bytes.substr(0, kSlotBytes);
  if (AllZero(bytes)) return slot;  // never written (or nothing there)
  slot.state = SlotState::kDamaged;
  if (bytes.size() < kSlotBytes || std::memcmp(bytes.data(), kSlotMagic, sizeof kSlotMagic) != 0) {
    return slot;
  }
  if (Get<std::uint32_t>(bytes, kCrcAt) != Crc32(bytes.substr(0, kCrcAt))) return slot;
  // Every version keeps magic, version, sequence and the CRC where they are.
  slot.version = Get<std::uint16_t>(bytes, kVersionAt);
  slot.sequence = Get<std::uint64_t>(bytes, kSequenceAt);
  if (slot.version > kFormatVersion) {
    slot.state = SlotState::kNewerVersion;
    return slot;
  }
  if (slot.version != kFormatVersion) return slot;

  const std::uint64_t count = Get<std::uint32_t>(bytes, kCountAt);
  const auto flags = Get<std::uint32_t>(bytes, kMarksFlagsAt);
  if (count > kMaxDays || (flags & ~kKnownFlags) != 0) return slot;
  std::vector<DayUsage> days;
  days.reserve(static_cast<std::size_t>(count));
  for (std::size_t i = 0, at = kSlotHeaderBytes; i < count; ++i, at += kDayRecordBytes) {
    days.push_back({GetDay(bytes, at),
                    {Get<std::uint64_t>(bytes, at + 4), Get<std::uint64_t>(bytes, at + 12),
                     Get<std::uint64_t>(bytes, at + 20)}});
  }
  // Unused room stays zero; days come in order, each once.
  if (!AllZero(bytes.substr(kSlotHeaderBytes + count * kDayRecordBytes,
                            kCrcAt - kSlotHeaderBytes - count * kDayRecordBytes)) ||
      !slot.ledger.Assign(std::move(days))) {
    return slot;
  }
  slot.ledger.marks.period = GetDay(bytes, kMarksPeriodAt);
  slot.ledger.marks.allowanceMb = Get<std::uint32_t>(bytes, kMarksAllowanceAt);
  slot.ledger.marks.warned80 = (flags & kWarned80) != 0;
  slot.ledger.marks.warned100 = (flags & kWarned100) != 0;
  slot.ledger.marks.connectAnyway = (flags & kConnectAnyway) != 0;
  slot.written.day = GetDay(bytes, kWrittenDayAt);
  slot.written.msOfDay = Get<std::uint32_t>(bytes, kWrittenMsAt);
  slot.state = SlotState::kIntact;
  return slot;
}

LedgerImage DecodeFile(std::string_view bytes) {
  const std::string_view first = bytes.substr(0, std::min(bytes.size(), kSlotBytes));
  const std::string_view second =
      bytes.size() > kSlotBytes ? bytes.substr(kSlotBytes, kSlotBytes) : std::string_view();
  Slot slots[2] = {DecodeSlot(first), DecodeSlot(second)};

  LedgerImage image;
  for (const Slot& slot : slots) {
    if (slot.state == SlotState::kNewerVersion) {
      // Never read around a newer program's data, nor write over it.
      image.state = FileState::kNewerVersion;
      image.version = slot.version;
      return image;
    }
  }
  const bool intact[2] = {slots[0].state == SlotState::kIntact,
                          slots[1].state == SlotState::kIntact};
  if (!intact[0] && !intact[1]) {
    image.state = slots[0].state == SlotState::kEmpty && slots[1].state == SlotState::kEmpty
                      ? FileState::kEmpty
                      : FileState::kDamaged;
    return image;
  }
  const int newest = !intact[1] || (intact[0] && slots[0].sequence > slots[1].sequence) ? 0 : 1;
  Slot& chosen = slots[newest];
  image.state = FileState::kIntact;
  image.slot = newest;
  image.sequence = chosen.sequence;
  image.version = chosen.version;
  image.otherDamaged = slots[1 - newest].state == SlotState::kDamaged;
  image.written = chosen.written;
  image.ledger = std::move(chosen.ledger);
  return image;
}

}  // namespace dw::usage
