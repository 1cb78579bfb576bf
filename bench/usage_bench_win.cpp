// What the usage ledger adds to a statistics sample in the Windows build
// under Wine, where both run as the product runs them: the generation's
// counter reading (Wine's registry on 98/ME, the simulator's rasapi32.dll
// from 2000 on, per `scripts/wine-run --gen`), the recorder's sample, and
// one write of its real file (flushed to the disk).
//   scripts/wine-run --gen win98 build/win64/bin/usage_bench_win.exe [CALLS]
#include "platform/win32/win.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "connection/statistics.h"
#include "platform/win32/adapters_win.h"
#include "ras/binding.h"
#include "ras/context.h"
#include "ras/readiness.h"
#include "ras/record_access.h"
#include "timing_win.h"
#include "usage/recorder.h"
#include "win32/ras_module_support_win.h"

namespace {

using dw::bench::MicrosecondsPerCall;
using dw::ras::Dword;
using dw::ras::Record;
using namespace std::chrono_literals;

std::string Folder(const char* name) {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder =
      std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// An ISDN line of the simulator's, dialled and up.
dw::ras::Handle Dial() {
  const dw::ras::Binding entries = dw::ras::EntryBinding();
  std::vector<std::uint8_t> entry(sizeof(dw::ras::v501::RasEntryA));
  dw::ras::WriteDword(entry, 0, entries.Size(Record::kEntry));
  dw::ras::WriteDword(entry, offsetof(dw::ras::v501::RasEntryA, dwFramingProtocol), 1);
  dw::ras::WriteDword(entry, offsetof(dw::ras::v501::RasEntryA, dwType), 1);
  dw::ras::WriteField(entry, offsetof(dw::ras::v501::RasEntryA, szLocalPhoneNumber),
                      dw::ras::kMaxPhoneNumber + 1, "*99***1#");
  dw::ras::WriteField(entry, offsetof(dw::ras::v501::RasEntryA, szDeviceType),
                      dw::ras::kMaxDeviceType + 1, "isdn");
  dw::ras::WriteField(entry, offsetof(dw::ras::v501::RasEntryA, szDeviceName),
                      dw::ras::kMaxDeviceName + 1, "Korvana ISDN Adapter");
  if (entries.SetEntryProperties("Korvana", entry.data(), entries.Size(Record::kEntry), nullptr,
                                 0) != 0) {
    return 0;
  }
  const dw::ras::Binding calls = dw::ras::CallBinding();
  std::vector<std::uint8_t> params(sizeof(dw::ras::v401::RasDialParamsA));
  dw::ras::WriteDword(params, 0, calls.Size(Record::kDialParams));
  dw::ras::WriteField(params, offsetof(dw::ras::v401::RasDialParamsA, szEntryName),
                      dw::ras::kMaxEntryName + 1, "Korvana");
  dw::ras::Handle conn = 0;
  return calls.Dial(params.data(), nullptr, &conn) == 0 ? conn : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int calls = argc > 1 ? std::atoi(argv[1]) : 300;
  const std::string simFolder = Folder("usagebench-sim");
  std::ofstream(simFolder + "scenario.txt") << "device isdn Korvana ISDN Adapter\n"
                                               "number *99***1# connect\n"
                                               "notify-delay-ms 0\n";
  SetEnvironmentVariableA("RASSIM_DIR", simFolder.c_str());
  char exe[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string dir(exe);
  dir = dir.substr(0, dir.find_last_of("\\/") + 1);
  dw::test::ModuleLibrary library(LoadLibraryA((dir + "rasapi32.dll").c_str()));
  if (!library.IsLoaded() || !library.Lookup("RasSimMarker")) {
    std::fprintf(stderr, "the simulator's rasapi32.dll is not beside the program\n");
    return 1;
  }
  const std::uint32_t winVer = dw::test::WinVer();
  auto messages = dw::MakeWin32WindowMessages();
  auto waiter = dw::ras::MakeMessagesWaiter(*messages);
  std::atomic<std::int32_t> waitCount{20};
  dw::ras::ConfigureRas({&library, winVer, &waitCount, waiter.get(), messages.get(), 0, 500ms});
  auto registry = dw::MakeWin32Registry();
  dw::connection::ConfigureStatistics(registry.get());
  const dw::ras::Handle conn = Dial();
  if (conn == 0) {
    std::fprintf(stderr, "the dial failed\n");
    return 1;
  }

  std::uint32_t received = 0, sent = 0;
  Dword result = 0;
  const double statisticsUs = MicrosecondsPerCall(calls, [&] {
    result = dw::connection::GetStatistics(received, sent, conn);
  });

  // A recorder whose file holds 400 days, connected, with an allowance so
  // that each sample also runs the budget guard.
  const std::string ledgerFolder = Folder("usagebench-ledger");
  const std::string path = ledgerFolder + "usage.dat";
  auto clock = dw::MakeSystemClock();
  {
    dw::usage::Ledger year;
    for (int i = 0; i < dw::usage::kKeptDays; ++i) {
      year.Add(dw::usage::DayOf(clock->Now()) - i, {3'000'000, 400'000, 5'400'000});
    }
    dw::usage::LedgerStore store(dw::MakeWin32DataFiles(), path);
    store.Open(clock->Now());
    store.Write(year, clock->Now());
  }
  dw::usage::UsageRecorder::Setup setup;
  setup.files = dw::MakeWin32DataFiles();
  setup.path = path;
  setup.budget = {1, 4096, true};
  dw::usage::UsageRecorder recorder(std::move(setup), clock->Now());
  dw::usage::Counters counters{received, sent};
  std::chrono::milliseconds monotonic = clock->Monotonic();
  recorder.ConnectionStarted(counters, clock->Now(), monotonic);
  const dw::LocalDateTime now = clock->Now();
  // The clocks are read once: the sampler's own readings are not the
  // ledger's. The main window asks after every sample whether a write is
  // due; it is once a minute, and the write is timed on its own below.
  recorder.FlushIfDue(now, monotonic);
  const std::chrono::milliseconds asked = monotonic;
  const double sampleUs = MicrosecondsPerCall(calls * 100, [&] {
    monotonic += 2s;
    counters.received += 12'000;
    counters.sent += 3000;
    recorder.Sample(counters, now, monotonic);
    recorder.FlushIfDue(now, asked);
  });
  const double writeUs = MicrosecondsPerCall(std::max(10, calls / 10), [&] {
    monotonic += 2s;
    counters.received += 12'000;
    recorder.Sample(counters, now, monotonic);
    recorder.FlushNow(now, monotonic);
  });
  std::string bytes;
  dw::MakeWin32DataFiles()->Read(path, 1 << 20, bytes);

  // A write a minute is one in thirty samples.
  const double amortisedUs = sampleUs + writeUs / 30;
  std::printf(
      "winver=%u\ncalls=%d\nstatistics-us=%.2f\nstatistics-result=%lu\n"
      "recorder-sample-us=%.3f\nrecorder-write-us=%.1f\nrecorder-per-sample-with-writes-us=%.2f\n"
      "share-percent=%.4f\nshare-with-writes-percent=%.2f\nfile-bytes=%zu\ndays=%zu\n",
      winVer, calls, statisticsUs, static_cast<unsigned long>(result), sampleUs, writeUs,
      amortisedUs, 100 * sampleUs / statisticsUs, 100 * amortisedUs / statisticsUs, bytes.size(),
      recorder.ledger().Days().size());

  dw::ras::CallBinding().HangUp(conn);
  while (dw::ras::RunningRasWorkers() != 0) Sleep(1);
  DeleteFileA(path.c_str());
  RemoveDirectoryA(ledgerFolder.c_str());
  return result == 0 ? 0 : 1;
}
