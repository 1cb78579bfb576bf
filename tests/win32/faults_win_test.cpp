// Faults of the service, the network, the update server and the log under
// Wine, through OpenConnection and the simulator's rasapi32.dll: each ends
// with a clear report, a live window and nothing lost (the phone-book entry,
// the modem's own UserInit after a failed dial, the APN list with its
// version, the log up to the fault). Waits use shortened passes and limits.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>

#include "connection/statistics.h"
#include "core/scenario.h"
#include "dial_support_win.h"
#include "dialogs_support_win.h"
#include "log/log.h"
#include "modem/modems.h"
#include "platform/message_numbers.h"
#include "platform/threads.h"
#include "platform/win32/adapters_win.h"
#include "ras/error_text.h"
#include "settings/settings.h"
#include "ui/open_connection_win.h"
#include "unit/update/loopback_server.h"

namespace dw {
namespace {

using test::DialWineTest;
using ui::test::ChildInfo;

// The main window's part: it records the workers' messages, and a close
// during OpenConnection cancels the dial as the main window does.
struct FaultHost {
  std::vector<UINT> received;
  int closes = 0;
  bool closedWhileRunning = false;
};
FaultHost* g_faultHost = nullptr;

LRESULT CALLBACK FaultHostProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (g_faultHost && m >= kMsgConnectionLost && m <= kMsgTrafficBaseline) {
    g_faultHost->received.push_back(m);
    return 0;
  }
  if (g_faultHost && m == WM_CLOSE) {
    ++g_faultHost->closes;
    if (connection::OpenConnectionRunning()) {
      g_faultHost->closedWhileRunning = true;
      connection::CancelOpenConnection();
    }
    return 0;
  }
  return DefWindowProcW(w, m, wp, lp);
}

class FaultsWine : public DialWineTest {
 protected:
  void SetUp() override {
    DialWineTest::SetUp();
    window_.emplace(L"DwFaultsHost", FaultHostProc);
    hwnd_ = window_->hwnd();
    g_faultHost = &host_;
    settings_.ProgramVersion = "1.0";
    settings_.ApnVersion = "0";
  }
  void TearDown() override {
    ui::test::PendingAction() = nullptr;
    if (library_) Scenario("");  // a hung service lets its callers go
    g_faultHost = nullptr;
    window_.reset();
    StopLog();
    DialWineTest::TearDown();
  }

