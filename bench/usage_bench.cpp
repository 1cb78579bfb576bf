// What the usage ledger adds to each statistics sample, beside what one
// sample already costs: the generation's counter reading (a guarded RAS
// statistics call from 2000 on against the in-process simulator, the
// system-wide counters from the registry on 98/ME). Also the cost of one
// write of the file and the file's size after 400 days of use.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "connection/statistics.h"
#include "platform/fake/memory_data_files.h"
#include "platform/fake/memory_registry.h"
#include "ras/binding.h"
#include "ras/context.h"
#include "ras/records.h"
#include "sim_rig.h"
#include "usage/recorder.h"

namespace {

using dw::ras::Dword;
using namespace std::chrono_literals;

// A connection up in the in-process simulator, the RAS layer bound to it as
// the program binds the system's; dials at once (no notification delay).
struct Connected : dw::bench::SimRig {
  dw::ras::Handle conn = 0;

  Connected() : SimRig(dw::sim::MakeSystemSimClock(), Immediate()) {
    dw::ras::v501::RasEntryA entry{};
    entry.dwSize = sizeof entry;
    entry.dwFramingProtocol = 1;
    entry.dwType = 1;
    std::strcpy(entry.szLocalPhoneNumber, "*99***1#");
    std::strcpy(entry.szDeviceType, "modem");
    std::strcpy(entry.szDeviceName, "Korvana GPRS Modem");
    auto set = reinterpret_cast<dw::ras::RasSetEntryPropertiesAFn>(
        library->Lookup("RasSetEntryPropertiesA"));
    set(nullptr, "Korvana", &entry, entry.dwSize, nullptr, 0);
    dw::ras::v401::RasDialParamsA params{};
    params.dwSize = sizeof params;
    std::strcpy(params.szEntryName, "Korvana");
    auto dial = reinterpret_cast<dw::ras::RasDialAFn>(library->Lookup("RasDialA"));
    dial(nullptr, nullptr, &params, 0, nullptr, &conn);  // no notifier: returns connected
  }
  ~Connected() {
    if (conn != 0) dw::ras::CallBinding().HangUp(conn);
  }
  static dw::sim::Scenario Immediate() {
    dw::sim::Scenario scenario = dw::sim::DefaultScenario();
    scenario.notifyDelayMs = 0;
    return scenario;
  }
};

void StatisticsSampleXp(benchmark::State& state) {
  Connected rig;
  std::uint32_t received = 0, sent = 0;
  for (auto _ : state) {
    if (dw::connection::GetStatistics(received, sent, rig.conn) != 0) {
      state.SkipWithError("no statistics");
      break;
    }
  }
  benchmark::DoNotOptimize(received);
}
BENCHMARK(StatisticsSampleXp)->UseRealTime();

void StatisticsSample98(benchmark::State& state) {
  dw::MemoryRegistry registry;
  for (const auto* name : {"Dial-Up Adapter\\TotalBytesRecvd", "Dial-Up Adapter\\TotalBytesXmit"}) {
    registry.SetValue(dw::RegistryRoot::kDynData, dw::connection::kStatDataKey, name,
                      dw::MemoryRegistry::ValueType::kBinary, {0x10, 0x20, 0x30, 0x40});
  }
  dw::connection::ConfigureStatistics(&registry);
  dw::ras::ConfigureRas({nullptr, 410, nullptr, nullptr, nullptr, 0, 500ms});
  std::uint32_t received = 0, sent = 0;
  for (auto _ : state) {
    if (dw::connection::GetStatistics(received, sent, 0) != 0) {
      state.SkipWithError("no counters");
      break;
    }
  }
  benchmark::DoNotOptimize(received);
  dw::connection::ConfigureStatistics(nullptr);
  dw::ras::ConfigureRas({});
}
BENCHMARK(StatisticsSample98);

// A recorder whose file holds 400 days of use, connected, with an allowance
// so that every sample also runs the budget guard.
struct Recording {
  std::shared_ptr<dw::MemoryDataFiles> files = std::make_shared<dw::MemoryDataFiles>();
  std::unique_ptr<dw::usage::UsageRecorder> recorder;
  dw::LocalDateTime now{2026, 12, 7, 12, 0, 0, 0};
  std::chrono::milliseconds monotonic{1'000'000};
  dw::usage::Counters counters{};

  Recording() {
    dw::usage::Ledger year;
    for (int i = 0; i < dw::usage::kKeptDays; ++i) {
      year.Add(dw::usage::DayOf(now) - i, {3'000'000, 400'000, 5'400'000});
    }
    dw::usage::LedgerStore store(files, "usage.dat");
    store.Open(now);
    store.Write(year, now);
    dw::usage::UsageRecorder::Setup setup;
    setup.files = files;
    setup.path = "usage.dat";
    setup.budget = {1, 4096, true};
    recorder = std::make_unique<dw::usage::UsageRecorder>(std::move(setup), now);
    recorder->ConnectionStarted(counters, now, monotonic);
  }
};

// One sample and the main window's question after it (due once a minute:
// the write is timed on its own below).
void RecorderSample(benchmark::State& state) {
  Recording r;
  r.recorder->FlushIfDue(r.now, r.monotonic);  // written now, so not due again below
  const std::chrono::milliseconds asked = r.monotonic;
  for (auto _ : state) {
    r.monotonic += 2s;
    r.counters.received += 12'000;
    r.counters.sent += 3000;
    benchmark::DoNotOptimize(r.recorder->Sample(r.counters, r.now, r.monotonic));
    benchmark::DoNotOptimize(r.recorder->FlushIfDue(r.now, asked));
  }
  state.counters["days"] = static_cast<double>(r.recorder->ledger().Days().size());
}
BENCHMARK(RecorderSample);

void RecorderWrite(benchmark::State& state) {
  Recording r;
  for (auto _ : state) {
    r.monotonic += 2s;
    r.counters.received += 12'000;
    r.recorder->Sample(r.counters, r.now, r.monotonic);
    if (!r.recorder->FlushNow(r.now, r.monotonic)) {
      state.SkipWithError("write failed");
      break;
    }
  }
  state.counters["file_bytes"] = static_cast<double>(r.files->Content("usage.dat")->size());
  state.counters["days"] = static_cast<double>(r.recorder->ledger().Days().size());
}
BENCHMARK(RecorderWrite);

}  // namespace

BENCHMARK_MAIN();
