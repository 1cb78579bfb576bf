// The phone-book entry and the connection-presence question under Wine, once
// per generation: the entry goes through the simulator's rasapi32.dll (loaded
// by its full path from the build, strict about record sizes) and rassim.exe,
// another process, shows what the service keeps; the question asked on a
// worker thread is shown by the user-interface thread and answered there.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "connection/presence.h"
#include "core/entry_points.h"
#include "core/layouts.h"
#include "dialogs_support_win.h"
#include "phonebook/phonebook.h"
#include "platform/registry.h"
#include "platform/win32/adapters_win.h"
#include "ras/binding.h"
#include "ras/context.h"
#include "ras/readiness.h"
#include "ras/record_access.h"
#include "ras_module_support_win.h"
#include "support_win.h"
#include "text/texts.h"
#include "ui/dialogs/question_win.h"
#include "platform/threads.h"

namespace dw {
namespace {

using test::ModuleLibrary;
using test::Version;
using test::WinVer;
using ras::Dword;
using ras::Handle;
using ras::Record;

constexpr const char* kModem = "Korvana GPRS Modem";
constexpr const char* kIsdn = "Korvana ISDN Adapter";

std::atomic<Dword> g_state{~0u};
std::atomic<Dword> g_error{0};

void DW_RASAPI Notify(unsigned, Dword state, Dword error) {
  g_error = error;
  g_state = state;
}

class PhonebookWine : public ::testing::Test {
 protected:
  static std::string ModemDevices() {
    return std::string("device modem ") + kModem + "\ndevice modem Old Phone\n";
  }
  void SetUp() override {
    static int counter = 0;
    // Written here, not loaded with `rassim scenario`, which would install
    // the modems' keys into the shared prefix: RAS saves entries only for
    // devices it has.
    folder_ = test::UseScenarioFolder("phonebook-" + std::to_string(++counter),
                                      "device isdn " + std::string(kIsdn) + "\n" + ModemDevices() +
                                          "number *99***1# connect\n"
                                          "notify-delay-ms 20\n"
                                          "strict on\n");
    module_ = LoadLibraryW((test::BinDir() + L"rasapi32.dll").c_str());
    ASSERT_NE(module_, nullptr);
    ASSERT_NE(GetProcAddress(module_, "RasSimMarker"), nullptr) << "not the simulator";
    library_ = std::make_unique<ModuleLibrary>(module_);
    messages_ = MakeWin32WindowMessages();
    waiter_ = ras::MakeMessagesWaiter(*messages_);
    ras::ConfigureRas({library_.get(), WinVer(), &waitCount_, waiter_.get(), messages_.get(), 0,
                       std::chrono::milliseconds(500)});
  }
  void TearDown() override {
    connection::ConfigurePresence({});
    for (int i = 0; i < 500 && ras::RunningRasWorkers() != 0; ++i) Sleep(10);
    ras::ConfigureRas({});
  }

  ras::Generation Generation() const { return ras::GenerationOf(WinVer()); }
  Dword Size(Record r) const { return ras::RecordSize(Generation(), r); }
  // The size the service reports for its own records.
  Dword Own(Record r) const { return sim::layout::OwnSize(Generation(), r); }

  // `rassim state` (or another command) as key -> value.
  std::map<std::string, std::string> Rassim(const std::wstring& arguments) {
    const std::string out = test::Capture(test::BinDir() + L"rassim.exe", arguments);
    std::map<std::string, std::string> values;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const auto eq = line.find('=');
      if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
  }
  std::map<std::string, std::string> State() { return Rassim(L"state"); }

