#include "modem/modems.h"

#include <gtest/gtest.h>

#include <utility>

#include "platform/fake/memory_registry.h"
#include "text/cp1251.h"
#include "text/texts.h"
#include "unit/log/log_test_support.h"
#include "unit/ras/ras_fixture.h"

namespace dw::modem {
namespace {

using ras::Generation;

class ModemList : public ras::test::RasTest {
 protected:
  void SetUp() override { log_.Configure({"/l", "/n"}); }
  static sim::Scenario WithDevices(std::vector<sim::Device> devices) {
    sim::Scenario s = sim::DefaultScenario();
    s.devices = std::move(devices);
    return s;
  }
  testing::LogFolder log_;
};

TEST_F(ModemList, ListsEachModemOnceIgnoringCaseAndLeavesOtherDevicesOut) {
  const std::string cyrLower = Utf8ToCp1251("Модем корвана");
  const std::string cyrUpper = Utf8ToCp1251("МОДЕМ КОРВАНА");
  for (Generation g : sim::test::kGenerations) {
    // Strict mode: a record of any other size than the generation's is refused.
    StartRas(g, WithDevices({{"modem", "Korvana GPRS Modem"},
                             {"isdn", "Korvana ISDN Adapter"},
                             {"Modem", "Second Phone"},
                             {"MODEM", "korvana gprs MODEM"},
                             {"vpn", "WAN Miniport (PPTP)"},
                             {"modem", cyrLower},
                             {"modem", cyrUpper},
                             {"modems", "Not A Modem"}}));
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(EnumDevices(names), 0u);
    EXPECT_EQ(names, (std::vector<std::string>{"Korvana GPRS Modem", "Second Phone", cyrLower}));
  }
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(ModemList, ALaterServicePacksLargerRecordsAreWalkedAtTheirOwnSize) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    sim::Scenario s = WithDevices({{"isdn", "Korvana ISDN Adapter"},
                                   {"modem", "Korvana GPRS Modem"},
                                   {"modem", "Second Phone"}});
    s.reportedSizes[static_cast<std::size_t>(ras::Record::kDevInfo)] = 152 + 36;
    StartRas(g, s);
    std::vector<std::string> names;
    EXPECT_EQ(EnumDevices(names), 0u);
    EXPECT_EQ(names, (std::vector<std::string>{"Korvana GPRS Modem", "Second Phone"}));
  }
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(ModemList, NoDevicesIsAnEmptyListAndSuccess) {
  StartRas(Generation::kWinMe, WithDevices({}));
  std::vector<std::string> names{"stale"};
  EXPECT_EQ(EnumDevices(names), 0u);
  EXPECT_TRUE(names.empty());
}

TEST_F(ModemList, RasNotAnsweringIsLoggedAndReturned) {
  StartRas(Generation::kWin2000);
  SetFault(false, true);
  std::vector<std::string> names{"stale"};
  EXPECT_EQ(EnumDevices(names), 711u);
  EXPECT_TRUE(names.empty());
  const auto lines = log_.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("src: RAS-EnumDevices      code: 711"), std::string::npos) << lines[0];
}

// The probe finds the entry point, the call after it does not.
class VanishingLibrary final : public RasLibrary {
 public:
  explicit VanishingLibrary(const RasLibrary& inner) : inner_(inner) {}
  bool IsLoaded() const override { return true; }
  void* Lookup(const char* name) const override {
    return ++calls_ == 1 ? inner_.Lookup(name) : nullptr;
  }

 private:
  const RasLibrary& inner_;
  mutable std::atomic<int> calls_{0};
};

TEST_F(ModemList, ACaughtErrorGives635AndA888Record) {
  StartRas(Generation::kWinXp);
  VanishingLibrary vanishing(*library_);
  ras::ConfigureRas({&vanishing, 501, &waitCount_, &waiter_, &messages_, mainWindow_,
                std::chrono::milliseconds(500)});
  std::vector<std::string> names{"stale"};
  EXPECT_EQ(EnumDevices(names), 635u);
  EXPECT_TRUE(names.empty());
  const auto lines = log_.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("src: EnumDevices      code: 888         msg: RAS entry point not found"),
            std::string::npos)
      << lines[0];
  WaitForWorkers();
}

constexpr const char* kNtClass =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kDrivers = "System\\CurrentControlSet\\Services\\Class\\";

