// What the RAS layer works with: the library, the generation, the readiness
// wait count, how a waiting caller keeps its thread alive, and the main
// window that hears of code 711. Set once at start-up, before any worker.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

#include "platform/messages.h"
#include "platform/ras_library.h"

namespace dw::ras {

// How a thread that waits for a RAS worker spends its passes. One object
// serves every calling thread: it acts on the thread that calls it.
class RasWaiter {
 public:
  virtual ~RasWaiter() = default;
  virtual std::unique_ptr<Event> NewEvent() = 0;
  // Handles the calling thread's pending window messages.
  virtual void Serve() = 0;
  // One pass's wait: returns when `done` is set or `limit` has passed,
  // serving the calling thread's messages meanwhile.
  virtual void WaitPass(const Event& done, std::chrono::milliseconds limit) = 0;
};

// Passes spent on the window-messages port, waking as soon as the worker is
// done.
std::unique_ptr<RasWaiter> MakeMessagesWaiter(WindowMessages& messages);

struct RasContext {
  const RasLibrary* library = nullptr;  // lives until the process ends
  std::uint32_t winVer = 0;
  std::atomic<std::int32_t>* readyWaitCount = nullptr;  // null: always the normal wait
  RasWaiter* waiter = nullptr;
  WindowMessages* messages = nullptr;  // carries kMsgSystemConfigError to `mainWindow`
  WindowHandle mainWindow = 0;
  std::chrono::milliseconds passLength{500};
};

// Replaces the layer's context (start-up; tests between cases).
void ConfigureRas(const RasContext& context);
const RasContext& CurrentRasContext();

}  // namespace dw::ras
