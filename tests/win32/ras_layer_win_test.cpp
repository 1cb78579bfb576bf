// The RAS layer under Wine, once per generation: against the simulator's
// rasapi32.dll (loaded by its full path from the build; strict mode refuses
// any record size but the generation's), against the real registry in the
// generation's modem layout, and against Wine's own stub.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "core/entry_points.h"
#include "core/modems.h"
#include "modem/modems.h"
#include "platform/registry.h"
#include "platform/win32/adapters_win.h"
#include "ras/binding.h"
#include "ras/context.h"
#include "ras/error_text.h"
#include "ras/readiness.h"
#include "ras/record_access.h"
#include "ras_module_support_win.h"
#include "support_win.h"

namespace dw {
namespace {

using test::DeleteTree;
using test::ModuleLibrary;
using test::Version;
using test::WinVer;
using ras::Dword;
using ras::Record;

class RasLayerWine : public ::testing::Test {
 protected:
  void SetUp() override {
    messages_ = MakeWin32WindowMessages();
    waiter_ = ras::MakeMessagesWaiter(*messages_);
  }
  void TearDown() override {
    for (int i = 0; i < 500 && ras::RunningRasWorkers() != 0; ++i) Sleep(10);
    ras::ConfigureRas({});
  }
  void UseSimulator() {
    test::UseScenarioFolder("raslayer", "device modem Korvana GPRS Modem\n"
                                        "device isdn Korvana ISDN Adapter\n"
                                        "device Modem Second Phone\n"
                                        "device MODEM korvana gprs modem\n"
                                        "strict on\n");
    HMODULE module = LoadLibraryW((test::BinDir() + L"rasapi32.dll").c_str());
    ASSERT_NE(module, nullptr);
    ASSERT_NE(GetProcAddress(module, "RasSimMarker"), nullptr) << "not the simulator";
    library_ = std::make_unique<ModuleLibrary>(module);
    Configure();
  }
  void Configure() {
    ras::ConfigureRas({library_.get(), WinVer(), &waitCount_, waiter_.get(), messages_.get(), 0,
                       std::chrono::milliseconds(500)});
  }
  ras::Generation Generation() const { return ras::GenerationOf(WinVer()); }

  std::unique_ptr<WindowMessages> messages_;
  std::unique_ptr<ras::RasWaiter> waiter_;
  std::unique_ptr<RasLibrary> library_;
  std::atomic<std::int32_t> waitCount_{20};
};

// The prefix's Windows version is the generation under test.
void ExpectHarnessGeneration(ras::Generation g, bool win9x) {
  char gen[16] = {};
  GetEnvironmentVariableA("DW_WINE_GEN", gen, sizeof gen);
  const std::string name = gen;
  const ras::Generation expected = name == "win98"   ? ras::Generation::kWin98
                                   : name == "winme" ? ras::Generation::kWinMe
                                   : name == "winxp" ? ras::Generation::kWinXp
                                   : name == "win7" || name == "win10" ? ras::Generation::kVista
                                                     : ras::Generation::kWin2000;
  EXPECT_EQ(g, expected) << name;
  EXPECT_EQ(win9x, name == "win98" || name == "winme") << name;
}

TEST_F(RasLayerWine, EnumDevicesListsTheScenariosModemsWithTheGenerationsRecords) {
  UseSimulator();
  ExpectHarnessGeneration(Generation(), Version().dwPlatformId != VER_PLATFORM_WIN32_NT);
  std::vector<std::string> names;
  EXPECT_EQ(modem::EnumDevices(names), 0u);
  EXPECT_EQ(names, (std::vector<std::string>{"Korvana GPRS Modem", "Second Phone"}));
}

TEST_F(RasLayerWine, TheGenerationsRecordSizesReachRasAndNoOthers) {
  UseSimulator();
  const std::uint32_t winVer = WinVer();
  const ras::Binding entries(ras::EntryModule(winVer));
  const ras::Binding calls(ras::CallModule(winVer));
  EXPECT_EQ(entries.Size(Record::kEntry), ras::RecordSize(Generation(), Record::kEntry));

  // Default-entry size query, then an entry saved with that record.
  Dword size = 0;
  Dword r = entries.GetEntryProperties("", nullptr, &size, nullptr, nullptr);
  ASSERT_TRUE(r == 603 || r == 0) << r;
  std::vector<std::uint8_t> entry(std::max<Dword>(size, entries.Size(Record::kEntry)), 0);
  ras::WriteDword(entry, 0, entries.Size(Record::kEntry));
  ras::WriteField(entry, offsetof(ras::v400::RasEntryA, szDeviceType), ras::kMaxDeviceType + 1,
                  "isdn");
  ras::WriteField(entry, offsetof(ras::v400::RasEntryA, szDeviceName), ras::kMaxDeviceName + 1,
                  "Korvana ISDN Adapter");
  ras::WriteField(entry, offsetof(ras::v400::RasEntryA, szLocalPhoneNumber),
                  ras::kMaxPhoneNumber + 1, "*99***1#");
  ras::WriteDword(entry, offsetof(ras::v400::RasEntryA, dwFramingProtocol), 1);
  ras::WriteDword(entry, offsetof(ras::v501::RasEntryA, dwType), 1);  // 2000 on: a phone line
  EXPECT_EQ(entries.SetEntryProperties("Korvana", entry.data(), entries.Size(Record::kEntry),
                                       nullptr, 0),
            0u);
  EXPECT_EQ(ras::kRas2k.ValidateEntryName("Korvana"), 183u);

  Dword bytes = 0, count = 0;
  ASSERT_EQ(calls.EnumEntries(nullptr, &bytes, &count), 603u);
  auto names = ras::SystemSizedArray(bytes, count, calls.Size(Record::kEntryName));
  EXPECT_EQ(calls.EnumEntries(names.data(), &bytes, &count), 0u);
  EXPECT_EQ(ras::ReadField(names, 4, ras::kMaxEntryName + 1), "Korvana");

  std::vector<std::uint8_t> conns(calls.Size(Record::kConn), 0);
  ras::WriteDword(conns, 0, calls.Size(Record::kConn));
  bytes = static_cast<Dword>(conns.size());
  EXPECT_EQ(calls.EnumConnections(conns.data(), &bytes, &count), 0u);
  EXPECT_EQ(count, 0u);
  // A size of another generation is refused: strict mode is on.
  ras::WriteDword(conns, 0, calls.Size(Record::kConn) == 692 ? 412 : 692);
  EXPECT_EQ(calls.EnumConnections(conns.data(), &bytes, &count), 632u);
  // A gone handle: one hang-up, the status query says 6.
  EXPECT_EQ(calls.HangUp(4242), 6u);
}

class ModemLayoutWine : public RasLayerWine {
 protected:
  void SetUp() override {
    RasLayerWine::SetUp();
    const OSVERSIONINFOA info = Version();
    win9x_ = info.dwPlatformId != VER_PLATFORM_WIN32_NT;
    registry_ = MakeWin32Registry();
    tag_ = std::to_string(GetCurrentProcessId());
    if (win9x_) {
      if (registry_->KeyExists(RegistryRoot::kLocalMachine, "Enum\\Root\\Modem")) {
        classKey_ = "Enum\\Root\\Modem";
      } else if (registry_->KeyExists(RegistryRoot::kLocalMachine, "Enum\\Root\\MDMGEN")) {
        classKey_ = "Enum\\Root\\MDMGEN";
      } else {
        classKey_ = "Enum\\Root\\Modem";
        createdClassKey_ = true;
      }
    } else {
      classKey_ = sim::kNtModemClassKey;
      createdClassKey_ = !registry_->KeyExists(RegistryRoot::kLocalMachine, classKey_);
    }
  }
  void TearDown() override {
    for (const auto& key : created_) DeleteTree(HKEY_LOCAL_MACHINE, key);
    if (createdClassKey_) DeleteTree(HKEY_LOCAL_MACHINE, classKey_);
    RasLayerWine::TearDown();
  }
  void AddModem(const std::string& sub, const std::string& name, const std::string& init) {
    const std::string key = classKey_ + "\\" + sub;
    created_.push_back(key);
    auto k = registry_->Create(RegistryRoot::kLocalMachine, key);
    ASSERT_TRUE(k);
    ASSERT_TRUE(k->WriteText("FriendlyName", name));
    std::unique_ptr<RegistryKey> driver;
    if (win9x_) {
      const std::string driverName = "Modem\\" + sub;
      ASSERT_TRUE(k->WriteText("Driver", driverName));
      created_.push_back(std::string(sim::k9xDriverRoot) + driverName);
      driver = registry_->Create(RegistryRoot::kLocalMachine, sim::k9xDriverRoot + driverName);
      ASSERT_TRUE(driver);
    }
    ASSERT_TRUE((driver ? driver : k)->WriteText("UserInit", init));
  }

