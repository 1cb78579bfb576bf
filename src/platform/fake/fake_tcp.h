// Scripted TCP connections on a fake clock: a server's packets, their timing
// and its faults, without a network or real waiting.
#pragma once

#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_clock.h"
#include "platform/tcp.h"

namespace dw {

struct FakePacket {
  std::chrono::milliseconds after{0};  // since the previous packet (or the connect)
  std::string bytes;
  int error = kTcpOk;  // instead of bytes: the receive fails with this code
};

struct FakeServerScript {
  int connectError = kTcpOk;
  std::vector<FakePacket> packets;
  // After the last packet: silence (time-outs) rather than a close.
  bool keepOpen = false;
};

class FakeTcpNetwork {
 public:
  explicit FakeTcpNetwork(FakeClock& clock) : clock_(clock) {}

  // Successive connects take successive scripts; without one, a connect is
  // refused.
  void Expect(FakeServerScript script) { scripts_.push_back(std::move(script)); }
  std::unique_ptr<TcpConnection> MakeConnection();

  // One entry per connect attempt: what the client sent on it.
  const std::vector<std::string>& Sent() const { return sent_; }
  // "host:port" of each connect attempt.
  const std::vector<std::string>& Targets() const { return targets_; }

 private:
  friend class FakeTcpConnection;
  FakeClock& clock_;
  std::deque<FakeServerScript> scripts_;
  std::vector<std::string> sent_;
  std::vector<std::string> targets_;
};

}  // namespace dw
