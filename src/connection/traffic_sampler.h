// TrafficSampler, the statistics thread: every 2 seconds it checks that the
// main window's connection is still up, samples its byte counters, and tells
// the main window by synchronous messages: kMsgStatistics (received, sent
// since the baseline) with a sample, kMsgConnectionLost from the second
// failed check in a row on.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/threads.h"
#include "ras/records.h"

namespace dw::connection {

inline constexpr std::chrono::milliseconds kStatPeriod{2000};

// Pausing is cooperative: Pause() only asks, and the thread stops at its
// next safe point (between two slices of its sleep, before a send, after a
// send returns). It never stops inside a send, so the main window may pause
// it from the handler of the thread's own kMsgConnectionLost; the thread
// stops once that handler has returned. After a pause the thread starts a fresh period and
// forgets an earlier failed check.
//
// A message the thread had already committed to before Pause() or
// Terminate() may still arrive once; the main window drops
// kMsgConnectionLost and kMsgStatistics while Running() is false.
//
// The counters, the baseline and the times are kept under a lock, so the
// operations below are safe from any thread; the main window uses the
// setters while the thread is paused (or not yet started), as it must for
// the numbers to mean anything.
class TrafficSampler {
 public:
  using ConnectionCheck = std::function<bool(ras::Handle)>;
  using StatisticsReader =
      std::function<ras::Dword(std::uint32_t& received, std::uint32_t& sent, ras::Handle)>;

  struct Setup {
    // Both are shared with the thread, which may outlive this object (see
    // the destructor).
    std::shared_ptr<WindowMessages> messages;
    std::shared_ptr<Clock> clock;
    WindowHandle target = 0;  // the main window
    // Is the connection still up: the main window passes ConnIsOpen.
    ConnectionCheck connIsOpen;
    // Defaults: GetStatistics and MainConnectionHandle.
    StatisticsReader getStatistics;
    std::function<ras::Handle()> connection;
    std::chrono::milliseconds period = kStatPeriod;
    // How soon a pause or Terminate is noticed while the thread sleeps.
    std::chrono::milliseconds slice{100};
    // How long the destructor waits for the thread to end.
    std::chrono::milliseconds shutdownLimit{5000};
  };

  // Created paused: no thread runs until the first Resume.
  explicit TrafficSampler(Setup setup);
  // Terminates the thread and waits for it, serving the calling thread's
  // messages meanwhile (the thread may be waiting in a send to it). Call on
  // the target window's thread. A thread still busy after `shutdownLimit`
  // (a RAS call that hangs past its guard) is left to end on its own; it
  // touches nothing this object owned alone.
  ~TrafficSampler();
  TrafficSampler(const TrafficSampler&) = delete;
  TrafficSampler& operator=(const TrafficSampler&) = delete;

  // The first call starts the thread (which begins with ResetCounters);
  // later calls let a paused thread go on. False when the thread could not
  // be created (logged).
  bool Resume();
  void Pause();
  // The loop ends at its next safe point; nothing is sent after that.
  void Terminate();

  // Started, not paused, not terminated: messages from the thread are news.
  bool Running() const;
  // The thread is stopped at a safe point in a pause (for tests and
  // diagnostics).
  bool WaitsPaused() const;

  // Start time := now; elapsed, accumulated, received, sent := 0.
  void ResetCounters();
  // The same, before resuming for a new or restored connection.
  void Restart();
  // accumulated := accumulated + elapsed.
  void Accumulate();
  void SetBaseline(std::uint32_t received, std::uint32_t sent);

  // Bytes per second of the last sample, both directions together.
  std::uint32_t CurrentSpeed() const;
  // elapsed + accumulated.
  std::chrono::milliseconds ConnectedTime() const;
  // Counters minus baseline at the last successful reading.
  std::uint32_t Received() const;
  std::uint32_t Sent() const;

  // One sampling step of the loop, on the calling thread: reads the counters
  // of `conn` and computes the speed over the time since the last sample.
  // Tests call it while no thread runs.
  void Sample(ras::Handle conn);

 private:
  struct Core;
  static void Execute(std::shared_ptr<Core> core);

  std::shared_ptr<Core> core_;
  dw::Thread thread_;
};

}  // namespace dw::connection
