// Waiter and worker share their state, so either may finish first: a waiter
// that gives up leaves a worker that still writes, and a worker that ends
// first leaves state the waiter still reads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>

#include "ras/binding.h"
#include "ras_fixture.h"
#include "platform/threads.h"

namespace dw::ras::test {
namespace {

std::atomic<int> g_delayUs{0};

Dword DW_RASAPI SlowProbe(void*, Dword* bytes, Dword* count) {
  dw::SleepFor(std::chrono::microseconds(g_delayUs.load()));
  *bytes = 152;
  *count = 1;
  return 603;
}
Dword DW_RASAPI SlowHangUp(Handle) {
  dw::SleepFor(std::chrono::microseconds(g_delayUs.load()));
  return 0;
}
Dword DW_RASAPI GoneStatus(Handle, void*) { return 6; }

class RasWorkerRace : public RasTest {};

TEST_F(RasWorkerRace, EitherSideMayFinishFirst) {
  StartRas(Generation::kWin2000);
  proxy_->replaced["RasEnumDevicesA"] = reinterpret_cast<void*>(&SlowProbe);
  proxy_->replaced["RasHangUpA"] = reinterpret_cast<void*>(&SlowHangUp);
  proxy_->replaced["RasGetConnectStatusA"] = reinterpret_cast<void*>(&GoneStatus);
  // Real waits of a millisecond per pass, so the two sides meet at every
  // moment of each other's run.
  auto waiter = MakeMessagesWaiter(messages_);
  std::mt19937 random(5);
  int answered = 0;
  int abandoned = 0;
  for (int i = 0; i < 200; ++i) {
    g_delayUs = static_cast<int>(random() % 3000);
    waitCount_ = static_cast<std::int32_t>(random() % 4) - 1;
    ConfigureRas({proxy_.get(), 500, &waitCount_, waiter.get(), &messages_, mainWindow_,
                  std::chrono::milliseconds(1)});
    const Dword r = CheckRasReady();
    ASSERT_TRUE(r == 603 || r == 711) << r;
    (r == 603 ? answered : abandoned)++;
    const Dword h = kRas2k.HangUp(9);
    ASSERT_TRUE(h == 0 || h == 711) << h;
  }
  EXPECT_GT(answered, 0);
  EXPECT_GT(abandoned, 0);
  WaitForWorkers();
  ConfigureRas({});
}

}  // namespace
}  // namespace dw::ras::test
