// A whole connect through the dial thread against the in-process simulator
// with no delays of its own: what the program itself costs, with an empty
// phone book (the entry is created), with only our entry, and with our entry
// among 50 entries of other modems. The main thread plays the user-interface
// thread that serves the progress window.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>

#include "connection/dial_thread.h"
#include "connection/presence.h"
#include "core/clock.h"
#include "core/entry_points.h"
#include "core/modems.h"
#include "core/simulator.h"
#include "core/state.h"
#include "core/store.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/memory_registry.h"
#include "platform/fake/test_messages.h"
#include "platform/plain_event.h"
#include "ras/binding.h"
#include "ras/context.h"
#include "ras/readiness.h"
#include "connection/progress_shared.h"
#include "platform/message_numbers.h"
#include "platform/threads.h"

namespace {

using dw::ras::Dword;

constexpr const char* kModem = "Korvana GPRS Modem";

// Waits that wake as soon as their event is set; only the user-interface
// thread serves messages.
class Waiter final : public dw::ras::RasWaiter {
 public:
  explicit Waiter(dw::TestWindowMessages& messages) : messages_(messages) {}
  std::unique_ptr<dw::Event> NewEvent() override { return std::make_unique<dw::PlainEvent>(); }
  void Serve() override {
    if (dw::CurrentThreadId() == messages_.UiThread()) messages_.ProcessPending();
  }
  void WaitPass(const dw::Event& done, std::chrono::milliseconds limit) override {
    const auto& event = static_cast<const dw::PlainEvent&>(done);
    if (dw::CurrentThreadId() != messages_.UiThread()) {
      event.WaitFor(limit);
      return;
    }
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!event.IsSet() && std::chrono::steady_clock::now() < end) {
      messages_.ProcessPending();
      event.WaitFor(std::chrono::milliseconds(1));
    }
  }

 private:
  dw::TestWindowMessages& messages_;
};

struct Rig {
  dw::sim::MemoryStore store;
  dw::sim::FakeSimClock simClock;
  dw::MemoryRegistry registry;
  std::unique_ptr<dw::sim::Simulator> simulator;
  std::unique_ptr<dw::sim::SimRasLibrary> library;
  dw::TestWindowMessages messages;
  Waiter waiter{messages};
  dw::FakeClock clock;
  dw::Mutex progressLock;
  dw::connection::ProgressShared progress{progressLock};
  std::atomic<std::int32_t> waitCount{20};
  dw::WindowHandle mainWindow = 0;

  Rig() {
    store.Reset();
    dw::sim::Scenario scenario = dw::sim::DefaultScenario();
    scenario.notifyDelayMs = 0;
    scenario.hangupDelayMs = 0;
    store.SetScenario(scenario);
    dw::sim::Host host;
    host.generation = dw::ras::Generation::kWinXp;
    host.store = &store;
    host.clock = &simClock;
    host.registry = &registry;
    simulator = std::make_unique<dw::sim::Simulator>(std::move(host));
    library = std::make_unique<dw::sim::SimRasLibrary>(*simulator);
    const auto key = dw::sim::InstallModem(registry, false, kModem);
    registry.SetText(dw::RegistryRoot::kLocalMachine, *key, "UserInit", "ATZ");
    mainWindow = messages.AddWindow([](std::uint32_t, std::uintptr_t, std::intptr_t) { return 0; });
    const dw::WindowHandle window =
        messages.AddWindow([this](std::uint32_t m, std::uintptr_t, std::intptr_t) {
          int pos = progress.BarPosition();
          if (m == dw::kMsgProgressStep) pos = pos + 10 > 600 ? 0 : pos + 10;
          if (m == dw::kMsgProgressFirstStep) pos = 10;
          if (m == dw::kMsgProgressLastStep) pos = 590;
          progress.MirrorBar(pos, 600, 10);
          return 0;
        });
    progress.SetWindow(window);
    dw::connection::ConfigurePresence({&registry, 2, nullptr});
    dw::ras::ConfigureRas({library.get(), 501, &waitCount, &waiter, &messages, mainWindow,
                           std::chrono::milliseconds(500)});
  }
  ~Rig() {
    while (dw::ras::RunningRasWorkers() != 0) std::this_thread::yield();
    dw::ras::ConfigureRas({});
    dw::connection::ConfigurePresence({});
  }

  void SaveEntry(const std::string& name, const std::string& device) {
    dw::ras::v501::RasEntryA e{};
    e.dwSize = sizeof e;
    e.dwFramingProtocol = 1;
    e.dwfNetProtocols = 4;
    std::strcpy(e.szLocalPhoneNumber, "*99***1#");
    std::strcpy(e.szDeviceType, "modem");
    std::strncpy(e.szDeviceName, device.c_str(), sizeof e.szDeviceName - 1);
    reinterpret_cast<dw::ras::RasSetEntryPropertiesAFn>(library->Lookup("RasSetEntryPropertiesA"))(
        nullptr, name.c_str(), &e, e.dwSize, nullptr, 0);
  }

  // One connect; the handle, or 0.
  dw::ras::Handle Connect(std::string& entryName) {
    progress.MirrorBar(0, 600, 10);
    progress.SetErrorCode(0);
    std::vector<std::string> apns = {"internet.kvr", "internet.ltkvr"};
    dw::connection::DialThread thread(
        {&registry, 2, &messages, mainWindow, &progress, &clock, &waiter});
    thread.Resume({kModem, entryName, apns});
    while (!thread.Terminated()) {
      messages.WaitServing(thread.TerminatedEvent(), std::chrono::milliseconds(500));
    }
    messages.ProcessPending();
    entryName = thread.Result().entryName;
    return thread.Result().connection;
  }
};

// range(0): entries of other modems; range(1): 1 when our entry exists.
void WholeConnect(benchmark::State& state) {
  Rig rig;
  for (int i = 0; i < state.range(0); ++i) rig.SaveEntry("Other " + std::to_string(i), "Other Modem");
  const bool ours = state.range(1) != 0;
  if (ours) rig.SaveEntry("Korvana", kModem);
  const auto hangUp = reinterpret_cast<dw::ras::RasHangUpAFn>(rig.library->Lookup("RasHangUpA"));
  for (auto _ : state) {
    std::string entry = "Korvana";
    const dw::ras::Handle conn = rig.Connect(entry);
    state.PauseTiming();
    if (conn == 0) {
      state.SkipWithError("the connect failed");
      break;
    }
    hangUp(conn);
    rig.simulator->Connections();  // the hung-up connection goes
    if (!ours) {
      // Back to an empty phone book: the next connect creates the entry again.
      rig.store.Update([&](const dw::sim::Scenario&, dw::sim::State& s) {
        std::erase_if(s.entries, [&](const dw::sim::Entry& e) { return e.name == entry; });
      });
    }
    state.ResumeTiming();
  }
}
BENCHMARK(WholeConnect)
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({50, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
