// One RAS call with and without the readiness guard, against the in-process
// simulator. The guard costs a worker thread and a probe call; the waiter
// wakes when the worker is done instead of sleeping a whole 500 ms pass.
#include <benchmark/benchmark.h>

#include <memory>

#include "ras/binding.h"
#include "sim_rig.h"

namespace {

using dw::ras::Dword;

// No delays of the simulator's own: its clock never moves.
struct Rig : dw::bench::SimRig {
  Rig() : SimRig(std::make_unique<dw::sim::FakeSimClock>()) {}
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
