// A simulator in one process for the tests: memory store, fake clock and
// in-memory registry, reached through the RAS-library port as the program
// reaches RAS.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "core/clock.h"
#include "core/entry_points.h"
#include "core/layouts.h"
#include "core/modems.h"
#include "core/simulator.h"
#include "core/store.h"
#include "platform/fake/memory_registry.h"
#include "ras/records.h"
#include "platform/threads.h"

namespace dw::sim::test {

using ras::Dword;
using ras::Generation;
using ras::Handle;
using ras::Record;

inline constexpr Generation kGenerations[] = {Generation::kWin98, Generation::kWinMe,
                                              Generation::kWin2000, Generation::kWinXp,
                                              Generation::kVista};

// Every notification of type 0 the simulator delivered, in order.
class Notes {
 public:
  struct Note {
    Dword state;
    Dword error;
  };
  static Notes& Get() {
    static Notes notes;
    return notes;
  }
  static void DW_RASAPI Notifier(unsigned msg, Dword state, Dword error) {
    Notes& n = Get();
    {
      std::lock_guard lock(n.mutex_);
      n.messages_.push_back(msg);
      n.notes_.push_back({state, error});
    }
    n.changed_.notify_all();
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    notes_.clear();
    messages_.clear();
  }
  // Waits (at most a few seconds of real time, a guard against a hang)
  // until `count` notes have come.
  std::vector<Note> WaitFor(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(5), [&] { return notes_.size() >= count; });
    return notes_;
  }
  std::vector<Note> Now() {
    std::lock_guard lock(mutex_);
    return notes_;
  }
  std::vector<unsigned> Messages() {
    std::lock_guard lock(mutex_);
    return messages_;
  }

 private:
  dw::Mutex mutex_;
  dw::ConditionVariable changed_;
  std::vector<Note> notes_;
  std::vector<unsigned> messages_;
};

class SimTest : public ::testing::Test {
 protected:
  void TearDown() override {
    library_.reset();
    sim_.reset();
    Notes::Get().Clear();
  }

  void Start(Generation g, Scenario scenario = DefaultScenario()) {
    library_.reset();
    sim_.reset();
    Notes::Get().Clear();
    store_.Reset();
    store_.SetScenario(scenario);
    generation_ = g;
    Host host;
    host.generation = g;
    host.store = &store_;
    host.clock = &clock_;
    host.registry = &registry_;
    host.publishCounters = [this](Dword r, Dword s) {
      std::lock_guard lock(countersMutex_);
      published_ = {r, s};
    };
    sim_ = std::make_unique<Simulator>(std::move(host));
    library_ = std::make_unique<SimRasLibrary>(*sim_);
  }

  template <typename F>
  F Fn(const char* name) {
    void* p = library_->Lookup(name);
    EXPECT_NE(p, nullptr) << name;
    return reinterpret_cast<F>(p);
  }

  Dword Size(Record r) const { return ras::RecordSize(generation_, r); }
  // The size the service reports for its own records (from Vista on larger
  // than the program's).
  Dword Own(Record r) const { return layout::OwnSize(generation_, r); }

  // A zeroed record of `size` bytes with its dwSize set.
  static std::vector<std::uint8_t> Blank(Dword size, std::size_t count = 1) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size) * count + 16, 0);
    std::memcpy(bytes.data(), &size, sizeof size);
    return bytes;
  }

  // Saves a phone-book entry through RasSetEntryPropertiesA with the
  // generation's record.
  Dword SaveEntry(const std::string& name, const std::string& device, const std::string& phone,
                  const std::string& deviceType = "modem") {
    ras::v501::RasEntryA e{};
    e.dwFramingProtocol = 1;
    e.dwfNetProtocols = 4;
    e.dwType = 1;  // a phone line, as modems and ISDN are (read from 2000 on)
    std::strncpy(e.szLocalPhoneNumber, phone.c_str(), sizeof e.szLocalPhoneNumber - 1);
    std::strncpy(e.szDeviceType, deviceType.c_str(), sizeof e.szDeviceType - 1);
    std::strncpy(e.szDeviceName, device.c_str(), sizeof e.szDeviceName - 1);
    e.dwSize = Size(Record::kEntry);
    std::vector<std::uint8_t> bytes(e.dwSize);
    std::memcpy(bytes.data(), &e, e.dwSize);
    return Fn<ras::RasSetEntryPropertiesAFn>("RasSetEntryPropertiesA")(
        nullptr, name.c_str(), bytes.data(), e.dwSize, nullptr, 0);
  }

  // Writes a modem's extra initialisation as Windows of this generation
  // keeps it.
  void SetUserInit(const std::string& modem, const std::string& init) {
    const bool win9x = ras::IsWin9x(generation_);
    const auto key = InstallModem(registry_, win9x, modem);
    ASSERT_TRUE(key.has_value());
    registry_.SetText(RegistryRoot::kLocalMachine, *key, "UserInit", init);
  }

  // Starts a dial of `entry` with notifier type 0; the handle, or 0.
  Dword Dial(const std::string& entry, Handle& conn, const std::string& phone = "") {
    ras::v401::RasDialParamsA p{};
    std::strncpy(p.szEntryName, entry.c_str(), sizeof p.szEntryName - 1);
    std::strncpy(p.szPhoneNumber, phone.c_str(), sizeof p.szPhoneNumber - 1);
    std::strcpy(p.szUserName, "pvlok");
    std::strcpy(p.szPassword, "pvlok");
    const Dword size = Size(Record::kDialParams);
    std::vector<std::uint8_t> bytes(sizeof p);
    std::memcpy(bytes.data(), &p, sizeof p);
    std::memcpy(bytes.data(), &size, sizeof size);
    conn = 0;
    return Fn<ras::RasDialAFn>("RasDialA")(nullptr, nullptr, bytes.data(), 0,
                                           reinterpret_cast<void*>(&Notes::Notifier), &conn);
  }

  struct Status {
    Dword result;
    Dword state;
    Dword error;
  };
  Status ConnectStatus(Handle conn) {
    auto bytes = Blank(Size(Record::kConnStatus));
    const Dword r = Fn<ras::RasGetConnectStatusAFn>("RasGetConnectStatusA")(conn, bytes.data());
    ras::v401::RasConnStatusA s{};
    std::memcpy(&s, bytes.data(), Size(Record::kConnStatus));
    return {r, s.rasconnstate, s.dwError};
  }

  // Moves the clock far enough for a whole dial and waits for its last
  // notification.
  std::vector<Notes::Note> CompleteDial(std::size_t notes) {
    clock_.Advance(20 * static_cast<std::int64_t>(store_.ReadScenario().notifyDelayMs));
    return Notes::Get().WaitFor(notes);
  }

  MemoryStore store_;
  FakeSimClock clock_;
  MemoryRegistry registry_;
  Generation generation_ = Generation::kWinXp;
  dw::Mutex countersMutex_;
  std::pair<Dword, Dword> published_{~0u, ~0u};
  std::unique_ptr<Simulator> sim_;
  std::unique_ptr<SimRasLibrary> library_;
};

}  // namespace dw::sim::test
