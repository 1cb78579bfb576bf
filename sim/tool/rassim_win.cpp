// rassim.exe: the simulator's control tool inside a Wine prefix. The
// commands and their output are a contract (see sim/README.md).
#include "platform/win32/win.h"

#include <fstream>
#include <iostream>
#include <sstream>

#include "core/clock.h"
#include "core/store.h"
#include "core/tool.h"
#include "core/windows_host.h"
#include "platform/registry.h"

namespace {

std::string Folder(const char* path) {
  const std::string p(path);
  return p.substr(0, p.find_last_of("\\/") + 1);
}

// The simulator's DLL (beside this program) becomes the system's
// rasapi32.dll, of the architecture of this program.
std::optional<std::string> InstallDll(std::string& error) {
  char self[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string from = Folder(self) + "rasapi32.dll";
  char system[MAX_PATH + 1] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string to = std::string(system) + "\\rasapi32.dll";
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
    error = "copying " + from + " to " + to + " failed (" + std::to_string(GetLastError()) + ")";
    return std::nullopt;
  }
  return to;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = dw::sim::SystemStoreFolder();
  dw::sim::FileStore store(folder);
  const auto clock = dw::sim::MakeSystemSimClock();
  const auto registry = dw::MakeWin32Registry();
  dw::sim::ToolHost host;
  host.generation = dw::sim::SystemGeneration();
  host.store = &store;
  host.clock = clock.get();
  host.registry = registry.get();
  host.folder = folder;
  host.publishCounters = &dw::sim::PublishDialUpCounters;
  host.installDll = &InstallDll;
  host.readFile = &ReadWholeFile;
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int code = dw::sim::RunTool(args, host, std::cout, std::cerr);
  std::cout.flush();
  return code;
}
