// One RAS call with and without the readiness guard, against the in-process
// simulator. The guard costs a worker thread and a probe call; the waiter
// wakes when the worker is done instead of sleeping a whole 500 ms pass.
#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>

#include "core/clock.h"
#include "core/entry_points.h"
#include "core/simulator.h"
#include "core/store.h"
#include "platform/fake/memory_registry.h"
#include "platform/fake/test_messages.h"
#include "ras/binding.h"
#include "ras/context.h"
#include "ras/readiness.h"

namespace {

using dw::ras::Dword;

struct Rig {
  dw::sim::MemoryStore store;
  dw::sim::FakeSimClock clock;
  dw::MemoryRegistry registry;
  std::unique_ptr<dw::sim::Simulator> simulator;
  std::unique_ptr<dw::sim::SimRasLibrary> library;
  dw::TestWindowMessages messages;
  std::unique_ptr<dw::ras::RasWaiter> waiter;
  std::atomic<std::int32_t> waitCount{20};

  Rig() {
    store.Reset();
    dw::sim::Host host;
    host.generation = dw::ras::Generation::kWinXp;
    host.store = &store;
    host.clock = &clock;
    host.registry = &registry;
    simulator = std::make_unique<dw::sim::Simulator>(std::move(host));
    library = std::make_unique<dw::sim::SimRasLibrary>(*simulator);
    waiter = dw::ras::MakeMessagesWaiter(messages);
    dw::ras::ConfigureRas({library.get(), 501, &waitCount, waiter.get(), &messages, 0,
                           std::chrono::milliseconds(500)});
  }
  ~Rig() {
    while (dw::ras::RunningRasWorkers() != 0) std::this_thread::yield();
    dw::ras::ConfigureRas({});
  }
};

void BareEnumDevices(benchmark::State& state) {
  Rig rig;
  auto fn = reinterpret_cast<dw::ras::RasEnumDevicesAFn>(rig.library->Lookup("RasEnumDevicesA"));
  for (auto _ : state) {
    Dword bytes = 0, count = 0;
    benchmark::DoNotOptimize(fn(nullptr, &bytes, &count));
  }
}
BENCHMARK(BareEnumDevices)->UseRealTime();

void GuardedEnumDevices(benchmark::State& state) {
  Rig rig;
  for (auto _ : state) {
    Dword bytes = 0, count = 0;
    if (dw::ras::CallBinding().EnumDevices(nullptr, &bytes, &count) != 603) {
      state.SkipWithError("unexpected result");
      break;
    }
  }
}
BENCHMARK(GuardedEnumDevices)->UseRealTime();

void GuardedErrorText(benchmark::State& state) {
  Rig rig;
  char text[512];
  for (auto _ : state) {
    benchmark::DoNotOptimize(dw::ras::CallBinding().GetErrorString(678, text, sizeof text));
  }
}
BENCHMARK(GuardedErrorText)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
