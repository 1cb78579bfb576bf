// The guarded and the bare RAS call through the simulator's rasapi32.dll
// (beside this program), timed under Wine. Google Benchmark is not built for
// mingw here, so this is a plain timing loop printing key=value lines.
#include "platform/win32/win.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "platform/win32/adapters_win.h"
#include "ras/binding.h"
#include "ras/context.h"
#include "ras/readiness.h"
#include "timing_win.h"

namespace {

using dw::bench::MicrosecondsPerCall;
using dw::ras::Dword;

class ModuleLibrary final : public dw::RasLibrary {
 public:
  explicit ModuleLibrary(HMODULE module) : module_(module) {}
  bool IsLoaded() const override { return module_ != nullptr; }
  void* Lookup(const char* name) const override {
    return module_ ? reinterpret_cast<void*>(GetProcAddress(module_, name)) : nullptr;
  }

 private:
  HMODULE module_;
};

}  // namespace

int main(int argc, char** argv) {
  const int calls = argc > 1 ? std::atoi(argv[1]) : 200;
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "rasbench-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::ofstream(folder + "scenario.txt") << "device modem Korvana GPRS Modem\n";
  SetEnvironmentVariableA("RASSIM_DIR", folder.c_str());

  char exe[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string dir(exe);
  dir = dir.substr(0, dir.find_last_of("\\/") + 1);
  ModuleLibrary library(LoadLibraryA((dir + "rasapi32.dll").c_str()));
  if (!library.IsLoaded() || !library.Lookup("RasSimMarker")) {
    std::fprintf(stderr, "the simulator's rasapi32.dll is not beside the program\n");
    return 1;
  }
  auto messages = dw::MakeWin32WindowMessages();
  auto waiter = dw::ras::MakeMessagesWaiter(*messages);
  std::atomic<std::int32_t> waitCount{20};
  dw::ras::ConfigureRas({&library, 501, &waitCount, waiter.get(), messages.get(), 0,
                         std::chrono::milliseconds(500)});

  const auto bare = reinterpret_cast<dw::ras::RasEnumDevicesAFn>(library.Lookup("RasEnumDevicesA"));
  const double bareUs = MicrosecondsPerCall(calls, [&] {
    Dword bytes = 0, count = 0;
    bare(nullptr, &bytes, &count);
  });
  Dword last = 0;
  const double guardedUs = MicrosecondsPerCall(calls, [&] {
    Dword bytes = 0, count = 0;
    last = dw::ras::CallBinding().EnumDevices(nullptr, &bytes, &count);
  });
  std::printf("calls=%d\nbare-us=%.1f\nguarded-us=%.1f\nguarded-result=%lu\n", calls, bareUs,
              guardedUs, static_cast<unsigned long>(last));
  while (dw::ras::RunningRasWorkers() != 0) Sleep(1);
  return last == 603 ? 0 : 1;
}