  // The simulator with these rules, instant notifications unless the rules
  // say otherwise and the default hang-up time; RAS waits in passes of 10 ms
  // instead of 500 ms.
  void Start(const std::string& rules) {
    UseSimulator("");
    Scenario(rules);
    ras::ConfigureRas({library_.get(), winVer_, &waitCount_, waiter_.get(), messages_.get(),
                       reinterpret_cast<WindowHandle>(hwnd_), std::chrono::milliseconds(10)});
  }
  void Scenario(const std::string& rules) {
    std::ofstream(folder_ + "scenario.txt")
        << "device modem " << modem_ << "\nnotify-delay-ms 0\nstrict on\n"
        << rules;
  }
  // rassim.exe beside the tests, on this test's simulator folder.
  // Callable from any thread (no assertion inside).
  bool Rassim(const std::string& args) {
    std::wstring line = L"\"" + test::BinDir() + L"rassim.exe\" " + std::wstring(args.begin(), args.end());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &si, &pi)) {
      return false;
    }
    const bool ended = WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0;
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ended && code == 0;
  }
  std::vector<std::uint8_t> EntryBytes() {
    std::vector<std::uint8_t> e(sizeof(ras::v501::RasEntryA));
    ras::Dword size = ras::EntryBinding().Size(ras::Record::kEntry);
    ras::WriteDword(e, 0, size);
    const ras::Dword r = ras::EntryBinding().GetEntryProperties("Korvana", e.data(), &size, nullptr, nullptr);
    EXPECT_EQ(r, 0u);
    return e;
  }
  static std::string Phone(const std::vector<std::uint8_t>& entry) {
    return ras::ReadField(entry, offsetof(ras::v401::RasEntryA, szLocalPhoneNumber), ras::kMaxPhoneNumber + 1);
  }
  std::string UserInit() { return modem::ModemInitStore(*registry_, platformId_).Read(modem_); }
  int Count(UINT message) const {
    return static_cast<int>(std::count(host_.received.begin(), host_.received.end(), message));
  }

  // An update server and the client's limits for it.
  struct Update {
    UpdateServer server;
    UpdateLimits limits;
  };
  connection::OpenConnectionContext Context(const Update* update) {
    return update ? ConnectContext(hwnd_, &update->server, update->limits)
                  : ConnectContext(hwnd_, nullptr);
  }
  // As the main window connects: its values in, the results kept.
  ras::Handle Open(std::vector<std::string>& apns, const Update* update = nullptr) {
    connection::ConnectRequest request;
    request.modem = modem_;
    request.entryName = "Korvana";
    request.apnList = apns;
    request.refreshApns = !apnListUpdated_;
    request.versionKey = BuildVersionKey(settings_);
    const connection::ConnectResult result = connection::OpenConnection(request, Context(update));
    apns = result.apnList;
    if (result.apnsRefreshed) {
      apnListUpdated_ = true;
      StoreApnVersion(settings_, result.version);
    }
    return result.handle;
  }

  // The error report as a user reads it, closed again; from a timer inside
  // the report's modal loop.
  void ReadReportWhenShown() {
    ui::test::RunInsideLoop([this] { ReadReport(); }, 50);
  }
  // The progress dialog is up with its bar hidden: the report.
  static bool ReportUp() {
    HWND form = ui::test::FindForm(ui::ProgressDialog::kClassName);
    if (!form || !IsWindowVisible(form)) return false;
    for (const ChildInfo& c : ui::test::Children(form)) {
      if (lstrcmpiW(c.kind.c_str(), L"msctls_progress32") == 0) return !c.visible;
    }
    return false;
  }
  void ReadReport() {
    if (!ReportUp()) {
      ReadReportWhenShown();
      return;
    }
    HWND form = ui::test::FindForm(ui::ProgressDialog::kClassName);
    reportShown_ = true;
    for (const ChildInfo& c : ui::test::Children(form)) {
      if (lstrcmpiW(c.kind.c_str(), L"Static") == 0 && c.visible && c.width() > 100) caption_ = c.text;
    }
    for (const ChildInfo& c : ui::test::Children(form)) {
      if (lstrcmpiW(c.kind.c_str(), L"Button") == 0 && c.text == Text(TextId::ProgressClose)) {
        SendMessageW(c.hwnd, BM_CLICK, 0, 0);
      }
    }
  }

  std::optional<test::HostWindow> window_;
  HWND hwnd_ = nullptr;
  FaultHost host_;
  bool apnListUpdated_ = false;
  Settings settings_;
  bool reportShown_ = false;
  std::string caption_;
};

// The service hung (the readiness probe never returns) or answering 711 to
// everything: the dial ends with a report, the main window hears of the
// configuration error, and neither the entry nor the modem is touched.
TEST_F(FaultsWine, AHungOrFailingServiceEndsTheDialWithAReportAndTouchesNothing) {
  for (const char* fault : {"fault hung\n", "fault all-711\n"}) {
    SCOPED_TRACE(fault);
    host_.received.clear();
    reportShown_ = false;
    Start("");
    SaveEntry("*99***1#");
    const std::vector<std::uint8_t> entry = EntryBytes();
    Scenario(fault);
    std::vector<std::string> apns = {"internet.kvr", "internet.ltkvr"};
    ReadReportWhenShown();
    const DWORD start = GetTickCount();
    EXPECT_EQ(Open(apns), 0u);
    EXPECT_LT(GetTickCount() - start, 30000u);
    EXPECT_TRUE(reportShown_) << "the user is told";
    EXPECT_EQ(caption_, Text(TextId::ConnError)) << "no code: nothing was dialled";
    EXPECT_GE(Count(kMsgSystemConfigError), 1) << "the main window shows the configuration error";
    EXPECT_EQ(Count(kMsgConnected), 0);
    EXPECT_EQ(UserInit(), "ATZ");
    EXPECT_EQ(apns, (std::vector<std::string>{"internet.kvr", "internet.ltkvr"}));
    Scenario("");
    EXPECT_EQ(EntryBytes(), entry) << "the entry is as it was";
    EXPECT_TRUE(Connections().empty());
  }
}

