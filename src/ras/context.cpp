#include "ras/context.h"

namespace dw::ras {
namespace {

class MessagesWaiter final : public RasWaiter {
 public:
  explicit MessagesWaiter(WindowMessages& messages) : messages_(messages) {}
  std::unique_ptr<Event> NewEvent() override { return messages_.NewEvent(); }
  void Serve() override { messages_.ProcessPending(); }
  void WaitPass(const Event& done, std::chrono::milliseconds limit) override {
    messages_.WaitServing(done, limit);
  }

 private:
  WindowMessages& messages_;
};

RasContext& Context() {
  static RasContext context;
  return context;
}

}  // namespace

std::unique_ptr<RasWaiter> MakeMessagesWaiter(WindowMessages& messages) {
  return std::make_unique<MessagesWaiter>(messages);
}

void ConfigureRas(const RasContext& context) { Context() = context; }
const RasContext& CurrentRasContext() { return Context(); }

}  // namespace dw::ras
