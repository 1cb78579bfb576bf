// The readiness guard: a worker makes a cheap RAS call while the caller
// waits in passes, serving its messages, so a hung RAS service never
// freezes the program.
#pragma once

#include <cstdint>

#include "ras/records.h"

namespace dw::ras {

inline constexpr std::int32_t kReadyWaitAfterCheck = 20;
inline constexpr int kHangUpPasses = 121;
inline constexpr int kHangUpCalls = 21;

// The probe's result, or 711 when the service did not answer within
// readyWaitCount + 1 passes. Leaves readyWaitCount at 20.
Dword CheckRasReady();

// Hangs `conn` up through a worker that repeats RasHangUpA until the
// connection is gone (at most 21 calls). The last call's code, except that a
// connection that went after a call answered 0 is hung up (0); 0 also when
// the worker is still busy after 121 passes. `connStatusSize` is the generation's RASCONNSTATUS.
// Raises RasError when the library lacks either entry point.
Dword HangUpWithWorker(Handle conn, Dword connStatusSize);

// Workers still running, including abandoned ones (tests wait for 0 before
// taking the library away).
int RunningRasWorkers();

}  // namespace dw::ras
