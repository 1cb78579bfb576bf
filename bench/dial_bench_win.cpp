// One whole dial in the Windows build under Wine, from the connect button's
// call to the connected handle: OpenConnection (the progress dialog, the dial
// thread, the entry check, the UserInit write, the notifications through the
// simulator's rasapi32.dll with its file-locked state) against a simulator
// with no delays of its own. It prints timings and never judges them.
//   scripts/wine-run --gen winxp build/win64/bin/dial_bench_win.exe [--runs=N]
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "ui/open_connection_win.h"
#include "win32/dial_support_win.h"

namespace dw {
namespace {

int g_runs = 10;

LRESULT CALLBACK QuietHostProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(w, m, wp, lp);
}

class DialBenchWine : public test::DialWineTest {
 protected:
  void SetUp() override {
    DialWineTest::SetUp();
    host_.emplace(L"DwDialBenchHost", QuietHostProc);
  }
  void TearDown() override {
    host_.reset();
    DialWineTest::TearDown();
  }

  void SaveOther(const std::string& name) {
    const ras::Binding entries = ras::EntryBinding();
    std::vector<std::uint8_t> e(sizeof(ras::v501::RasEntryA));
    ras::WriteDword(e, 0, entries.Size(ras::Record::kEntry));
    ras::WriteDword(e, offsetof(ras::v501::RasEntryA, dwFramingProtocol), 1);
    ras::WriteDword(e, offsetof(ras::v501::RasEntryA, dwfNetProtocols), 4);
    ras::WriteField(e, offsetof(ras::v501::RasEntryA, szLocalPhoneNumber), ras::kMaxPhoneNumber + 1, "*99#");
    ras::WriteField(e, offsetof(ras::v501::RasEntryA, szDeviceType), ras::kMaxDeviceType + 1, "modem");
    ras::WriteField(e, offsetof(ras::v501::RasEntryA, szDeviceName), ras::kMaxDeviceName + 1, "Other Modem");
    ASSERT_EQ(entries.SetEntryProperties(name.c_str(), e.data(), entries.Size(ras::Record::kEntry), nullptr, 0),
              0u);
  }

  // Connects `g_runs` times, hanging up between runs; `fresh` empties the
  // phone book before each run so the entry is created every time.
  void Measure(const char* label, bool fresh) {
    std::vector<double> ms;
    for (int i = 0; i < g_runs; ++i) {
      if (fresh) std::remove((folder_ + "state.txt").c_str());
      const connection::OpenConnectionContext c{.mainWindow = host_->hwnd(),
                                                .registry = registry_.get(),
                                                .platformId = platformId_,
                                                .messages = messages_.get(),
                                                .clock = clock_.get(),
                                                .waiter = waiter_.get(),
                                                .progressLock = &lock_};
      connection::ConnectRequest request;
      request.modem = modem_;
      request.entryName = "Korvana";
      request.apnList = {"internet.kvr", "internet.ltkvr"};
      LARGE_INTEGER freq, start, end;
      QueryPerformanceFrequency(&freq);
      QueryPerformanceCounter(&start);
      const ras::Handle conn = connection::OpenConnection(request, c).handle;
      QueryPerformanceCounter(&end);
      ASSERT_NE(conn, 0u) << label << ": the dial failed";
      ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / freq.QuadPart);
      ras::CallBinding().HangUp(conn);
      for (int w = 0; w < 200 && !Connections().empty(); ++w) Sleep(5);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("case=%s\nruns=%d\nmin-ms=%.1f\nmedian-ms=%.1f\nmax-ms=%.1f\n", label, g_runs, ms.front(),
                ms[ms.size() / 2], ms.back());
    std::fflush(stdout);
  }

  std::optional<test::HostWindow> host_;
};

TEST_F(DialBenchWine, WholeDial) {
  UseSimulator("apn internet.kvr connect\nnumber *99***1# connect\n");
  Measure("empty-phone-book", true);
  SaveEntry("*99***1#");
  Measure("operator-entry", false);
  for (int i = 0; i < 50; ++i) SaveOther("Other " + std::to_string(i));
  Measure("operator-entry-among-50", false);
}

}  // namespace
}  // namespace dw

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--runs=", 7) == 0) dw::g_runs = std::max(1, std::atoi(argv[i] + 7));
  }
  return RUN_ALL_TESTS();
}