// RasHangUpA answers but the connection never goes: the hang-up says it did
// not happen, after its bounded wait, and the connection is still there to
// be watched or hung up again.
TEST_F(FaultsWine, AHangUpThatNeverCompletesIsNotReportedAsDone) {
  Start("");
  SaveEntry("*99***1#");
  std::vector<std::string> apns = {"internet.kvr"};
  const ras::Handle conn = Open(apns);
  ASSERT_NE(conn, 0u);
  Scenario("fault hangup-never\n");
  const DWORD start = GetTickCount();
  EXPECT_FALSE(connection::CloseConnection(conn));
  EXPECT_LT(GetTickCount() - start, 20000u);
  EXPECT_TRUE(connection::ConnIsOpen(conn));
  EXPECT_EQ(State(conn), 8192u);
  Scenario("");
  EXPECT_TRUE(connection::CloseConnection(conn));
  EXPECT_FALSE(connection::ConnIsOpen(conn));
}

// RAS as it is: the hang-up takes its time and the handle goes between two
// of the worker's calls, so the last RasHangUpA finds it gone (6). The
// connection was hung up all the same: the close says so and logs no error.
TEST_F(FaultsWine, AHangUpUnderRealisticRasIsDoneAndLogsNoError) {
  Start("number * connect\n");  // the default hang-up delay
  SaveEntry("*99***1#");
  const std::string exe = folder_ + "dialwave.exe";
  const std::string path = LogFilePath(exe);
  DeleteFileA(path.c_str());
  ConfigureLog({CommandLine::Parse({"/l", "/n"}), exe, MakeSystemClock(),
                std::shared_ptr<const Environment>(MakeWin32Environment()), nullptr});
  for (int i = 0; i < 3; ++i) {
    std::vector<std::string> apns = {"internet.kvr"};
    const ras::Handle conn = Open(apns);
    ASSERT_NE(conn, 0u);
    EXPECT_TRUE(connection::CloseConnection(conn)) << "close " << i;
    EXPECT_NE(State(conn), 8192u);
  }
  StopLog();
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.find("src: RAS-HangUp"), std::string::npos) << text;
  EXPECT_EQ(text.find("src: CloseConnection"), std::string::npos) << text;
  DeleteFileA(path.c_str());
}

// A later service pack's records, larger than the generation's: the modem
// list walks them at their size, the entry is read and saved in them, and
// the dial, the statistics and the hang-up work.
TEST_F(FaultsWine, ALaterServicePacksLargerRecordsDialAndHangUp) {
  Start("");
  std::string sizes;
  for (ras::Record r : ras::kAllRecords) {
    const ras::Dword own = ras::RecordSize(generation_, r);
    if (own == 0) continue;
    sizes +=
        std::string("record-size ") + sim::RecordName(r) + " " + std::to_string(own + 32) + "\n";
  }
  // The modem second, so that it is found only at the service's stride.
  std::ofstream(folder_ + "scenario.txt") << "device isdn Korvana ISDN Adapter\ndevice modem "
                                          << modem_ << "\nnotify-delay-ms 0\nstrict on\n"
                                          << sizes;
  std::vector<std::string> modems;
  EXPECT_EQ(modem::EnumDevices(modems), 0u);
  EXPECT_EQ(modems, std::vector<std::string>{modem_});
  SaveEntry("*99***1#");
  std::vector<std::string> apns = {"internet.kvr"};
  const ras::Handle conn = Open(apns);
  ASSERT_NE(conn, 0u);
  EXPECT_EQ(State(conn), 8192u);
  std::uint32_t received = 0;
  std::uint32_t sent = 0;
  EXPECT_EQ(connection::GetStatistics(received, sent, conn), 0u);
  EXPECT_TRUE(connection::CloseConnection(conn));
}