  // Entry `i` of the state as the operator's settings leave it.
  void ExpectOperatorEntry(std::map<std::string, std::string>& s, int i, const std::string& name,
                           const std::string& phone) {
    const std::string p = "entry." + std::to_string(i) + ".";
    const bool win9x = ras::IsWin9x(Generation());
    EXPECT_EQ(s[p + "name"], name);
    EXPECT_EQ(s[p + "phone"], phone);
    EXPECT_EQ(s[p + "device-type"], "modem");
    EXPECT_EQ(s[p + "device-name"], kModem);
    EXPECT_EQ(s[p + "options"], win9x ? "0x00000110" : "0x388C0110");
    EXPECT_EQ(s[p + "framing"], "1");
    EXPECT_EQ(s[p + "net-protocols"], "4");
    EXPECT_EQ(s[p + "dial-mode"], win9x ? "0" : "1");
    EXPECT_EQ(s[p + "type"], win9x ? "0" : "1");
    EXPECT_EQ(s[p + "encryption"], win9x ? "0" : "3");
    EXPECT_EQ(s[p + "prerequisite-entry"], "");
    EXPECT_EQ(s[p + "size"], std::to_string(Own(Record::kEntry)));
  }

  Dword SaveEntry(const std::string& name, const std::string& device, const std::string& type,
                  const std::string& phone) {
    std::vector<std::uint8_t> e(Size(Record::kEntry), 0);
    ras::WriteDword(e, 0, Size(Record::kEntry));
    ras::WriteDword(e, offsetof(ras::v400::RasEntryA, dwFramingProtocol), 1);
    ras::WriteDword(e, offsetof(ras::v501::RasEntryA, dwType), 1);  // 2000 on: a phone line
    ras::WriteField(e, offsetof(ras::v400::RasEntryA, szLocalPhoneNumber), 129, phone);
    ras::WriteField(e, offsetof(ras::v400::RasEntryA, szDeviceType), 17, type);
    ras::WriteField(e, offsetof(ras::v400::RasEntryA, szDeviceName), 129, device);
    const auto set = reinterpret_cast<ras::RasSetEntryPropertiesAFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "RasSetEntryPropertiesA")));
    return set(nullptr, name.c_str(), e.data(), Size(Record::kEntry), nullptr, 0);
  }

  std::string folder_;
  HMODULE module_ = nullptr;
  std::unique_ptr<RasLibrary> library_;
  std::unique_ptr<WindowMessages> messages_;
  std::unique_ptr<ras::RasWaiter> waiter_;
  std::atomic<std::int32_t> waitCount_{20};
};

TEST_F(PhonebookWine, TheFirstEntryReachesTheServiceAsTheGenerationsTableSetsIt) {
  std::string name;
  const auto record = phonebook::CheckConnName(kModem, name);
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(name, "Korvana");
  // At the size the service reports: from Vista on its own, larger one.
  EXPECT_EQ(record->size(), Own(Record::kEntry));

  auto s = State();
  char gen[16] = {};
  GetEnvironmentVariableA("DW_WINE_GEN", gen, sizeof gen);
  const std::string harness = gen;
  EXPECT_EQ(s["generation"], harness == "win7" || harness == "win10" ? "vista" : harness);
  ASSERT_EQ(s["entries"], "1");
  ExpectOperatorEntry(s, 1, "Korvana", "*99***1#");
  EXPECT_EQ(s["entry.1.user"], "");

  // Again: the remembered entry is repaired in place, nothing new appears.
  ASSERT_TRUE(phonebook::CheckConnName(kModem, name).has_value());
  EXPECT_EQ(name, "Korvana");
  s = State();
  EXPECT_EQ(s["entries"], "1");
}

