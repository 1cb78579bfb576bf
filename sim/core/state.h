// What the simulated RAS service remembers between calls and between
// processes: the phone book and the connections. A connection's progress is a
// function of time (when it was dialled, its planned states, when it was hung
// up or dropped), so every process that reads the state sees the same
// connection at the same moment, whichever process dialled it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ras/records.h"

namespace dw::sim {

using ras::Dword;

struct Entry {
  std::string name;
  // The entry's RASENTRY as last saved, in the newest layout; a record saved
  // with an older size overwrote only its own prefix.
  std::vector<std::uint8_t> record;
  std::string user;
  std::string password;
};

struct Connection {
  ras::Handle handle = 0;
  std::string entry;
  std::string deviceType;
  std::string deviceName;
  std::string phone;
  std::string apn;
  std::int64_t startedMs = 0;
  int stepMs = 0;  // between two planned states
  // The states the dial goes through, the first at startedMs; `error` is
  // reported with the last one. A plan that ends without error and short of
  // "connected" is a dial that hangs there (an APN or number that never
  // answers).
  std::vector<Dword> plan;
  Dword error = 0;
  std::int64_t hungUpMs = 0;  // 0: never hung up
  std::int64_t goneMs = 0;    // 0: not scheduled to go
  // From hungUpMs on the port is being closed: the status query answers
  // "disconnected" until the handle goes. Not under the hang-up-never fault,
  // where the connection stays up.
  bool closing = false;
  Dword rateReceived = 0;
  Dword rateSent = 0;
};

struct State {
  ras::Handle nextHandle = 0x10000;
  std::vector<Entry> entries;
  std::vector<Connection> connections;
  // Bytes of connections that are gone, for the 9x system-wide counters.
  std::uint64_t closedReceived = 0;
  std::uint64_t closedSent = 0;
  // Calls of entry points the generation does not have: a 9x program that
  // makes one would fail there.
  std::uint64_t missingCalls = 0;

  Entry* FindEntry(const std::string& name);  // names compare without regard to case
  Connection* FindConnection(ras::Handle handle);
};

std::optional<State> ParseState(const std::string& text);
std::string FormatState(const State& state);

// A connection as it is at a moment.
struct ConnectionView {
  Dword state = 0;
  Dword error = 0;
  bool connected = false;        // in the connected state
  bool dialing = false;          // still going through its plan
  std::int64_t connectedMs = 0;  // when it reached "connected" (if it did)
  Dword received = 0;
  Dword sent = 0;
  Dword connectedForMs = 0;
};

// When a connection reaches its last planned state.
std::int64_t PlanEndMs(const Connection& c);
// The number of planned states reached at `nowMs` (at least 1).
std::size_t StatesReached(const Connection& c, std::int64_t nowMs);
ConnectionView ViewAt(const Connection& c, std::int64_t nowMs);
bool IsGone(const Connection& c, std::int64_t nowMs);

// Removes connections that are gone at `nowMs`, adding their traffic to the
// closed totals.
void Purge(State& state, std::int64_t nowMs);

}  // namespace dw::sim
