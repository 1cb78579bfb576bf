#include "crypto/encrypt.h"

#include <algorithm>
#include <vector>

#include "crypto/blowfish.h"

namespace dw {
namespace {

constexpr std::uint8_t kKey[8] = {0x5A, 0xC3, 0x17, 0xE8, 0x42, 0x9D, 0x06, 0xB1};
constexpr std::uint8_t kVector[8] = {0x5A, 0xC3, 0x17, 0xE8, 0x42, 0x9D, 0x06, 0xB1};

// Always 9..16 zero bytes follow the text.
std::size_t PaddedLength(std::size_t n) { return (n / 8) * 8 + 16; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The key schedule of the fixed key, made once: it costs 521 block
// encryptions, more than most texts. Every call still works on its own copy.
const BlowfishContext& FixedKeySchedule() {
  static const BlowfishContext schedule = [] {
    BlowfishContext ctx;
    BlowfishSetup(ctx, kKey, sizeof kKey, kVector);
    return ctx;
  }();
  return schedule;
}

}  // namespace

void EncryptBuffer(std::uint8_t* area, std::size_t length) {
  BlowfishContext ctx = FixedKeySchedule();
  for (std::size_t i = 0; i + 8 <= length; i += 8) {
    BlowfishEncryptChained(ctx, area + i, area + i);
  }
}

void DecryptBuffer(std::uint8_t* area, std::size_t length) {
  BlowfishContext ctx = FixedKeySchedule();
  for (std::size_t i = 0; i + 8 <= length; i += 8) {
    BlowfishDecryptChained(ctx, area + i, area + i);
  }
}

std::string EncryptString(std::string_view text) {
  const std::size_t length = PaddedLength(text.size());
  std::vector<std::uint8_t> area(length, 0);
  std::copy(text.begin(), text.end(), area.begin());
  EncryptBuffer(area.data(), length);

  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(2 * length);
  for (std::uint8_t b : area) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0x0F];
  }
  return hex;
}

std::string DecryptString(std::string_view hex) {
  const std::size_t length = PaddedLength(hex.size());
  std::vector<std::uint8_t> area(length, 0);
  for (std::size_t i = 0; i < length && 2 * i + 1 < hex.size(); ++i) {
    const int high = HexValue(hex[2 * i]);
    const int low = HexValue(hex[2 * i + 1]);
    if (high < 0 || low < 0) break;
    area[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  DecryptBuffer(area.data(), length);
  const auto end = std::find(area.begin(), area.end(), 0);
  return std::string(area.begin(), end);
}

std::optional<std::string> DecryptIntact(std::string_view hex) {
  const std::size_t length = hex.size() / 2;
  if (hex.size() % 2 != 0 || length < 16 || length % 8 != 0) return std::nullopt;
  std::vector<std::uint8_t> area(length, 0);
  for (std::size_t i = 0; i < length; ++i) {
    const int high = HexValue(hex[2 * i]);
    const int low = HexValue(hex[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    area[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  DecryptBuffer(area.data(), length);
  const auto end = std::find(area.begin(), area.end(), 0);
  const auto n = static_cast<std::size_t>(end - area.begin());
  if (PaddedLength(n) != length || std::any_of(end, area.end(), [](std::uint8_t b) { return b != 0; })) {
    return std::nullopt;
  }
  return std::string(area.begin(), end);
}

}  // namespace dw