class ModemInit : public ::testing::Test {
 protected:
  void NtModem(const std::string& sub, const std::string& name, const char* init = nullptr) {
    registry_.SetText(RegistryRoot::kLocalMachine, std::string(kNtClass) + "\\" + sub,
                      "FriendlyName", name);
    if (init) {
      registry_.SetText(RegistryRoot::kLocalMachine, std::string(kNtClass) + "\\" + sub,
                        "UserInit", init);
    }
  }
  void Modem9x(const char* enumKey, const std::string& sub, const std::string& name,
               const std::string& driver, const char* init = nullptr) {
    const std::string key = std::string(enumKey) + "\\" + sub;
    registry_.SetText(RegistryRoot::kLocalMachine, key, "FriendlyName", name);
    registry_.SetText(RegistryRoot::kLocalMachine, key, "Driver", driver);
    if (init) registry_.SetText(RegistryRoot::kLocalMachine, kDrivers + driver, "UserInit", init);
  }
  std::optional<std::string> Value(const std::string& key, const char* name = "UserInit") {
    auto k = registry_.OpenReadOnly(RegistryRoot::kLocalMachine, key);
    return k ? k->ReadText(name) : std::nullopt;
  }
  MemoryRegistry registry_;
};

TEST_F(ModemInit, NtWritesEveryModemOfThatNameAndReadsTheFirst) {
  NtModem("0000", "Korvana GPRS Modem", "AT&F");
  NtModem("0001", "Other Modem", "ATZ");
  NtModem("0002", "Korvana GPRS Modem", "ATE0");
  NtModem("0003", "korvana gprs modem", "ATQ0");  // names compare exactly
  registry_.SetText(RegistryRoot::kLocalMachine, std::string(kNtClass) + "\\0004", "UserInit", "x");
  ModemInitStore store(registry_, 2);
  EXPECT_EQ(store.Read("Korvana GPRS Modem"), "AT&F");
  const std::string command = "AT+CGDCONT=1,\"IP\",\"internet.kvr\"";
  EXPECT_TRUE(store.Write("Korvana GPRS Modem", command));
  const std::string base = std::string(kNtClass) + "\\";
  EXPECT_EQ(Value(base + "0000"), command);
  EXPECT_EQ(Value(base + "0002"), command);
  EXPECT_EQ(Value(base + "0001"), "ATZ");
  EXPECT_EQ(Value(base + "0003"), "ATQ0");
  EXPECT_EQ(Value(base + "0004"), "x");
  EXPECT_EQ(store.Read("Korvana GPRS Modem"), command);
  EXPECT_FALSE(store.Write("Missing Modem", command));
  EXPECT_EQ(store.Read("Missing Modem"), "");
}

TEST_F(ModemInit, NinexGoesThroughTheDriverKeyAndFallsBackToMdmgen) {
  Modem9x("Enum\\Root\\MDMGEN", "0000", "Korvana GPRS Modem", "Modem\\0000", "ATZ");
  Modem9x("Enum\\Root\\MDMGEN", "0001", "Korvana GPRS Modem", "Modem\\0001");
  ModemInitStore store(registry_, 1);
  EXPECT_EQ(store.ClassKey(), "\\Enum\\Root\\MDMGEN");
  EXPECT_EQ(store.Read("Korvana GPRS Modem"), "ATZ");
  EXPECT_TRUE(store.Write("Korvana GPRS Modem", "AT+X"));
  EXPECT_EQ(Value(std::string(kDrivers) + "Modem\\0000"), "AT+X");
  EXPECT_EQ(Value(std::string(kDrivers) + "Modem\\0001"), "AT+X");
  // Nothing lands in the enumeration key itself.
  EXPECT_EQ(Value("Enum\\Root\\MDMGEN\\0000"), std::nullopt);

  // Once "\Enum\Root\Modem" exists, it is the one searched.
  Modem9x("Enum\\Root\\Modem", "0000", "Phone", "Modem\\0005", "ATE1");
  EXPECT_EQ(store.ClassKey(), "\\Enum\\Root\\Modem");
  EXPECT_EQ(store.Read("Korvana GPRS Modem"), "");
  EXPECT_EQ(store.Read("Phone"), "ATE1");
}

