// The tests of one Windows generation share a prefix, so one wineserver: its
// windows, focus and named objects. However the runner schedules them, each
// test process waits for its turn, so no test sees another's windows.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

namespace {

class PrefixTurn : public ::testing::Environment {
 public:
  void SetUp() override {
    turn_ = CreateMutexW(nullptr, FALSE, L"DwWindowsTestsTurn");
    // An abandoned turn (a test that died) passes on as well.
    if (turn_ != nullptr) WaitForSingleObject(turn_, 140000);
  }
  void TearDown() override {
    if (turn_ == nullptr) return;
    ReleaseMutex(turn_);
    CloseHandle(turn_);
    turn_ = nullptr;
  }

 private:
  HANDLE turn_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kPrefixTurn =
    ::testing::AddGlobalTestEnvironment(new PrefixTurn);

}  // namespace
