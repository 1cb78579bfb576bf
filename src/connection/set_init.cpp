#include "connection/set_init.h"

#include "modem/modems.h"
#include "ras/records.h"
#include "update/update_client.h"

namespace dw {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

std::string ToHex(std::string_view bytes) {
  std::string hex;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> FromHex(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = DigitValue(hex[i]);
    const int low = DigitValue(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
  }
  return bytes;
}

// A name RAS could list: not empty, no longer than its field, no control
// characters (a zero would cut the name short in the registry).
bool IsModemName(std::string_view name) {
  if (name.empty() || name.size() > ras::kMaxDeviceName) return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 32) return false;
  }
  return true;
}

}  // namespace

bool IsSetInit(const std::vector<std::string>& arguments) {
  return !arguments.empty() && arguments[0] == kSetInitSwitch;
}

std::optional<SetInitRequest> ParseSetInit(const std::vector<std::string>& arguments) {
  if (arguments.size() != 3 || !IsSetInit(arguments)) return std::nullopt;
  auto modem = FromHex(arguments[1]);
  auto apn = FromHex(arguments[2]);
  if (!modem || !apn) return std::nullopt;
  return SetInitRequest{std::move(*modem), std::move(*apn)};
}

std::string SetInitArguments(const SetInitRequest& request) {
  return std::string(kSetInitSwitch) + " " + ToHex(request.modem) + " " + ToHex(request.apn);
}

SetInitExit RunSetInit(const std::vector<std::string>& arguments, Registry& registry,
                       std::uint32_t platformId) {
  const auto request = ParseSetInit(arguments);
  if (!request || !IsModemName(request->modem)) return SetInitExit::kUsage;
  if (!IsSafeApnName(request->apn)) return SetInitExit::kUnsafeApn;
  modem::ModemInitStore store(registry, platformId);
  switch (store.Store(request->modem, modem::ApnInitCommand(request->apn))) {
    case modem::InitWrite::kWritten:
      return SetInitExit::kWritten;
    case modem::InitWrite::kNoModem:
      return SetInitExit::kNoModem;
    case modem::InitWrite::kRefused:
      return SetInitExit::kRefused;
    case modem::InitWrite::kFailed:
      break;
  }
  return SetInitExit::kFailed;
}

}  // namespace dw