TEST_F(ModemInit, MissingPiecesGiveEmptyOrFalseWithoutMessages) {
  ModemInitStore nt(registry_, 2);
  ModemInitStore win9x(registry_, 1);
  EXPECT_EQ(nt.Read("Korvana GPRS Modem"), "");  // no class key at all
  EXPECT_FALSE(nt.Write("Korvana GPRS Modem", "AT"));
  EXPECT_FALSE(win9x.Write("Korvana GPRS Modem", "AT"));
  EXPECT_FALSE(registry_.KeyExists(RegistryRoot::kLocalMachine, kNtClass));

  NtModem("0000", "Korvana GPRS Modem");  // no UserInit yet
  EXPECT_EQ(nt.Read("Korvana GPRS Modem"), "");
  // 9x modem without a driver: never written into the services class key.
  registry_.SetText(RegistryRoot::kLocalMachine, "Enum\\Root\\Modem\\0000", "FriendlyName",
                    "Korvana GPRS Modem");
  EXPECT_FALSE(win9x.Write("Korvana GPRS Modem", "AT"));
  EXPECT_EQ(Value(std::string(kDrivers)), std::nullopt);
  EXPECT_EQ(win9x.Read("Korvana GPRS Modem"), "");
}

TEST_F(ModemInit, AClassKeyThatCannotBeOpenedRaisesTheRightsText) {
  NtModem("0000", "Korvana GPRS Modem", "ATZ");
  registry_.DenyWrite(RegistryRoot::kLocalMachine, kNtClass);
  ModemInitStore store(registry_, 2);
  EXPECT_EQ(store.Read("Korvana GPRS Modem"), "ATZ");  // reading needs no write rights
  try {
    store.Write("Korvana GPRS Modem", "AT");
    ADD_FAILURE() << "no error";
  } catch (const ModemRightsError& e) {
    EXPECT_EQ(std::string(e.what()), Text(TextId::ModemNoRights));
  }
  EXPECT_EQ(TextUtf8(TextId::ModemNoRights), "Ошибка: недостаточно прав для настройки соединения");
  registry_.DenyAccess(RegistryRoot::kLocalMachine, kNtClass);
  EXPECT_THROW(store.Read("Korvana GPRS Modem"), ModemRightsError);
}

TEST_F(ModemInit, AWriteTheRegistryRefusesIsNotASuccess) {
  Modem9x("Enum\\Root\\Modem", "0000", "Korvana GPRS Modem", "Modem\\0000", "ATZ");
  registry_.DenyWrite(RegistryRoot::kLocalMachine, std::string(kDrivers) + "Modem\\0000");
  ModemInitStore store(registry_, 1);
  EXPECT_FALSE(store.Write("Korvana GPRS Modem", "AT"));
  EXPECT_EQ(store.Read("Korvana GPRS Modem"), "ATZ");
}


