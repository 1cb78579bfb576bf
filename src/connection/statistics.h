// Byte counters of the connection, the way the running generation offers
// them: system-wide dial-up counters below WinVer 500, per-connection RAS
// statistics from 500 on.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/registry.h"
#include "ras/records.h"

namespace dw::connection {

// Where the 9x system keeps its dial-up counters (under HKEY_DYN_DATA).
inline constexpr std::string_view kStatDataKey = "\\PerfStats\\StatData";
inline constexpr std::string_view kBytesReceivedValue = "Dial-Up Adapter\\TotalBytesRecvd";
inline constexpr std::string_view kBytesSentValue = "Dial-Up Adapter\\TotalBytesXmit";

// GetStatistics' answer below WinVer 500 when neither counter could be read
// (the registry's "file not found"): the caller keeps its last counters
// rather than taking zeros that would look like a drop of the whole count.
// When only one is unreadable, the answer is success and that counter's
// argument is left as the caller passed it.
inline constexpr ras::Dword kCountersUnreadable = 2;

// The registry GetStatistics reads below WinVer 500. Set once at start-up,
// before any thread reads counters; it must live until the process ends.
// Without one every reading below 500 fails.
void ConfigureStatistics(Registry* registry);

// 0 on success. From WinVer 500 on a `conn` of 0 means the main window's
// current connection; none at all gives zeros without a RAS call. On failure
// `received` and `sent` keep their values. Any thread; never raises.
ras::Dword GetStatistics(std::uint32_t& received, std::uint32_t& sent, ras::Handle conn);

// One counter of the open statistics key (null: the key could not be
// opened): up to 4 bytes, little-endian. 0, with a log record
// "RAS-ReadBinary-<name>" and code 888, when it cannot be read.
std::uint32_t ReadBinary(const RegistryKey* key, std::string_view valueName);

}  // namespace dw::connection
