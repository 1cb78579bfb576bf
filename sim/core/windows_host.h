// What the simulator's Windows faces (rasapi32.dll and rassim.exe) learn
// from the system they run on. Windows build only.
#pragma once

#include <string>

#include "ras/records.h"

namespace dw::sim {

// RASSIM_DIR, or the folder "rassim" in the Windows folder of the prefix;
// created when missing. With a trailing backslash.
std::string SystemStoreFolder();
// The generation Windows reports (Wine's version setting).
ras::Generation SystemGeneration();
// Writes the 9x dial-up counters under HKEY_DYN_DATA "PerfStats\StatData".
void PublishDialUpCounters(ras::Dword received, ras::Dword sent);

}  // namespace dw::sim