// Store: the same write, saying why it did not happen. Each key and value
// the write goes through is refused in turn, as a limited user (XP) or a
// standard user (Vista and later) meets it: the answer is kRefused and the
// modem keeps its old text.
TEST_F(ModemInit, EachRefusedStepOfTheWriteIsToldAndChangesNothing) {
  const std::string command = ApnInitCommand("internet.kvr");
  const std::string device = std::string(kNtClass) + "\\0001";
  const std::string driver = std::string(kDrivers) + "Modem\\0001";
  struct Step {
    const char* what;
    std::uint32_t platform;
    void (*refuse)(MemoryRegistry&, const std::string& device, const std::string& driver);
  };
  const Step steps[] = {
      {"NT class key", 2,
       [](MemoryRegistry& r, const std::string&, const std::string&) {
         r.DenyWrite(RegistryRoot::kLocalMachine, kNtClass);
       }},
      {"NT class key, not even readable", 2,
       [](MemoryRegistry& r, const std::string&, const std::string&) {
         r.DenyAccess(RegistryRoot::kLocalMachine, kNtClass);
       }},
      {"NT device key", 2,
       [](MemoryRegistry& r, const std::string& d, const std::string&) {
         r.DenyWrite(RegistryRoot::kLocalMachine, d);
       }},
      {"NT value", 2,
       [](MemoryRegistry& r, const std::string& d, const std::string&) {
         r.RefuseValueWrites(RegistryRoot::kLocalMachine, d);
       }},
      {"9x driver key", 1,
       [](MemoryRegistry& r, const std::string&, const std::string& v) {
         r.DenyWrite(RegistryRoot::kLocalMachine, v);
       }},
      {"9x drivers' class key", 1,
       [](MemoryRegistry& r, const std::string&, const std::string&) {
         r.DenyWrite(RegistryRoot::kLocalMachine, kDrivers);
       }},
      {"9x value", 1,
       [](MemoryRegistry& r, const std::string&, const std::string& v) {
         r.RefuseValueWrites(RegistryRoot::kLocalMachine, v);
       }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    MemoryRegistry r;
    for (const auto& [sub, name] : {std::pair{"0000", "Other Modem"},
                                    std::pair{"0001", "Korvana GPRS Modem"}}) {
      const std::string nt = std::string(kNtClass) + "\\" + sub;
      r.SetText(RegistryRoot::kLocalMachine, nt, "FriendlyName", name);
      r.SetText(RegistryRoot::kLocalMachine, nt, "UserInit", "ATZ");
      const std::string enumKey = std::string("Enum\\Root\\Modem\\") + sub;
      r.SetText(RegistryRoot::kLocalMachine, enumKey, "FriendlyName", name);
      r.SetText(RegistryRoot::kLocalMachine, enumKey, "Driver", std::string("Modem\\") + sub);
      r.SetText(RegistryRoot::kLocalMachine, std::string(kDrivers) + "Modem\\" + sub, "UserInit",
                "ATZ");
    }
    step.refuse(r, device, driver);
    ModemInitStore store(r, step.platform);
    EXPECT_EQ(store.Store("Korvana GPRS Modem", command), InitWrite::kRefused);
    EXPECT_EQ(r.WriteCount(), 0);
    auto key = r.OpenReadOnly(RegistryRoot::kLocalMachine, step.platform == 2 ? device : driver);
    ASSERT_TRUE(key != nullptr || step.platform == 2);
    if (key) {
      EXPECT_EQ(key->ReadText("UserInit"), "ATZ");
    }
  }
}

TEST_F(ModemInit, StoreOpensOnlyTheNamedModemsForWriting) {
  NtModem("0000", "Other Modem", "ATZ");
  NtModem("0001", "Korvana GPRS Modem", "ATZ");
  // Another modem's key this user may not write: no concern of this write.
  registry_.DenyWrite(RegistryRoot::kLocalMachine, std::string(kNtClass) + "\\0000");
  ModemInitStore store(registry_, 2);
  const std::string command = ApnInitCommand("internet.kvr");
  EXPECT_EQ(store.Store("Korvana GPRS Modem", command), InitWrite::kWritten);
  EXPECT_EQ(Value(std::string(kNtClass) + "\\0001"), command);
  EXPECT_EQ(registry_.WriteCount(), 1);
  EXPECT_EQ(store.Store("Missing Modem", command), InitWrite::kNoModem);
  EXPECT_EQ(ModemInitStore(registry_, 1).Store("Korvana GPRS Modem", command), InitWrite::kNoModem)
      << "no 9x modem keys at all";
}

TEST_F(ModemInit, OneRefusedModemOfTwoOfTheSameNameIsARefusal) {
  NtModem("0000", "Korvana GPRS Modem", "ATZ");
  NtModem("0001", "Korvana GPRS Modem", "ATZ");
  registry_.RefuseValueWrites(RegistryRoot::kLocalMachine, std::string(kNtClass) + "\\0001");
  ModemInitStore store(registry_, 2);
  const std::string command = ApnInitCommand("internet.kvr");
  EXPECT_EQ(store.Store("Korvana GPRS Modem", command), InitWrite::kRefused);
  EXPECT_EQ(Value(std::string(kNtClass) + "\\0000"), command) << "the other is still written";
  EXPECT_EQ(Value(std::string(kNtClass) + "\\0001"), "ATZ");
}

TEST(ApnOfCommand, NamesTheApnOfTheCommandItSelects) {
  EXPECT_EQ(ApnOfCommand(ApnInitCommand("internet.kvr")), "internet.kvr");
  EXPECT_EQ(ApnOfCommand("ATZ+cgdcont=1,\"IP\",\"x y\";&C1"), "x y") << "among other commands";
  EXPECT_EQ(ApnOfCommand(ApnInitCommand("")), "");
  EXPECT_EQ(ApnOfCommand("ATZ"), std::nullopt);
  EXPECT_EQ(ApnOfCommand(""), std::nullopt);
  EXPECT_EQ(ApnOfCommand("AT+CGDCONT=1,\"IP\",\"cut"), std::nullopt);
}

}  // namespace
}  // namespace dw::modem
