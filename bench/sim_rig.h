// The in-process simulator with the RAS layer bound to it as the program
// binds the system's (Windows XP's records), for the native benchmarks.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "core/clock.h"
#include "core/entry_points.h"
#include "core/simulator.h"
#include "core/store.h"
#include "platform/fake/memory_registry.h"
#include "platform/fake/test_messages.h"
#include "ras/binding.h"
#include "ras/context.h"
#include "ras/readiness.h"

namespace dw::bench {

struct SimRig {
  dw::sim::MemoryStore store;
  std::unique_ptr<dw::sim::SimClock> clock;
  dw::MemoryRegistry registry;
  std::unique_ptr<dw::sim::Simulator> simulator;
  std::unique_ptr<dw::sim::SimRasLibrary> library;
  dw::TestWindowMessages messages;
  std::unique_ptr<dw::ras::RasWaiter> waiter;
  std::atomic<std::int32_t> waitCount{20};

  explicit SimRig(std::unique_ptr<dw::sim::SimClock> simClock,
                  std::optional<dw::sim::Scenario> scenario = std::nullopt)
      : clock(std::move(simClock)) {
    store.Reset();
    if (scenario) store.SetScenario(*scenario);
    dw::sim::Host host;
    host.generation = dw::ras::Generation::kWinXp;
    host.store = &store;
    host.clock = clock.get();
    host.registry = &registry;
    simulator = std::make_unique<dw::sim::Simulator>(std::move(host));
    library = std::make_unique<dw::sim::SimRasLibrary>(*simulator);
    waiter = dw::ras::MakeMessagesWaiter(messages);
    dw::ras::ConfigureRas({library.get(), 501, &waitCount, waiter.get(), &messages, 0,
                           std::chrono::milliseconds(500)});
  }
  ~SimRig() {
    while (dw::ras::RunningRasWorkers() != 0) std::this_thread::yield();
    dw::ras::ConfigureRas({});
  }
  SimRig(const SimRig&) = delete;
  SimRig& operator=(const SimRig&) = delete;
};

}  // namespace dw::bench