// A network that wants another login than the operator's: the dial fails
// with 691 in the report, and the modem gets its own UserInit back.
TEST_F(FaultsWine, ALoginTheNetworkRefusesIsReportedWith691) {
  Start("login pvlok another\n");
  SaveEntry("*99***1#");
  std::vector<std::string> apns = {"internet.kvr"};
  ReadReportWhenShown();
  EXPECT_EQ(Open(apns), 0u);
  EXPECT_TRUE(reportShown_);
  EXPECT_NE(caption_.find("691"), std::string::npos) << caption_;
  EXPECT_EQ(UserInit(), "ATZ");
  // The operator's login is what the dial sends.
  Scenario("login pvlok pvlok\n");
  const ras::Handle conn = Open(apns);
  EXPECT_NE(conn, 0u);
  EXPECT_TRUE(connection::CloseConnection(conn));
}

// The network drops the dial before it is through: RAS forgets the handle
// and sends nothing more. The dial notices at its next pass instead of
// running the bar out into "modem silent", tries the next number, and the
// failed attempt gives the modem its own UserInit back.
TEST_F(FaultsWine, ADialTheNetworkDropsEndsAtOnceAndTheNextNumberConnects) {
  Start("number *99***1# connect\nnumber *99# connect\nnotify-delay-ms 400\n");
  SaveEntry("*99***1#");
  std::vector<std::string> apns = {"internet.kvr"};
  bool dropped = false;
  std::function<void()> drop = [&] {
    if (!Connections().empty()) {
      dropped = Rassim("drop all");
      return;
    }
    ui::test::RunInsideLoop(drop, 50);
  };
  ui::test::RunInsideLoop(drop, 50);
  const DWORD start = GetTickCount();
  const ras::Handle conn = Open(apns);
  const DWORD took = GetTickCount() - start;
  ASSERT_TRUE(dropped);
  ASSERT_NE(conn, 0u) << "the second number connects";
  EXPECT_LT(took, 20000u) << "the bar was not run out";
  EXPECT_EQ(State(conn), 8192u);
  EXPECT_EQ(Count(kMsgConnected), 1);
  EXPECT_EQ(UserInit(), connection::ApnCommand("internet.kvr")) << "the second number had the APN too";
}

TEST_F(FaultsWine, ADroppedDialWithNothingLeftReportsTheDropAndRestoresUserInit) {
  Start("number * connect\nnotify-delay-ms 400\n");
  SaveEntry("*99***1#");
  const std::vector<std::uint8_t> entry = EntryBytes();
  std::vector<std::string> apns = {"internet.kvr"};
  // One action at a time runs inside the loop: this one drops every dial
  // it sees until the report is up, then reads it.
  int drops = 0;
  std::function<void()> drop = [&] {
    if (ReportUp()) {
      ReadReport();
      return;
    }
    if (!Connections().empty() && Rassim("drop all")) ++drops;
    ui::test::RunInsideLoop(drop, 50);
  };
  ui::test::RunInsideLoop(drop, 50);
  const DWORD start = GetTickCount();
  EXPECT_EQ(Open(apns), 0u);
  EXPECT_LT(GetTickCount() - start, 20000u) << "the bar was not run out";
  EXPECT_EQ(drops, 2) << "both numbers were dialled and dropped";
  EXPECT_TRUE(reportShown_);
  EXPECT_EQ(caption_, Text(TextId::ConnErrorCode) + std::to_string(connection::kDialDroppedError));
  EXPECT_EQ(UserInit(), "ATZ");
  EXPECT_EQ(Phone(EntryBytes()), Phone(entry)) << "the entry keeps its number";
  EXPECT_TRUE(Connections().empty());
}

