// What a thread's start and end leave behind in the C runtime's heap, with
// the work a real worker does (an exception thrown and caught). The 9x
// loader calls no TLS callbacks; Wine's does, whatever version it plays. So
// the 9x measurement runs in a copy of this program whose TLS directory is
// removed from its header (tests/win32/thread_storage_9x.sh): Wine's loader
// then calls none of its callbacks, not even at the process's start,
// exactly as the 9x loader does not.
#include <gtest/gtest.h>

#include <malloc.h>
#include <process.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/threads.h"
#include "platform/win32/win.h"

namespace dw {
namespace {

constexpr int kThreads = 1000;
// Enough to show what a thread without the clean-up leaves, at less cost.
constexpr int kBareThreads = 200;
// Per thread, what may stay: rounding of the heap's own bookkeeping.
constexpr long long kFewBytes = 4;

// Bytes in use in the C runtime's heap, where malloc, new and the C++
// runtime's per-thread blocks live. _heapwalk, not HeapWalk: 9x has only the
// former.
long long UsedHeapBytes() {
  _HEAPINFO entry{};
  entry._pentry = nullptr;
  long long used = 0;
  int status;
  while ((status = _heapwalk(&entry)) == _HEAPOK) {
    if (entry._useflag == _USEDENTRY) used += static_cast<long long>(entry._size);
  }
  return status == _HEAPEND || status == _HEAPEMPTY ? used : -1;
}

// What a worker does that reaches the runtime's per-thread state: the
// exception globals through a throw and a catch, and the count of
// exceptions in flight.
void WorkerWork() {
  try {
    throw std::runtime_error("the line dropped");
  } catch (const std::exception& e) {
    volatile std::size_t length = std::strlen(e.what());
    (void)length;
  }
  volatile int inFlight = std::uncaught_exceptions();
  (void)inFlight;
}

unsigned __stdcall RawWorker(void*) {
  WorkerWork();
  return 0;
}

// Threads run a few at a time, each started and ended once.
constexpr int kBatch = 10;

// The bytes one start and end of a thread leaves behind, over `count`
// threads (a multiple of kBatch).
template <typename StartAndJoinBatch>
double GrowthPerThread(StartAndJoinBatch batch, int count = kThreads) {
  for (int i = 0; i < 2; ++i) batch();  // the runtime's one-time blocks
  const long long before = UsedHeapBytes();
  for (int i = 0; i < count / kBatch; ++i) batch();
  const long long after = UsedHeapBytes();
  if (before < 0 || after < 0) return -1e9;
  return static_cast<double>(after - before) / count;
}

void ProgramThreads() {
  std::vector<Thread> workers;
  for (int i = 0; i < kBatch; ++i) workers.emplace_back(WorkerWork);
  for (Thread& worker : workers) worker.join();
}

// Threads as the program started its threads before it ran the clean-up
// itself: _beginthreadex and the body, nothing after.
void RawThreads() {
  std::vector<HANDLE> handles;
  for (int i = 0; i < kBatch; ++i) {
    const auto handle = _beginthreadex(nullptr, 0, RawWorker, nullptr, 0, nullptr);
    ASSERT_NE(handle, 0u);
    handles.push_back(reinterpret_cast<HANDLE>(handle));
  }
  WaitForMultipleObjects(kBatch, handles.data(), TRUE, INFINITE);
  for (HANDLE h : handles) CloseHandle(h);
}

// The measurement in a copy of this program without TLS callbacks, which
// tests/win32/thread_storage_9x.sh makes and runs: it prints its figures.
TEST(ThreadStorageWithoutTlsCallbacks, DISABLED_Measure) {
  std::printf("thread-storage program-cleans-up=%d\n", ThreadEndCleanUpByProgram() ? 1 : 0);
  std::printf("thread-storage program-thread=%.1f\n", GrowthPerThread(ProgramThreads));
  std::printf("thread-storage raw-thread=%.1f\n", GrowthPerThread(RawThreads, kBareThreads));
  std::fflush(stdout);
}

// Where the loader does call the callbacks (NT, and Wine always), they do
// the clean-up and the program leaves it to them: nothing is freed twice,
// nothing stays.
TEST(ThreadStorage, ThreadsEndingWhereTheLoaderCallsTlsCallbacksLeaveNothing) {
  EXPECT_FALSE(ThreadEndCleanUpByProgram());
  const double program = GrowthPerThread(ProgramThreads);
  std::printf("per thread with TLS callbacks: %.1f bytes\n", program);
  EXPECT_LE(program, static_cast<double>(kFewBytes));
  EXPECT_GT(program, -static_cast<double>(kFewBytes)) << "the heap walk failed";
}

}  // namespace
}  // namespace dw