  bool win9x_ = false;
  std::unique_ptr<Registry> registry_;
  std::string tag_;
  std::string classKey_;
  bool createdClassKey_ = false;
  std::vector<std::string> created_;
};

TEST_F(ModemLayoutWine, WriteReachesEveryModemOfTheNameAndReadTakesTheFirst) {
  const std::string name = "Dialwave Test Modem " + tag_;
  AddModem("DW" + tag_ + "A", name, "AT&F");
  AddModem("DW" + tag_ + "B", "Other " + name, "ATZ");
  AddModem("DW" + tag_ + "C", name, "ATE0");
  ExpectHarnessGeneration(Generation(), win9x_);
  modem::ModemInitStore store(*registry_, Version().dwPlatformId);
  EXPECT_EQ(store.ClassKey(), "\\" + classKey_);
  EXPECT_EQ(store.Read(name), "AT&F");
  const std::string command = "AT+CGDCONT=1,\"IP\",\"internet.kvr\"";
  EXPECT_TRUE(store.Write(name, command));
  EXPECT_EQ(store.Read(name), command);
  EXPECT_EQ(store.Read("Other " + name), "ATZ");
  // The simulator reads the layout on its own: both modems of the name changed.
  int seen = 0;
  for (const auto& m : sim::ListModems(*registry_, win9x_)) {
    if (m.name == name) {
      EXPECT_EQ(m.userInit, command) << m.key;
      ++seen;
    }
  }
  EXPECT_EQ(seen, 2);
}

TEST_F(RasLayerWine, WinesOwnStubListsItsVirtualModem) {
  library_ = LoadSystemRasLibrary();
  ASSERT_TRUE(library_->IsLoaded());
  // Without the simulator's marker: this is Wine's builtin.
  ASSERT_EQ(library_->Lookup("RasSimMarker"), nullptr);
  Configure();
  std::vector<std::string> names;
  EXPECT_EQ(modem::EnumDevices(names), 0u);
  EXPECT_EQ(names, (std::vector<std::string>{"WINE virtmodem"}));
  // Its error texts are stubs that answer 1: no description, never garbage.
  EXPECT_EQ(ras::GetRasErrorDescr(678), "");
}

}  // namespace
}  // namespace dw
