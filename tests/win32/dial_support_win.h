// A simulator of this test's own under Wine: its rasapi32.dll loaded by
// full path (strict mode), a modem of this process's own in the real
// registry in the generation's layout, the RAS layer configured on the
// Win32 window messages.
#pragma once

#include "platform/win32/win.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "connection/dial_thread.h"
#include "connection/presence.h"
#include "connection/statistics.h"
#include "core/modems.h"
#include "modem/modems.h"
#include "platform/win32/adapters_win.h"
#include "ras/binding.h"
#include "ras/context.h"
#include "ras/readiness.h"
#include "ras/record_access.h"
#include "ras_module_support_win.h"
#include "support_win.h"
#include "text/texts.h"
#include "ui/dialogs/progress_win.h"
#include "ui/framework/message_loop_win.h"
#include "ui/open_connection_win.h"
#include "update/update_client.h"
#include "platform/threads.h"

namespace dw::test {

using ras::Dword;
using ras::Record;

class DialWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const OSVERSIONINFOA info = Version();
    winVer_ = info.dwMajorVersion * 100 + info.dwMinorVersion;
    platformId_ = info.dwPlatformId;
    win9x_ = platformId_ != VER_PLATFORM_WIN32_NT;
    generation_ = ras::GenerationOf(winVer_);
    tag_ = std::to_string(GetCurrentProcessId());
    modem_ = "Dialwave Dial Modem " + tag_;
    registry_ = MakeWin32Registry();
    InstallModem();

    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "dialthread-" + tag_ + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
    std::remove((folder_ + "state.txt").c_str());
    SetEnvironmentVariableA("RASSIM_DIR", folder_.c_str());

