// Byte counters of the connection, the way the running generation offers
// them: system-wide dial-up counters below WinVer 500, per-connection RAS
// statistics from 500 on.
#pragma once

#include <cstdint>

#include "ras/records.h"

namespace dw::connection {

// 0 on success. From WinVer 500 on a `conn` of 0 means the main window's
// current connection; none at all gives zeros without a RAS call.
ras::Dword GetStatistics(std::uint32_t& received, std::uint32_t& sent, ras::Handle conn);

}  // namespace dw::connection