TEST_F(PhonebookWine, AnEntryWithTheOperatorsLoginIsAdoptedAndAStrangersIsNot) {
  std::ofstream(folder_ + "entries.txt")
      << "device isdn " << kIsdn << "\n"
      << "strict on\n"
         "entry name=Korvana;device=Old Phone;phone=*99#;user=pvlok\n"
         "entry name=Stranger;device=" << kModem << ";phone=*99#;user=ivanov\n"
         "entry name=Operator;device=" << kModem << ";phone=*99#;user=pvlok\n";
  const std::wstring file(folder_.begin(), folder_.end());
  auto loaded = Rassim(L"scenario \"" + file + L"entries.txt\"");
  ASSERT_EQ(loaded["entries"], "3");
  ASSERT_EQ(loaded["modems"], "0") << "the shared prefix keeps its registry";
  std::ofstream(folder_ + "scenario.txt", std::ios::app) << ModemDevices();

  std::string name = "Korvana";  // of the modem used before
  ASSERT_TRUE(phonebook::CheckConnName(kModem, name).has_value());
  EXPECT_EQ(name, "Operator");
  auto s = State();
  ASSERT_EQ(s["entries"], "3");
  // Scenario entries were saved with the newest record; this one now with
  // the generation's.
  ExpectOperatorEntry(s, 3, "Operator", "*99#");
  EXPECT_EQ(s["entry.3.user"], "pvlok");
  EXPECT_EQ(s["entry.1.device-name"], "Old Phone");
  EXPECT_EQ(s["entry.1.options"], "0x00000110");
  EXPECT_EQ(s["entry.2.options"], "0x00000110");
  EXPECT_EQ(s["entry.2.size"], std::to_string(sizeof(ras::v501::RasEntryA)));
}

// --- The question, asked on a worker, answered on this (the UI) thread.

struct QuestionSeen {
  bool found = false;
  DWORD thread = 0;
  std::string title;
  std::string label;
  std::vector<std::string> buttons;
  bool errorIcon = false;
  bool topmost = false;
  bool pressYes = false;
};
QuestionSeen g_seen;