    messages_ = MakeWin32WindowMessages();
    waiter_ = ras::MakeMessagesWaiter(*messages_);
    clock_ = MakeSystemClock();
    connection::ConfigurePresence({registry_.get(), platformId_, nullptr});
    connection::ConfigureStatistics(registry_.get());
  }
  void TearDown() override {
    if (library_) {
      for (const auto& h : Connections()) ras::CallBinding().HangUp(h);
    }
    for (int i = 0; i < 500 && ras::RunningRasWorkers() != 0; ++i) Sleep(10);
    ras::ConfigureRas({});
    connection::ConfigurePresence({});
    connection::ConfigureStatistics(nullptr);
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) DeleteTree(HKEY_LOCAL_MACHINE, *it);
  }

  void InstallModem() {
    std::string classKey = sim::kNtModemClassKey;
    if (win9x_) {
      classKey = registry_->KeyExists(RegistryRoot::kLocalMachine, "Enum\\Root\\MDMGEN") &&
                         !registry_->KeyExists(RegistryRoot::kLocalMachine, "Enum\\Root\\Modem")
                     ? "Enum\\Root\\MDMGEN"
                     : "Enum\\Root\\Modem";
    }
    if (!registry_->KeyExists(RegistryRoot::kLocalMachine, classKey)) created_.push_back(classKey);
    const std::string sub = "DD" + tag_;
    const std::string key = classKey + "\\" + sub;
    created_.push_back(key);
    auto k = registry_->Create(RegistryRoot::kLocalMachine, key);
    ASSERT_TRUE(k);
    ASSERT_TRUE(k->WriteText("FriendlyName", modem_));
    if (win9x_) {
      const std::string driver = "Modem\\" + sub;
      ASSERT_TRUE(k->WriteText("Driver", driver));
      created_.push_back(std::string(sim::k9xDriverRoot) + driver);
      auto d = registry_->Create(RegistryRoot::kLocalMachine, sim::k9xDriverRoot + driver);
      ASSERT_TRUE(d);
      ASSERT_TRUE(d->WriteText("UserInit", "ATZ"));
    } else {
      ASSERT_TRUE(k->WriteText("UserInit", "ATZ"));
    }
  }

  // Instant notifications (these tests need no dial pace); the hang-up takes
  // the default time, as RAS's does.
  void UseSimulator(const std::string& rules) {
    std::ofstream(folder_ + "scenario.txt") << "device modem " << modem_ << "\n"
                                            << rules << "notify-delay-ms 0\nstrict on\n";
    HMODULE module = LoadLibraryW((test::BinDir() + L"rasapi32.dll").c_str());
    ASSERT_NE(module, nullptr);
    ASSERT_NE(GetProcAddress(module, "RasSimMarker"), nullptr) << "not the simulator";
    library_ = std::make_unique<ModuleLibrary>(module);
    ras::ConfigureRas({library_.get(), winVer_, &waitCount_, waiter_.get(), messages_.get(), 0,
                       std::chrono::milliseconds(500)});
  }

  void SaveEntry(const std::string& phone) {
    const ras::Binding entries = ras::EntryBinding();
    std::vector<std::uint8_t> e(sizeof(ras::v501::RasEntryA));
    ras::WriteDword(e, 0, entries.Size(Record::kEntry));
    ras::WriteDword(e, offsetof(ras::v501::RasEntryA, dwFramingProtocol), 1);
    ras::WriteDword(e, offsetof(ras::v501::RasEntryA, dwType), 1);  // 2000 on: a phone line
    ras::WriteDword(e, offsetof(ras::v501::RasEntryA, dwfNetProtocols), 4);
    ras::WriteField(e, offsetof(ras::v501::RasEntryA, szLocalPhoneNumber), ras::kMaxPhoneNumber + 1, phone);
    ras::WriteField(e, offsetof(ras::v501::RasEntryA, szDeviceType), ras::kMaxDeviceType + 1, "modem");
    ras::WriteField(e, offsetof(ras::v501::RasEntryA, szDeviceName), ras::kMaxDeviceName + 1, modem_);
    ASSERT_EQ(entries.SetEntryProperties("Korvana", e.data(), entries.Size(Record::kEntry), nullptr, 0), 0u);
  }

  std::vector<ras::Handle> Connections() {
    const ras::Binding calls = ras::CallBinding();
    const Dword stride = calls.Size(Record::kConn);
    std::vector<std::uint8_t> conns(stride * 8);
    ras::WriteDword(conns, 0, stride);
    Dword bytes = static_cast<Dword>(conns.size()), count = 0;
    std::vector<ras::Handle> handles;
    if (calls.EnumConnections(conns.data(), &bytes, &count) != 0) return handles;
    for (Dword i = 0; i < count; ++i) {
      ras::Handle h = 0;
      std::memcpy(&h, conns.data() + i * stride + offsetof(ras::v400::RasConnA, hrasconn), sizeof h);
      handles.push_back(h);
    }
    return handles;
  }

  Dword State(ras::Handle conn) {
    const Dword size = ras::CallBinding().Size(Record::kConnStatus);
    std::vector<std::uint8_t> status(sizeof(ras::v401::RasConnStatusA));
    ras::WriteDword(status, 0, size);
    if (ras::CallBinding().GetConnectStatus(conn, status.data()) != 0) return ~0u;
    return ras::ReadDword(status, offsetof(ras::v401::RasConnStatusA, rasconnstate));
  }

  // The driver's part: the dialog shown, the thread run while this thread
  // serves the dialog (`eachPass` between two waits), then the thread's
  // result; the list as the thread left it.
  ras::Handle Run(ui::ProgressDialog& form, connection::DialThread& thread,
                  std::vector<std::string>& apns, const std::function<void()>& eachPass = {}) {
    form.SetStatusSource([&thread] { return thread.StatusText(); });
    form.ShowDialling(Text(TextId::ConnSearching));
    thread.Resume({modem_, "Korvana", apns});
    const DWORD start = GetTickCount();
    while (!thread.Terminated() && GetTickCount() - start < 60000) {
      messages_->WaitServing(thread.TerminatedEvent(), std::chrono::milliseconds(100));
      ui::DrainMessages(form.hwnd());
      if (eachPass) eachPass();
    }
    EXPECT_TRUE(thread.Terminated());
    form.SetStatusSource({});
    apns = thread.Result().apns;
    return thread.Result().connection;
  }

  // What the connect of the window `owner` needs; with a server, a client
  // for it that whoever holds it keeps alive.
  connection::OpenConnectionContext ConnectContext(HWND owner, const UpdateServer* server,
                                                   UpdateLimits limits = {}) {
    connection::OpenConnectionContext c;
    c.mainWindow = owner;
    c.registry = registry_.get();
    c.platformId = platformId_;
    c.messages = messages_.get();
    c.clock = clock_.get();
    c.waiter = waiter_.get();
    c.progressLock = &lock_;
    if (server) {
      c.updateClient = [server = *server, limits] {
        return std::make_unique<UpdateClient>(
            server, MakeTcpConnection, std::shared_ptr<const Clock>(MakeSystemClock()), limits);
      };
    }
    return c;
  }

  connection::DialDependencies Deps(ui::ProgressDialog& form) {
    return {registry_.get(), platformId_, messages_.get(), 0, &form.Shared(), clock_.get(), waiter_.get()};
  }

  std::uint32_t winVer_ = 0;
  std::uint32_t platformId_ = 2;
  bool win9x_ = false;
  ras::Generation generation_ = ras::Generation::kWinXp;
  std::string tag_, modem_, folder_;
  std::unique_ptr<Registry> registry_;
  std::vector<std::string> created_;
  std::unique_ptr<WindowMessages> messages_;
  std::unique_ptr<ras::RasWaiter> waiter_;
  std::unique_ptr<Clock> clock_;
  std::unique_ptr<RasLibrary> library_;
  std::atomic<std::int32_t> waitCount_{20};
  dw::Mutex lock_;
};

}  // namespace dw::test
