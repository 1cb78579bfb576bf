// The simulated Remote Access Service: the twelve entry points the program
// binds, with the published parameters, results and threading, over a shared
// store (phone book, connections, scenario). One Simulator per process; the
// store makes several of them one service.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "clock.h"
#include "platform/registry.h"
#include "ras/records.h"
#include "store.h"
#include "platform/threads.h"

namespace dw::sim {

using ras::Dword;
using ras::Handle;

struct Host {
  ras::Generation generation = ras::Generation::kWinXp;
  Store* store = nullptr;
  SimClock* clock = nullptr;
  // Where the simulated modems keep "UserInit"; null: no modem has one.
  const Registry* registry = nullptr;
  // Receives the system-wide dial-up byte counters on the 9x generations.
  std::function<void(Dword received, Dword sent)> publishCounters;
};

class Simulator {
 public:
  explicit Simulator(Host host);
  ~Simulator();  // stops the notification threads of this process
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  ras::Generation generation() const { return host_.generation; }

  // Needs no service: answers even when none is there.
  static Dword GetErrorString(unsigned code, char* text, Dword size);
  Dword EnumConnections(void* conns, Dword* bytes, Dword* count);
  Dword HangUp(Handle conn);
  Dword EnumEntries(const char* reserved, const char* phonebook, void* names, Dword* bytes,
                    Dword* count);
  Dword GetEntryProperties(const char* phonebook, const char* entry, void* record,
                           Dword* recordSize, std::uint8_t* deviceInfo, Dword* deviceInfoSize);
  Dword GetEntryDialParams(const char* phonebook, void* params, std::int32_t* passwordSaved);
  Dword SetEntryProperties(const char* phonebook, const char* entry, const void* record,
                           Dword recordSize, const std::uint8_t* deviceInfo, Dword deviceInfoSize);
  Dword ValidateEntryName(const char* phonebook, const char* entry);
  Dword EnumDevices(void* devices, Dword* bytes, Dword* count);
  Dword GetConnectStatus(Handle conn, void* status);
  Dword Dial(const void* extensions, const char* phonebook, const void* params, Dword notifierType,
             void* notifier, Handle* conn);
  Dword GetConnectionStatistics(Handle conn, void* stats);

  // The control tool's view.
  struct ConnectionInfo {
    Connection connection;
    ConnectionView view;
  };
  std::vector<ConnectionInfo> Connections();
  std::vector<Entry> Entries();
  // Calls of entry points this generation lacks, by any process.
  std::uint64_t MissingCalls();
  // Drops one connection (or every one) as the network would; returns how
  // many went.
  int Drop(std::optional<Handle> which);

 private:
  struct Notifications;

  // The fault answer of a call (0: none); blocks while the service is hung.
  Dword Fault();
  bool SizeOk(const Scenario& scenario, ras::Record record, Dword size) const;
  // ERROR_INVALID_SIZE where SizeOk refuses, else 0.
  Dword SizeError(const Scenario& scenario, ras::Record record, Dword size) const;
  // The protocol of every RasEnum* call: no buffer asks for the size, a
  // dwSize that is not the generation's is refused, a short buffer learns
  // the bytes needed; otherwise `write(record, size, i)` fills record i of n.
  template <typename Write>
  Dword Enumerate(const Scenario& scenario, ras::Record record, void* buffer, Dword* bytes,
                  Dword* count, Dword n, Write write) const;
  // The protocol of the calls that describe one connection: a fault, no
  // record, a dwSize that is not the generation's, an unknown handle; otherwise
  // `write(size, connection, view)` fills the caller's record.
  template <typename Write>
  Dword DescribeConnection(Handle conn, void* record, ras::Record kind, Write write);
  // Drops what is gone and publishes the 9x counters.
  void Sync(State& state);
  bool ForeignPhonebook(const char* phonebook) const;
  void StartNotifications(std::unique_ptr<Notifications> plan);
  void Notify(Notifications& plan);
  Dword DialSynchronously(Handle conn);

  Host host_;
  std::atomic<bool> stopping_{false};
  dw::Mutex workersMutex_;
  struct Worker {
    dw::Thread thread;
    std::atomic<bool> done{false};
  };
  std::vector<std::unique_ptr<Worker>> workers_;
};

}  // namespace dw::sim