void CALLBACK AnswerWhenShown(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND form = ui::test::FindForm(ui::ErrorQuestionDialog::kClassName);
  if (form == nullptr || !IsWindowVisible(form)) return;  // not yet: the next tick
  KillTimer(nullptr, id);
  g_seen.found = true;
  g_seen.thread = GetWindowThreadProcessId(form, nullptr);
  g_seen.title = ui::test::WindowText(form);
  g_seen.topmost = (GetWindowLongPtrW(form, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  HWND press = nullptr;
  for (const ui::test::ChildInfo& c : ui::test::Children(form)) {
    if (!c.visible) continue;
    if (lstrcmpiW(c.kind.c_str(), L"Button") == 0) {
      g_seen.buttons.push_back(c.text);
      if (c.text == (g_seen.pressYes ? "&Yes" : "&No")) press = c.hwnd;
    } else if ((GetWindowLongPtrW(c.hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      g_seen.errorIcon = reinterpret_cast<HICON>(SendMessageW(c.hwnd, STM_GETICON, 0, 0)) ==
                         LoadIconW(nullptr, IDI_ERROR);
    } else if (!c.text.empty()) {
      g_seen.label = c.text;
    }
  }
  if (press != nullptr) SendMessageW(press, BM_CLICK, 0, 0);
}

class PresenceWine : public PhonebookWine {
 protected:
  // An ISDN connection: the modem's keys stay out of the shared prefix, and
  // a device without UserInit has no APN of ours, so the question comes.
  Handle ConnectIsdn() {
    EXPECT_EQ(SaveEntry("Theirs", kIsdn, "isdn", "*99***1#"), 0u);
    std::vector<std::uint8_t> p(Size(Record::kDialParams), 0);
    ras::WriteDword(p, 0, Size(Record::kDialParams));
    ras::WriteField(p, offsetof(ras::v400::RasDialParamsA, szEntryName), 257, "Theirs");
    const auto dial = reinterpret_cast<ras::RasDialAFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "RasDialA")));
    Handle conn = 0;
    g_state = ~0u;
    g_error = 0;
    EXPECT_EQ(dial(nullptr, nullptr, p.data(), 0, reinterpret_cast<void*>(&Notify), &conn), 0u);
    for (int i = 0; i < 500 && g_state != ras::kConnected && g_error == 0; ++i) Sleep(10);
    EXPECT_EQ(g_state.load(), static_cast<Dword>(ras::kConnected));
    return conn;
  }

  // Runs CheckAlreadyConnected on a worker while this thread serves its
  // messages (and so shows the question) until the worker is done.
  Handle CheckOnWorker(bool pressYes, std::string& entry, DWORD& workerThread) {
    g_seen = QuestionSeen{};
    g_seen.pressYes = pressYes;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, AnswerWhenShown);
    std::atomic<bool> done{false};
    std::atomic<DWORD> worker{0};
    Handle result = ~Handle{0};
    dw::Thread t([&] {
      worker = GetCurrentThreadId();
      result = connection::CheckAlreadyConnected(kIsdn, entry, {"internet.kvr"});
      done = true;
    });
    const DWORD start = GetTickCount();
    while (!done && GetTickCount() - start < 60000) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    if (!done) {
      // Never leave a worker blocked on this thread behind.
      ADD_FAILURE() << "the worker never got its answer";
      PostQuitMessage(0);
    }
    t.join();
    KillTimer(nullptr, timer);
    workerThread = worker;
    return result;
  }

  void ExpectTheStandardQuestion(DWORD workerThread) {
    ASSERT_TRUE(g_seen.found) << "no question was shown";
    EXPECT_EQ(g_seen.thread, GetCurrentThreadId()) << "shown by the user-interface thread";
    EXPECT_NE(g_seen.thread, workerThread);
    EXPECT_EQ(g_seen.title, "Error");
    EXPECT_EQ(g_seen.buttons, (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_EQ(g_seen.label, Text(TextId::OtherApnConnected));
    EXPECT_TRUE(g_seen.errorIcon);
    EXPECT_TRUE(g_seen.topmost);
  }

  std::unique_ptr<Registry> registry_ = MakeWin32Registry();
};

TEST_F(PresenceWine, AWorkersQuestionIsShownOnTheUiThreadAndNoAdoptsTheConnection) {
  ui::Win32UserQuestions questions;
  connection::ConfigurePresence({registry_.get(), Version().dwPlatformId, &questions});
  const Handle conn = ConnectIsdn();
  ASSERT_NE(conn, 0u);

  std::string entry = "Korvana";
  DWORD worker = 0;
  EXPECT_EQ(CheckOnWorker(false, entry, worker), conn);
  ExpectTheStandardQuestion(worker);
  EXPECT_EQ(entry, "Theirs");
  EXPECT_TRUE(connection::ConnIsOpen(conn));
  EXPECT_EQ(ui::test::FindForm(ui::ErrorQuestionDialog::kClassName), nullptr)
      << "the dialog is gone";

  // Yes: the worker hangs up and dials anew.
  entry = "Korvana";
  EXPECT_EQ(CheckOnWorker(true, entry, worker), 0u);
  ExpectTheStandardQuestion(worker);
  EXPECT_EQ(entry, "Korvana");
  EXPECT_FALSE(connection::ConnIsOpen(conn));
  EXPECT_EQ(State()["connections"], "0");
}

TEST_F(PresenceWine, AskedOnTheUiThreadItselfTheQuestionIsShownThere) {
  ui::Win32UserQuestions questions;
  g_seen = QuestionSeen{};
  g_seen.pressYes = true;
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, AnswerWhenShown);
  EXPECT_TRUE(questions.AskErrorYesNo(Text(TextId::OtherApnConnected)));
  KillTimer(nullptr, timer);
  ExpectTheStandardQuestion(0);

  // Closed from its title bar: no answer is No.
  ui::test::RunInsideLoop([] {
    SendMessageW(ui::test::FindForm(ui::ErrorQuestionDialog::kClassName), WM_SYSCOMMAND, SC_CLOSE,
                 0);
  });
  EXPECT_FALSE(questions.AskErrorYesNo("?"));
}

}  // namespace
}  // namespace dw