// The log file locked by another program or read-only: its records are lost,
// the dial is not, and the file keeps what it had.
TEST_F(FaultsWine, ALockedOrReadOnlyLogLosesOnlyItsRecords) {
  Start("number * connect\n");
  SaveEntry("*99***1#");
  const std::string exe = folder_ + "dialwave.exe";
  const std::string path = LogFilePath(exe);
  const std::shared_ptr<const Clock> clock = MakeSystemClock();
  const std::shared_ptr<const Environment> environment(MakeWin32Environment());
  for (const bool locked : {true, false}) {
    SCOPED_TRACE(locked ? "locked" : "read-only");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    ConfigureLog({CommandLine::Parse({"/l", "/n"}), exe, clock, environment, nullptr});
    WriteLog("before", 1, "the fault");
    HANDLE lock = INVALID_HANDLE_VALUE;
    if (locked) {
      lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    } else {
      ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
      const HANDLE writer = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
      if (writer != INVALID_HANDLE_VALUE) {
        // Wine run by root writes read-only files: the file layer's own
        // test (WriteLog.AFileThatCannotBeWrittenNeverReachesTheCaller) stands in.
        CloseHandle(writer);
        std::printf("[ SKIPPED  ] read-only: this user may write read-only files\n");
        continue;
      }
    }
    std::vector<std::string> apns = {"internet.kvr"};
    const ras::Handle conn = Open(apns);
    EXPECT_NE(conn, 0u) << "the dial does not depend on the log";
    ras::CallBinding().HangUp(conn);
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteLog("after", 2, "the fault");
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto before = text.find("src: before");
    const auto after = text.find("src: after");
    EXPECT_NE(before, std::string::npos) << text;
    EXPECT_NE(after, std::string::npos) << "the log goes on once it can";
    EXPECT_EQ(text.find("DIAL-params"), std::string::npos) << "nothing got in meanwhile";
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
  }
  StopLog();
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

struct ServerFault {
  const char* name;
  std::vector<test::ServerScript> scripts;
  bool unreachable = false;
};

test::ServerScript Dripping(std::string head, std::string body, std::chrono::milliseconds each) {
  test::ServerScript s;
  s.steps.push_back({std::move(head)});
  for (char c : body) s.steps.push_back({std::string(1, c), each});
  return s;
}

// Whatever the update server does after the connection is made, the
// connection stays, the APN list and its version stay as they were, and the
// modem never gets an APN the server made up. The limits are shortened
// (200 ms a line, 1 s an exchange) so no case waits out 15 or 60 seconds.
TEST_F(FaultsWine, AnUpdateServerThatMisbehavesLeavesTheListVersionAndConnection) {
  using test::Answer;
  using test::Ok;
  using namespace std::chrono_literals;
  const test::ServerScript version = Answer(Ok("VERSION=1.0.7"));
  auto held = [](std::string bytes) {
    test::ServerScript s = Answer(std::move(bytes));
    s.holdOpen = true;
    return s;
  };
  std::vector<ServerFault> faults = {
      {"one byte at a time", {Dripping("HTTP/1.0 200 OK\r\n\r\n", "VERSION=1.0.7\r\n", 150ms)}},
      {"silent after the headers", {held("HTTP/1.0 200 OK\r\nContent-Length: 13\r\n\r\n")}},
      {"huge", {version, Answer(Ok("head\r\n" + std::string(1024 * 1024, 'a') + "\r\n"))}},
      {"closing early", {version, Answer("HTTP/1.0 200 OK\r\nContent-Length: 40\r\n\r\nhead\r\nint")}},
      {"longer than it says, left open", {held("HTTP/1.0 200 OK\r\nContent-Length: 400\r\n\r\nVERSION=1.0.7")}},
      {"negative length", {Answer("HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\nVERSION=1.0.7")}},
      {"a quote and a command", {version, Answer(Ok("head\r\ninternet.kvr\";+CFUN=0;\"\r\n"))}},
      {"an AT separator", {version, Answer(Ok("head\r\ninternet.kvr;ATD1\r\n"))}},
      {"a CR splitting a command", {version, Answer(Ok("head\r\ninternet.kvr\r\",\"X\r\n"))}},
      {"control characters", {version, Answer(Ok("head\r\nint\x1b" "net\r\n"))}},
      {"garbage status", {Answer("SSH-2.0-OpenSSH\r\n\r\n")}},
      {"unreachable", {}, true},
  };
  Start("number * connect\n");
  SaveEntry("*99***1#");
  for (const ServerFault& f : faults) {
    SCOPED_TRACE(f.name);
    std::string port;
    std::unique_ptr<test::LoopbackServer> server;
    if (f.unreachable) {
      port = test::LoopbackServer({}).Port();  // listened once, closed now
    } else {
      server = std::make_unique<test::LoopbackServer>(f.scripts);
      port = server->Port();
    }
    const Update client{{"127.0.0.1", port}, {200ms, 1000ms, 64 * 1024}};
    apnListUpdated_ = false;
    settings_.ApnVersion = "0";
    std::vector<std::string> apns = {"internet.kvr", "internet.ltkvr"};
    host_.received.clear();
    const DWORD start = GetTickCount();
    const ras::Handle conn = Open(apns, &client);
    EXPECT_LT(GetTickCount() - start, 10000u);
    ASSERT_NE(conn, 0u);
    EXPECT_EQ(Count(kMsgConnected), 1);
    EXPECT_TRUE(connection::ConnIsOpen(conn)) << "the connection outlives the update";
    EXPECT_EQ(apns, (std::vector<std::string>{"internet.kvr", "internet.ltkvr"}));
    EXPECT_EQ(settings_.ApnVersion, "0");
    EXPECT_FALSE(apnListUpdated_) << "the next connection asks again";
    EXPECT_EQ(UserInit(), connection::ApnCommand("internet.kvr"));
    if (server) server.reset();
    EXPECT_TRUE(connection::CloseConnection(conn));
  }
}

// The connection drops while the update waits for the server: the update
// still ends whole (list and version together) and OpenConnection hands the
// connection over (the main window's sampler then reports the loss). The
// program told to close instead abandons the update: nothing of it is
// kept, and OpenConnection returns before the close goes through.
TEST_F(FaultsWine, ADropDuringTheApnUpdateKeepsItWholeAndACloseAbandonsIt) {
  using namespace std::chrono_literals;
  Start("number * connect\n");
  SaveEntry("*99***1#");
  for (const bool drop : {true, false}) {
    SCOPED_TRACE(drop ? "drop" : "close");
    test::ServerScript slowVersion;
    slowVersion.steps = {{"", 400ms}, {test::Ok("VERSION=1.0.7")}};
    test::LoopbackServer server({slowVersion, test::Answer(test::Ok("APN list 7\r\ninternet.new\r\n"))});
    const Update client{{"127.0.0.1", server.Port()}, {2000ms, 5000ms, 64 * 1024}};
    apnListUpdated_ = false;
    settings_.ApnVersion = "0";
    std::vector<std::string> apns = {"internet.kvr"};
    // The fault comes from another thread once the server has the request.
    std::atomic<bool> done{false}, faulted{false};
    host_.closes = 0;
    host_.closedWhileRunning = false;
    dw::Thread fault([&] {
      while (!done && server.Requests().empty()) Sleep(5);
      if (done) return;
      faulted = drop ? Rassim("drop all") : PostMessageW(hwnd_, WM_CLOSE, 0, 0) != 0;
    });
    const ras::Handle conn = Open(apns, &client);
    done = true;
    fault.join();
    ASSERT_TRUE(faulted);
    ASSERT_NE(conn, 0u);
    if (drop) {
      EXPECT_EQ(apns, (std::vector<std::string>{"internet.new"}));
      EXPECT_EQ(settings_.ApnVersion, "7");
      EXPECT_TRUE(apnListUpdated_);
    } else {
      EXPECT_EQ(apns, (std::vector<std::string>{"internet.kvr"}));
      EXPECT_EQ(settings_.ApnVersion, "0");
      EXPECT_FALSE(apnListUpdated_);
    }
    EXPECT_EQ(connection::ConnIsOpen(conn), !drop);
    if (!drop) {
      // Served during the call or after it; either way the main window
      // then asks about the connection it was handed.
      MSG msg;
      while (PeekMessageW(&msg, hwnd_, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      EXPECT_EQ(host_.closes, 1);
      EXPECT_FALSE(connection::OpenConnectionRunning());
      EXPECT_TRUE(connection::CloseConnection(conn));
    }
  }
}

}  // namespace
}  // namespace dw
