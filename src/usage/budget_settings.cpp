#include "usage/budget_settings.h"

namespace dw::usage {
namespace {

std::optional<std::uint64_t> Decimal(std::string_view text, std::uint64_t max) {
  if (text.empty() || text.size() > 12) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > max) return std::nullopt;
  return value;
}

}  // namespace

std::optional<int> BillingDayFromText(std::string_view text) {
  const auto value = Decimal(text, 31);
  if (!value || *value == 0) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<std::uint32_t> AllowanceFromText(std::string_view text) {
  const auto value = Decimal(text, kMaxAllowanceMb);
  if (!value) return std::nullopt;
  return static_cast<std::uint32_t>(*value);
}

std::optional<bool> FlagFromText(std::string_view text) {
  if (text == "1") return true;
  if (text == "0") return false;
  return std::nullopt;
}

}  // namespace dw::usage
