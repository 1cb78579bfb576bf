// rassim, the simulator's control tool, apart from the Windows-only parts it
// is handed: install, scenario FILE, reset, state, drop HANDLE|all.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "clock.h"
#include "platform/registry.h"
#include "ras/records.h"
#include "store.h"

namespace dw::sim {

struct ToolHost {
  ras::Generation generation = ras::Generation::kWinXp;
  Store* store = nullptr;
  SimClock* clock = nullptr;
  Registry* registry = nullptr;
  std::string folder;  // where the store keeps its files, for the record
  std::function<void(ras::Dword received, ras::Dword sent)> publishCounters;
  // Installs the simulator as the system's rasapi32.dll; returns the path it
  // wrote, or nullopt with `error` set.
  std::function<std::optional<std::string>(std::string& error)> installDll;
  std::function<std::optional<std::string>(const std::string& path)> readFile;
};

// Runs one command; returns the process exit code (0 success, 1 failure,
// 2 usage). Output is "key=value" lines.
int RunTool(const std::vector<std::string>& args, ToolHost& host, std::ostream& out,
            std::ostream& err);

const char* GenerationName(ras::Generation generation);

}  // namespace dw::sim
