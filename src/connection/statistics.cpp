#include "connection/statistics.h"

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "connection/current_connection.h"
#include "ras/binding.h"
#include "ras/context.h"
#include "ras/error_text.h"
#include "ras/record_access.h"

namespace dw::connection {
namespace {

std::atomic<Registry*> g_registry{nullptr};

// nullopt (after logging) when the value is missing, unreadable or longer
// than a counter: a 4-byte read of a longer value fails on the system too.
std::optional<std::uint32_t> ReadCounter(const RegistryKey* key, std::string_view name) {
  try {
    const auto bytes = key ? key->ReadBinary(name) : std::nullopt;
    if (bytes && bytes->size() <= sizeof(std::uint32_t)) {
      std::uint32_t value = 0;
      for (std::size_t i = 0; i < bytes->size(); ++i) {
        value |= static_cast<std::uint32_t>((*bytes)[i]) << (8 * i);
      }
      return value;
    }
  } catch (...) {
    // Logged below like any other unreadable value.
  }
  ras::LogRasError("ReadBinary-" + std::string(name), ras::kCaughtErrorCode);
  return std::nullopt;
}

}  // namespace

void ConfigureStatistics(Registry* registry) { g_registry.store(registry); }

std::uint32_t ReadBinary(const RegistryKey* key, std::string_view valueName) {
  return ReadCounter(key, valueName).value_or(0);
}

ras::Dword GetStatistics(std::uint32_t& received, std::uint32_t& sent, ras::Handle conn) {
  ras::Dword result = ras::kErrorRasmanCannotInitialize;
  try {
    if (ras::CurrentRasContext().winVer < 500) {
      // System-wide counters: the handle means nothing here.
      Registry* registry = g_registry.load();
      const auto key = registry ? registry->OpenReadOnly(RegistryRoot::kDynData, kStatDataKey)
                                : nullptr;
      // Each counter on its own: one value the system cannot give keeps
      // the caller's last reading while the other still moves.
      const auto r = ReadCounter(key.get(), kBytesReceivedValue);
      const auto s = ReadCounter(key.get(), kBytesSentValue);
      if (!r && !s) return kCountersUnreadable;
      if (r) received = *r;
      if (s) sent = *s;
      return result = ras::kSuccess;
    }

    if (conn == 0) conn = MainConnectionHandle();
    if (conn == 0) {
      received = 0;
      sent = 0;
      return result = ras::kSuccess;
    }
    const ras::Binding binding = ras::CallBinding();
    std::vector<std::uint8_t> record(sizeof(ras::RasStats), 0);
    ras::WriteDword(record, 0, binding.Size(ras::Record::kStats));
    result = binding.GetConnectionStatistics(conn, record.data());
    if (result != ras::kSuccess) {
      ras::LogRasError("GetStatistics", result);
      return result;
    }
    received = ras::ReadDword(record, offsetof(ras::RasStats, dwBytesRcved));
    sent = ras::ReadDword(record, offsetof(ras::RasStats, dwBytesXmited));
    return result;
  } catch (...) {
    ras::LogRasError("GetStatistics", result);
    return result;
  }
}

}  // namespace dw::connection
