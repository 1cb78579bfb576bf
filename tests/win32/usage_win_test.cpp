// The usage ledger under Wine, once per generation: the Win32 data-files
// adapter and the application-data folder against the real system calls,
// and the generation's real statistics path (the simulator's RAS statistics
// from 2000 on, its system-wide counters in HKEY_DYN_DATA on 98/ME) feeding
// the recorder, its file and the Windows build of dialwave-support.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <cstring>
#include <sstream>
#include <string>

#include "connection/statistics.h"
#include "dial_support_win.h"
#include "platform/fake/fake_shell.h"
#include "platform/win32/adapters_win.h"
#include "support_win.h"
#include "usage/ledger_store.h"
#include "usage/recorder.h"

namespace dw {
namespace {

using namespace std::chrono_literals;

std::string AnsiBinDir() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of("\\/") + 1);
}

// A folder of this test's own under the temporary folder, removed with what
// the test left in it.
class TempFolder {
 public:
  explicit TempFolder(const char* name) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((path_ + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileA((path_ + found.cFileName).c_str());
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveDirectoryA(path_.c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string Contents(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  char block[4096];
  DWORD got = 0;
  while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
  CloseHandle(file);
  return bytes;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

TEST(UsageFilesWine, TheAdapterWritesInPlaceReadsWhatIsThereAndRenamesWithoutReplacing) {
  TempFolder folder("usage-files");
  const auto files = MakeWin32DataFiles();
  const std::string path = folder.path() + "usage.dat";
  std::string bytes = "left alone";
  EXPECT_EQ(files->Read(path, 100, bytes), ReadResult::kMissing);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(files->Read(folder.path() + "no-such\\usage.dat", 100, bytes), ReadResult::kMissing);
  EXPECT_EQ(files->Read(folder.path(), 100, bytes), ReadResult::kFailed);  // a folder
  EXPECT_FALSE(files->Exists(path));

  // A write past the end makes the file that long; one in the middle
  // changes only its own bytes.
  ASSERT_TRUE(files->WriteAt(path, 10, "0123456789"));
  EXPECT_EQ(Contents(path).size(), 20u);
  EXPECT_EQ(Contents(path).substr(10), "0123456789");
  ASSERT_TRUE(files->WriteAt(path, 12, "ab"));
  ASSERT_TRUE(files->WriteAt(path, 0, "XY"));
  const std::string expected = "XY" + Contents(path).substr(2, 8) + "01ab456789";
  EXPECT_EQ(Contents(path), expected);
  ASSERT_EQ(files->Read(path, 1000, bytes), ReadResult::kRead);
  EXPECT_EQ(bytes, expected);
  ASSERT_EQ(files->Read(path, 5, bytes), ReadResult::kRead);
  EXPECT_EQ(bytes, "XY" + expected.substr(2, 3));
  EXPECT_TRUE(files->Exists(path));

  // Large enough to need more than one pass of the read loop.
  const std::string big(40000, 'z');
  ASSERT_TRUE(files->WriteAt(path, 0, big));
  ASSERT_EQ(files->Read(path, 1 << 20, bytes), ReadResult::kRead);
  EXPECT_EQ(bytes, big);

  // A rename never replaces a file.
  const std::string other = folder.path() + "other.bad";
  ASSERT_TRUE(files->WriteAt(other, 0, "other"));
  EXPECT_FALSE(files->Rename(path, other));
  EXPECT_EQ(Contents(other), "other");
  EXPECT_EQ(Contents(path), big);
  const std::string aside = folder.path() + "usage-aside.bad";
  EXPECT_TRUE(files->Rename(path, aside));
  EXPECT_FALSE(files->Exists(path));
  EXPECT_EQ(Contents(aside), big);

  // A folder that is not there cannot take a file.
  EXPECT_FALSE(files->WriteAt(folder.path() + "no-such\\usage.dat", 0, "x"));
}

TEST(UsageFilesWine, TheLedgerLivesInTheUsersApplicationDataFolderOrBesideTheProgram) {
  const auto shell = MakeWin32Shell();
  const auto fileSystem = MakeWin32FileSystem();
  const std::string appData = shell->SpecialFolderPath(usage::kCsidlAppData);
  ASSERT_FALSE(appData.empty()) << "Wine names an application-data folder on every generation";
  ASSERT_TRUE(IsFolder(appData)) << appData;
  const std::string vendor = appData + "\\Korvana";
  const std::string program = vendor + "\\Dialwave";
  const bool vendorWasThere = IsFolder(vendor);
  const bool programWasThere = IsFolder(program);

  const std::string folder = usage::LedgerFolder(*shell, *fileSystem, AnsiBinDir() + "dialwave.exe");
  EXPECT_EQ(folder, program + "\\");
  EXPECT_TRUE(IsFolder(program));

  // The ledger written there through the system's calls reads back.
  const std::string path = folder + usage::kLedgerFileName + std::to_string(GetCurrentProcessId());
  {
    usage::LedgerStore store(MakeWin32DataFiles(), path);
    usage::Ledger ledger = store.Open({2026, 12, 7, 12, 0, 0, 0});
    ledger.Add(usage::DayOf(2026, 12, 7), {1234, 56, 7000});
    ASSERT_TRUE(store.Write(ledger, {2026, 12, 7, 12, 0, 0, 0}));
    EXPECT_EQ(Contents(path).size(), usage::kFileBytes);
    EXPECT_EQ(usage::LedgerStore(MakeWin32DataFiles(), path).Open({2026, 12, 7, 12, 0, 1, 0}),
              ledger);
  }
  DeleteFileA(path.c_str());
  if (!programWasThere) RemoveDirectoryA(program.c_str());
  if (!vendorWasThere) RemoveDirectoryA(vendor.c_str());

  // A system that names no such folder, or one that is not there (98
  // without the desktop update): the program's own folder.
  FakeShell none;
  EXPECT_EQ(usage::LedgerFolder(none, *fileSystem, AnsiBinDir() + "dialwave.exe"), AnsiBinDir());
  none.folders[usage::kCsidlAppData] = "C:\\no-such-folder-" + std::to_string(GetCurrentProcessId());
  EXPECT_EQ(usage::LedgerFolder(none, *fileSystem, AnsiBinDir() + "dialwave.exe"), AnsiBinDir());
  EXPECT_FALSE(IsFolder(none.folders[usage::kCsidlAppData]));
}

TEST(UsageFilesWine, ADamagedFileIsRenamedAsideAndANewOneWrittenWithTheSystemsCalls) {
  TempFolder folder("usage-aside");
  const std::string path = folder.path() + "usage.dat";
  const std::string damaged(usage::kFileBytes, '\x5A');
  ASSERT_TRUE(MakeWin32DataFiles()->WriteAt(path, 0, damaged));
  const LocalDateTime now{2026, 12, 7, 9, 8, 7, 0};
  usage::LedgerStore store(MakeWin32DataFiles(), path);
  usage::Ledger ledger = store.Open(now);
  EXPECT_EQ(ledger, usage::Ledger());
  EXPECT_EQ(store.SetAsidePath(), folder.path() + "usage-20261207-090807.bad");
  EXPECT_EQ(Contents(store.SetAsidePath()), damaged);
  EXPECT_EQ(Contents(path), "<missing>");
  ledger.Add(usage::DayOf(2026, 12, 7), {1, 2, 3});
  ASSERT_TRUE(store.Write(ledger, now));
  EXPECT_EQ(usage::LedgerStore(MakeWin32DataFiles(), path).Open(now), ledger);
  EXPECT_EQ(Contents(store.SetAsidePath()), damaged);
}

// The real statistics path into the recorder, as the main window will feed
// it: the dial thread's baseline, then a reading every sampling period after
// the sampler's connection check.
class UsageStatisticsWine : public test::DialWineTest {
 protected:
  ras::Handle Dial() {
    const ras::Binding calls = ras::CallBinding();
    std::vector<std::uint8_t> params(sizeof(ras::v401::RasDialParamsA), 0);
    ras::WriteDword(params, 0, calls.Size(ras::Record::kDialParams));
    ras::WriteField(params, offsetof(ras::v401::RasDialParamsA, szEntryName),
                    ras::kMaxEntryName + 1, "Korvana");
    ras::Handle conn = 0;
    // No notifier: the call returns when the dial has ended.
    EXPECT_EQ(calls.Dial(params.data(), nullptr, &conn), 0u);
    EXPECT_NE(conn, 0u);
    return conn;
  }
};

TEST_F(UsageStatisticsWine, TheGenerationsCountersFeedTheDaysTotalsAndTheFile) {
  UseSimulator("number *99***1# connect\nrate-received 250000\nrate-sent 40000\n");
  SaveEntry("*99***1#");
  TempFolder folder("usage-stats");
  const std::string path = folder.path() + "usage.dat";
  const auto clock = MakeSystemClock();

  // The dial thread's baseline: the system-wide counters before the dial
  // on 98/ME (another connection's bytes are in them), zero from 2000 on.
  usage::Counters baseline;
  if (win9x_) {
    ASSERT_EQ(connection::GetStatistics(baseline.received, baseline.sent, 0), 0u);
  }
  const ras::Handle conn = Dial();
  ASSERT_EQ(State(conn), ras::kConnected);

  usage::UsageRecorder::Setup setup;
  setup.files = MakeWin32DataFiles();
  setup.path = path;
  setup.flushInterval = 500ms;
  usage::UsageRecorder recorder(std::move(setup), clock->Now());
  const auto started = clock->Monotonic();
  recorder.ConnectionStarted(baseline, clock->Now(), started);
  usage::Counters last = baseline;
  for (int i = 0; i < 6; ++i) {
    Sleep(300);
    ASSERT_EQ(State(conn), ras::kConnected);  // the sampler's check; on 9x it moves the counters
    ASSERT_EQ(connection::GetStatistics(last.received, last.sent, conn), 0u);
    recorder.Sample(last, clock->Now(), clock->Monotonic());
    recorder.FlushIfDue(clock->Now(), clock->Monotonic());
  }
  const auto ended = clock->Monotonic();
  recorder.ConnectionEnded(clock->Now(), ended);
  ASSERT_EQ(ras::CallBinding().HangUp(conn), 0u);

  const std::uint32_t received = last.received - baseline.received;
  const std::uint32_t sent = last.sent - baseline.sent;
  EXPECT_GT(received, 250000u);  // at least 1.8 s at the scenario's rate
  EXPECT_GT(sent, 40000u);
  const usage::Period all{usage::DayOf(2000, 1, 1), usage::DayOf(2100, 1, 1)};
  const usage::Totals totals = recorder.ledger().Sum(all);
  EXPECT_EQ(totals.received, received);
  EXPECT_EQ(totals.sent, sent);
  EXPECT_EQ(totals.connectedMs, static_cast<std::uint64_t>((ended - started).count()));

  // The file holds the same, for the next start and for support staff.
  usage::UsageRecorder::Setup again;
  again.files = MakeWin32DataFiles();
  again.path = path;
  EXPECT_EQ(usage::UsageRecorder(std::move(again), clock->Now()).ledger().Sum(all), totals);
  const std::string csv = test::Capture(test::BinDir() + L"dialwave-support.exe",
                                        L"usage " + std::wstring(path.begin(), path.end()));
  std::istringstream lines(csv);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "date,bytes_received,bytes_sent,connected_seconds\r") << csv;
  std::uint64_t csvReceived = 0, csvSent = 0;
  int days = 0;
  while (std::getline(lines, line) && line.size() > 10) {
    unsigned long long r = 0, s = 0, seconds = 0;
    ASSERT_EQ(std::sscanf(line.c_str() + 11, "%llu,%llu,%llu", &r, &s, &seconds), 3) << line;
    csvReceived += r;
    csvSent += s;
    ++days;
  }
  EXPECT_GE(days, 1);  // two when the test ran over midnight
  EXPECT_EQ(csvReceived, received);
  EXPECT_EQ(csvSent, sent);
}

}  // namespace
}  // namespace dw
