// The budget's settings as they are stored with the program's other
// settings: the billing day, the allowance, the disconnect option, and the
// rules for their stored texts. Apart from the rest of the budget so that
// the settings store takes only this into the program.
//
// A megabyte is 2^20 = 1,048,576 bytes everywhere in Dialwave, as the
// traffic display's K (1024 bytes) and M.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace dw::usage {

inline constexpr int kDefaultBillingDay = 1;
inline constexpr std::uint64_t kBytesPerMegabyte = 1u << 20;
// About ten terabytes: far beyond any tariff, and the arithmetic stays exact.
inline constexpr std::uint32_t kMaxAllowanceMb = 10'000'000;

// 1 to 31; anything else is the default.
constexpr int ValidBillingDay(int billingDay) {
  return billingDay >= 1 && billingDay <= 31 ? billingDay : kDefaultBillingDay;
}

struct BudgetSettings {
  int billingDay = kDefaultBillingDay;  // 1 to 31
  std::uint32_t allowanceMb = 0;        // 0: no allowance, no guard
  bool disconnectWhenUsedUp = false;

  std::uint64_t AllowanceBytes() const { return allowanceMb * kBytesPerMegabyte; }
  bool operator==(const BudgetSettings&) const = default;
};

// The stored texts (decimal digits only, no sign or blank); nullopt when
// the text is not a value in range, and the caller keeps its default.
std::optional<int> BillingDayFromText(std::string_view text);
std::optional<std::uint32_t> AllowanceFromText(std::string_view text);
// "1" or "0".
std::optional<bool> FlagFromText(std::string_view text);

}  // namespace dw::usage
