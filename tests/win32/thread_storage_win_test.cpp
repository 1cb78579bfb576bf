// What a thread's start and end leave behind in the C runtime's heap, with
// the work a real worker does (an exception thrown and caught). The 9x
// loader calls no TLS callbacks; Wine's does, whatever version it plays. So
// the measurement runs in a copy of this program whose TLS directory is
// removed from its header: Wine's loader then calls none of its callbacks,
// not even at the process's start, exactly as the 9x loader does not.
#include <gtest/gtest.h>

#include <malloc.h>
#include <process.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/threads.h"
#include "platform/win32/win.h"
#include "support_win.h"

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

// The bytes one start and end of a thread leaves behind, over `count`.
template <typename StartAndJoin>
double GrowthPerThread(StartAndJoin startAndJoin, int count = kThreads) {
  for (int i = 0; i < 20; ++i) startAndJoin();  // the runtime's one-time blocks
  const long long before = UsedHeapBytes();
  for (int i = 0; i < count; ++i) startAndJoin();
  const long long after = UsedHeapBytes();
  if (before < 0 || after < 0) return -1e9;
  return static_cast<double>(after - before) / count;
}

void ProgramThread() {
  Thread worker(WorkerWork);
  worker.join();
}

// A thread as the program started its threads before it ran the clean-up
// itself: _beginthreadex and the body, nothing after.
void RawThread() {
  const auto handle = _beginthreadex(nullptr, 0, RawWorker, nullptr, 0, nullptr);
  ASSERT_NE(handle, 0u);
  WaitForSingleObject(reinterpret_cast<HANDLE>(handle), INFINITE);
  CloseHandle(reinterpret_cast<HANDLE>(handle));
}

// A copy of `from` whose header names no TLS directory.
bool CopyWithoutTlsDirectory(const std::wstring& from, const std::wstring& to) {
  std::ifstream in(from.c_str(), std::ios::binary);
  std::vector<char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (image.size() < 0x40) return false;
  auto dword = [&](std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, image.data() + at, sizeof v);
    return v;
  };
  const std::size_t pe = dword(0x3C);
  if (pe + 24 + 2 > image.size() || std::memcmp(image.data() + pe, "PE\0\0", 4) != 0) return false;
  const std::size_t optional = pe + 24;
  std::uint16_t magic = 0;
  std::memcpy(&magic, image.data() + optional, sizeof magic);
  const std::size_t directories = optional + (magic == 0x20B ? 112 : 96);
  const std::size_t tls = directories + IMAGE_DIRECTORY_ENTRY_TLS * 8;
  if (tls + 8 > image.size() || dword(tls) == 0) return false;  // no TLS directory to remove
  std::memset(image.data() + tls, 0, 8);
  std::ofstream out(to.c_str(), std::ios::binary | std::ios::trunc);
  out.write(image.data(), static_cast<std::streamsize>(image.size()));
  return static_cast<bool>(out);
}

std::string Value(const std::string& output, const std::string& key) {
  const std::string tag = "thread-storage " + key + "=";
  const auto at = output.find(tag);
  if (at == std::string::npos) return {};
  const auto start = at + tag.size();
  return output.substr(start, output.find_first_of("\r\n", start) - start);
}

// The measurement inside the copy without TLS callbacks; started by the
// test below only.
TEST(ThreadStorageWithoutTlsCallbacks, DISABLED_Measure) {
  std::printf("thread-storage program-cleans-up=%d\n", ThreadEndCleanUpByProgram() ? 1 : 0);
  std::printf("thread-storage program-thread=%.1f\n", GrowthPerThread(ProgramThread));
  std::printf("thread-storage raw-thread=%.1f\n", GrowthPerThread(RawThread, kBareThreads));
  std::fflush(stdout);
}

TEST(ThreadStorage, ThreadsEndingWhereTheLoaderCallsNoTlsCallbacksLeaveNothing) {
  wchar_t self[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring copy =
      std::wstring(temp) + L"dw-no-tls-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  ASSERT_TRUE(CopyWithoutTlsDirectory(self, copy)) << "no TLS directory in the test program";
  const std::string output =
      test::Capture(copy,
                    L"--gtest_also_run_disabled_tests "
                    L"--gtest_filter=ThreadStorageWithoutTlsCallbacks.DISABLED_Measure",
                    120000);
  DeleteFileW(copy.c_str());
  ASSERT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;

  // The copy ran as on 9x: no callback told it the process had started.
  EXPECT_EQ(Value(output, "program-cleans-up"), "1") << output;
  const std::string rawText = Value(output, "raw-thread");
  const std::string programText = Value(output, "program-thread");
  ASSERT_FALSE(rawText.empty() || programText.empty()) << output;
  const double raw = std::stod(rawText);
  const double program = std::stod(programText);
  std::printf("per thread without TLS callbacks: %.1f bytes left by a bare thread, "
              "%.1f by the program's\n",
              raw, program);
  // The reproduction holds: a thread that does not clean up leaks.
  EXPECT_GT(raw, 16.0) << output;
  EXPECT_LE(program, static_cast<double>(kFewBytes)) << output;
}

// Where the loader does call the callbacks (NT, and Wine always), they do
// the clean-up and the program leaves it to them: nothing is freed twice,
// nothing stays.
TEST(ThreadStorage, ThreadsEndingWhereTheLoaderCallsTlsCallbacksLeaveNothing) {
  EXPECT_FALSE(ThreadEndCleanUpByProgram());
  const double program = GrowthPerThread(ProgramThread);
  std::printf("per thread with TLS callbacks: %.1f bytes\n", program);
  EXPECT_LE(program, static_cast<double>(kFewBytes));
  EXPECT_GT(program, -static_cast<double>(kFewBytes)) << "the heap walk failed";
}

}  // namespace
}  // namespace dw
