#include "phonebook/phonebook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <cstring>

#include "ras/record_access.h"
#include "unit/log/log_test_support.h"
#include "unit/ras/ras_fixture.h"

namespace dw::phonebook {
namespace {

using ras::Dword;
using ras::Generation;
using ras::Record;
using Entry = ras::v501::RasEntryA;

constexpr const char* kModem = "Korvana GPRS Modem";

class Phonebook : public ras::test::RasTest {
 protected:
  void SetUp() override { log_.Configure({"/l", "/n"}); }

  // RAS saves entries only for devices it has: the other modems the cases
  // below name are installed too.
  void StartRas(Generation g, sim::Scenario s = WithOtherModems()) {
    RasTest::StartRas(g, std::move(s));
  }
  static sim::Scenario WithOtherModems() {
    sim::Scenario s = sim::DefaultScenario();
    for (const char* name : {"Other Modem", "Old Phone", "Other"})
      s.devices.push_back({"modem", name});
    return s;
  }

  // The entry as the simulator keeps it (newest layout), or a failure.
  ::testing::AssertionResult Stored(const std::string& name, Entry& out) {
    for (const sim::Entry& e : sim_->Entries()) {
      if (e.name != name) continue;
      out = Entry{};
      std::memcpy(&out, e.record.data(), std::min(e.record.size(), sizeof out));
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "no entry " << name;
  }
  std::vector<std::uint8_t> StoredBytes(const std::string& name) {
    for (const sim::Entry& e : sim_->Entries()) {
      if (e.name == name) return e.record;
    }
    return {};
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const sim::Entry& e : sim_->Entries()) names.push_back(e.name);
    return names;
  }
  void SetUser(const std::string& entry, const std::string& user) {
    store_.Update([&](const sim::Scenario&, sim::State& state) {
      sim::Entry* e = state.FindEntry(entry);
      ASSERT_NE(e, nullptr) << entry;
      e->user = user;
      e->password = user;
    });
  }
  // The operator's settings of the table, for the running generation.
  void ExpectOperatorSettings(const Entry& e, const std::string& modem, const std::string& phone) {
    const bool win9x = ras::IsWin9x(generation_);
    EXPECT_EQ(e.dwfOptions, win9x ? 0x110u : 0x388C0110u);
    EXPECT_STREQ(e.szLocalPhoneNumber, phone.c_str());
    EXPECT_EQ(e.dwFramingProtocol, 1u);
    EXPECT_EQ(e.dwfNetProtocols, 4u);
    EXPECT_STREQ(e.szDeviceType, "modem");
    EXPECT_EQ(std::string(e.szDeviceName), modem);
    // Beyond the 9x record nothing is written.
    EXPECT_EQ(e.dwDialMode, win9x ? 0u : 1u);
    EXPECT_EQ(e.dwType, win9x ? 0u : 1u);
    EXPECT_EQ(e.dwEncryptionType, win9x ? 0u : 3u);
  }
  std::vector<std::string> LogLines() { return log_.Lines(); }
  bool Logged(const std::string& part) {
    for (const auto& line : log_.Lines()) {
      if (line.find(part) != std::string::npos) return true;
    }
    return false;
  }

  testing::LogFolder log_;
};

TEST_F(Phonebook, FirstRunOnAnEmptyPhoneBookCreatesKorvanaWithTheGenerationsSettings) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    StartRas(g);  // strict: any record size but the generation's is refused
    std::string name;
    const auto record = CheckConnName(kModem, name);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(name, "Korvana");
    // At the size the system reports: from Vista on larger than XP's.
    EXPECT_EQ(record->size(), Own(Record::kEntry));
    EXPECT_EQ(ras::ReadDword(*record, 0), Own(Record::kEntry));
    Entry e;
    ASSERT_TRUE(Stored("Korvana", e));
    ExpectOperatorSettings(e, kModem, "*99***1#");
    EXPECT_EQ(Names(), std::vector<std::string>{"Korvana"});
    // What the caller holds is what was saved (as far as the simulator
    // keeps it: Windows 7's own fields it does not).
    const auto saved = StoredBytes("Korvana");
    const std::size_t kept = std::min(saved.size(), record->size());
    ASSERT_GE(kept, Size(Record::kEntry));
    EXPECT_TRUE(std::equal(record->begin(), record->begin() + kept, saved.begin()));
  }
  // The empty phone book is not an error.
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(Phonebook, KorvanaOfAnotherModemIsLeftAloneAndKorvana1Created) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    StartRas(g);
    ASSERT_EQ(SaveEntry("Korvana", "Other Modem", "12345"), 0u);
    SetUser("Korvana", "pvlok");
    const auto before = StoredBytes("Korvana");
    std::string name;
    ASSERT_TRUE(CheckConnName(kModem, name).has_value());
    EXPECT_EQ(name, "Korvana_1");
    Entry e;
    ASSERT_TRUE(Stored("Korvana_1", e));
    ExpectOperatorSettings(e, kModem, "*99***1#");
    EXPECT_EQ(StoredBytes("Korvana"), before);
  }
}

TEST_F(Phonebook, ALaterServicePacksLargerRecordsAreSearchedAndSavedAtTheirOwnSize) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    sim::Scenario s = WithOtherModems();
    s.reportedSizes[static_cast<std::size_t>(Record::kEntryName)] =
        ras::RecordSize(g, Record::kEntryName) + 20;
    s.reportedSizes[static_cast<std::size_t>(Record::kEntry)] =
        ras::RecordSize(g, Record::kEntry) + 40;
    StartRas(g, s);
    ASSERT_EQ(SaveEntry("Office", "Other Modem", "*99#"), 0u);
    ASSERT_EQ(SaveEntry("Mine", kModem, "*99#"), 0u);
    SetUser("Mine", "pvlok");
    // The remembered entry is gone: the search has to read the second name.
    std::string name = "Korvana";
    const auto record = CheckConnName(kModem, name);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(name, "Mine");
    EXPECT_EQ(record->size(), ras::RecordSize(g, Record::kEntry) + 40);
    Entry e;
    ASSERT_TRUE(Stored("Mine", e));
    ExpectOperatorSettings(e, kModem, "*99#");
    EXPECT_EQ(Names().size(), 2u);
  }
  EXPECT_TRUE(log_.Lines().empty()) << log_.Lines().front();
}

TEST_F(Phonebook, ADeletedRememberedEntryAdoptsAnEntryOfTheModemWithTheOperatorsLoginOrNone) {
  for (const char* login : {"pvlok", ""}) {
    for (Generation g : sim::test::kGenerations) {
      SCOPED_TRACE(std::to_string(static_cast<int>(g)) + " login '" + login + "'");
      StartRas(g);
      ASSERT_EQ(SaveEntry("Office", "Other Modem", "*99#"), 0u);
      SetUser("Office", "pvlok");
      ASSERT_EQ(SaveEntry("Someone's", kModem, "*99#"), 0u);
      SetUser("Someone's", "ivanov");
      ASSERT_EQ(SaveEntry("Mine", kModem, "*99#"), 0u);
      SetUser("Mine", login);
      ASSERT_EQ(SaveEntry("Also mine", kModem, "*99#"), 0u);
      const auto office = StoredBytes("Office");
      const auto someones = StoredBytes("Someone's");

      std::string name = "Korvana";  // deleted by the user
      const auto record = CheckConnName(kModem, name);
      ASSERT_TRUE(record.has_value());
      EXPECT_EQ(name, "Mine");  // the first match in phone-book order
      Entry e;
      ASSERT_TRUE(Stored("Mine", e));
      ExpectOperatorSettings(e, kModem, "*99#");
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(record->data()) + 989), kModem);
      // Another modem's entry and another user's entry are never touched.
      EXPECT_EQ(StoredBytes("Office"), office);
      EXPECT_EQ(StoredBytes("Someone's"), someones);
      EXPECT_EQ(Names().size(), 4u);
    }
  }
}

TEST_F(Phonebook, AnEntryWithAnotherUserNameIsNeverAdoptedAndANewOneIsCreated) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    StartRas(g);
    ASSERT_EQ(SaveEntry("Korvana", kModem, "*99***1#"), 0u);
    SetUser("Korvana", "pvlok2");
    const auto before = StoredBytes("Korvana");
    std::string name = "Gone";
    ASSERT_TRUE(CheckConnName(kModem, name).has_value());
    EXPECT_EQ(name, "Korvana_1");
    EXPECT_EQ(StoredBytes("Korvana"), before);
    Entry e;
    ASSERT_TRUE(Stored("Korvana_1", e));
    ExpectOperatorSettings(e, kModem, "*99***1#");
  }
}

TEST_F(Phonebook, TheRememberedEntryKeepsAKnownNumberAndItsOtherFields) {
  struct Case {
    const char* phone;
    const char* expected;
  };
  for (const Case c : {Case{"*99#", "*99#"}, Case{"*99***1#", "*99***1#"},
                       Case{"+79001234567", "*99***1#"}, Case{"*99", "*99***1#"},
                       Case{"*99#\x20", "*99***1#"}, Case{"", "*99***1#"}}) {
    for (Generation g : sim::test::kGenerations) {
      SCOPED_TRACE(std::string(c.phone) + " " + std::to_string(static_cast<int>(g)));
      StartRas(g);
      // Saved with options the repair switches off and a field it keeps.
      Entry mine{};
      mine.dwSize = Size(Record::kEntry);
      mine.dwfOptions =
          0x10 | 0x100 | 0x1 /* country and area codes */ | 0x8 /* IP header compression */;
      mine.dwCountryCode = 7;
      mine.dwType = 1;
      std::strcpy(mine.szAreaCode, "495");
      std::strcpy(mine.szLocalPhoneNumber, c.phone);
      mine.dwFramingProtocol = 2;
      mine.dwfNetProtocols = 4 | 1;
      std::strcpy(mine.szDeviceType, "modem");
      std::strcpy(mine.szDeviceName, kModem);
      ASSERT_EQ(Fn<ras::RasSetEntryPropertiesAFn>("RasSetEntryPropertiesA")(
                    nullptr, "Korvana", &mine, mine.dwSize, nullptr, 0),
                0u);
      std::string name = "Korvana";
      ASSERT_TRUE(CheckConnName(kModem, name).has_value());
      EXPECT_EQ(name, "Korvana");
      Entry e;
      ASSERT_TRUE(Stored("Korvana", e));
      ExpectOperatorSettings(e, kModem, c.expected);
      EXPECT_STREQ(e.szAreaCode, "495");
      EXPECT_EQ(Names().size(), 1u);
    }
  }
}

TEST_F(Phonebook, SwitchingModemsLeavesTheOldEntryAndFindsOrMakesOneForTheNewModem) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    StartRas(g);
    ASSERT_EQ(SaveEntry("Korvana", "Old Phone", "*99#"), 0u);
    SetUser("Korvana", "pvlok");
    const auto old = StoredBytes("Korvana");

    std::string name = "Korvana";
    ASSERT_TRUE(CheckConnName(kModem, name).has_value());
    EXPECT_EQ(name, "Korvana_1");

    // And back: the old entry is found again, under its own name.
    ASSERT_TRUE(CheckConnName("Old Phone", name).has_value());
    EXPECT_EQ(name, "Korvana");
    Entry e;
    ASSERT_TRUE(Stored("Korvana", e));
    ExpectOperatorSettings(e, "Old Phone", "*99#");
    ASSERT_TRUE(Stored("Korvana_1", e));
    EXPECT_STREQ(e.szDeviceName, kModem);
    EXPECT_EQ(Names().size(), 2u);
  }
}

TEST_F(Phonebook, OnXpAndLaterTheRepairDropsThePrerequisiteEntryAndNothingElse) {
  for (Generation g : {Generation::kWinXp, Generation::kVista}) {
    SCOPED_TRACE(static_cast<int>(g));
    StartRas(g);
    Entry vpn{};
    vpn.dwSize = Size(Record::kEntry);
    vpn.dwFramingProtocol = 1;
    vpn.dwType = 1;
    std::strcpy(vpn.szDeviceType, "modem");
    std::strcpy(vpn.szDeviceName, kModem);
    std::strcpy(vpn.szPrerequisiteEntry, "Carrier");
    std::strcpy(vpn.szPrerequisitePbk, "C:\\pbk");
    vpn.dwRedialCount = 7;
    ASSERT_EQ(Fn<ras::RasSetEntryPropertiesAFn>("RasSetEntryPropertiesA")(nullptr, "Korvana", &vpn,
                                                                          vpn.dwSize, nullptr, 0),
              0u);
    std::string name = "Korvana";
    ASSERT_TRUE(CheckConnName(kModem, name).has_value());
    Entry e;
    ASSERT_TRUE(Stored("Korvana", e));
    EXPECT_STREQ(e.szPrerequisiteEntry, "");
    EXPECT_STREQ(e.szPrerequisitePbk, "C:\\pbk");
    EXPECT_EQ(e.dwRedialCount, 7u);
    ExpectOperatorSettings(e, kModem, "*99***1#");
  }
}

std::atomic<int> g_validations{0};
Dword DW_RASAPI AlwaysInvalidName(const char*, const char* name) {
  ++g_validations;
  return std::string(name) == "Korvana" ? 123 : 0;
}
Dword DW_RASAPI AlwaysExists(const char*, const char*) {
  ++g_validations;
  return 183;
}

TEST_F(Phonebook, ValidationAnswering123Makes999LoggedValidationsAndKeepsKorvana) {
  StartRas(Generation::kWin98);  // every generation validates through Ras2k
  proxy_->replaced["RasValidateEntryNameA"] = reinterpret_cast<void*>(&AlwaysInvalidName);
  g_validations = 0;
  EXPECT_EQ(ValidateEntryName(), "Korvana");
  EXPECT_EQ(g_validations.load(), 999);
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 999u);
  for (const auto& line : lines) {
    ASSERT_NE(line.find("src: RAS-ValidateEntryName      code: 123         msg: "),
              std::string::npos)
        << line;
  }
}

TEST_F(Phonebook, NamesCountUpWhileTakenAndTheLastIsNeverValidated) {
  StartRas(Generation::kWinXp);
  for (const char* taken : {"Korvana", "Korvana_1", "KORVANA_2"}) {
    ASSERT_EQ(SaveEntry(taken, "Other", "*99#"), 0u);
  }
  EXPECT_EQ(ValidateEntryName(), "Korvana_3");

  proxy_->replaced["RasValidateEntryNameA"] = reinterpret_cast<void*>(&AlwaysExists);
  g_validations = 0;
  EXPECT_EQ(ValidateEntryName(), "Korvana_999");
  EXPECT_EQ(g_validations.load(), 999);
  EXPECT_TRUE(LogLines().empty());  // "already exists" is not an error
}

TEST_F(Phonebook, RasNotAnsweringReturnsNothingAndLogsACaughtError) {
  for (Generation g : sim::test::kGenerations) {
    StartRas(g);
    ASSERT_EQ(SaveEntry("Korvana", kModem, "*99#"), 0u);
    SetFault(false, true);
    std::string name = "Korvana";
    EXPECT_FALSE(CheckConnName(kModem, name).has_value());
    EXPECT_EQ(name, "Korvana");
  }
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), std::size(sim::test::kGenerations));
  for (const auto& line : lines) {
    EXPECT_NE(line.find("src: CheckConnName      code: 888"), std::string::npos) << line;
  }
}

TEST_F(Phonebook, ASaveThatFailsLeavesTheNameEmptyButStillGivesTheRecord) {
  StartRas(Generation::kWin2000);
  proxy_->replaced["RasSetEntryPropertiesA"] = nullptr;  // not exported
  std::string name = "Korvana";
  const auto record = CheckConnName(kModem, name);
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(name, "");
  EXPECT_EQ(record->size(), 2088u);
  EXPECT_STREQ(reinterpret_cast<const char*>(record->data()) + 27, "*99***1#");
  EXPECT_TRUE(Names().empty());
  EXPECT_TRUE(Logged("src: RepairProp      code: 888"));
}

// RAS has no such device (the modem list was read before it went): the
// save is refused with 87, logged, and nothing is created.
TEST_F(Phonebook, AnEntryRasRefusesIsLoggedAndLeavesTheNameEmpty) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    StartRas(g);
    std::string name = "Korvana";
    ASSERT_TRUE(CheckConnName("Unplugged Modem", name).has_value());
    EXPECT_EQ(name, "");
    EXPECT_TRUE(Names().empty());
    EXPECT_TRUE(Logged("src: RAS-Repair-SetEntryProperties      code: 87"));
  }
}

// A user who may not change the phone book (a standard user from Vista on):
// RAS answers 5 to the save, which the caller is told apart from other
// failures, whichever way the entry was reached.
TEST_F(Phonebook, ASaveTheSystemRefusesIsToldAsARefusal) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    sim::Scenario s = WithOtherModems();
    s.entryWriteDenied = true;
    StartRas(g, s);
    // A new entry: not created, the name stays empty.
    std::string name;
    EntrySave saved = EntrySave::kSaved;
    ASSERT_TRUE(CheckConnName(kModem, name, &saved).has_value());
    EXPECT_EQ(saved, EntrySave::kRefused);
    EXPECT_EQ(name, "");
    EXPECT_TRUE(Names().empty());
    EXPECT_TRUE(Logged("src: RAS-Repair-SetEntryProperties      code: 5"));

    // The remembered entry, which the administrator made: kept as it is.
    store_.Update([](const sim::Scenario&, sim::State& state) {
      sim::Entry e{"Korvana", std::vector<std::uint8_t>(sizeof(Entry), 0), "", ""};
      Entry record{};
      record.dwSize = sizeof record;
      std::strcpy(record.szDeviceType, "modem");
      std::strcpy(record.szDeviceName, kModem);
      std::strcpy(record.szLocalPhoneNumber, "*99#");
      std::memcpy(e.record.data(), &record, sizeof record);
      state.entries.push_back(e);
    });
    name = "Korvana";
    saved = EntrySave::kSaved;
    ASSERT_TRUE(CheckConnName(kModem, name, &saved).has_value());
    EXPECT_EQ(saved, EntrySave::kRefused);
    EXPECT_EQ(name, "Korvana");
  }
}

TEST_F(Phonebook, SavesThatWorkOrFailOtherwiseAreNotRefusals) {
  StartRas(Generation::kVista);
  std::string name;
  EntrySave saved = EntrySave::kFailed;
  ASSERT_TRUE(CheckConnName(kModem, name, &saved).has_value());
  EXPECT_EQ(saved, EntrySave::kSaved);
  name = "Korvana";
  ASSERT_TRUE(CheckConnName("Unplugged Modem", name, &saved).has_value());
  EXPECT_EQ(saved, EntrySave::kFailed) << "87: RAS has no such device";
  SetFault(false, true);
  EXPECT_FALSE(CheckConnName(kModem, name, &saved).has_value());
  EXPECT_EQ(saved, EntrySave::kFailed);
}

Dword DW_RASAPI SizeQueryDenied(const char*, const char* entry, void* record, Dword* size,
                                std::uint8_t*, Dword*) {
  if (record == nullptr && entry != nullptr && *entry == 0) {
    *size = 0;
    return 5;
  }
  return 623;
}

TEST_F(Phonebook, CreationFallsBackToTheGenerationsSizeAndTagWhenTheSizeIsNotReported) {
  struct Case {
    Generation g;
    Dword size;
    const char* tag;
  };
  for (const Case c : {Case{Generation::kWin98, 1768, "RAS-GetEntrySize "},
                       Case{Generation::kWinMe, 1768, "RAS-CreateConn-GetEntrySize "},
                       Case{Generation::kWin2000, 2088, "RAS-GetEntrySize "},
                       Case{Generation::kWinXp, 2884, "RAS-GetEntrySize "},
                       Case{Generation::kVista, 2884, "RAS-GetEntrySize "}}) {
    SCOPED_TRACE(c.tag);
    StartRas(c.g);
    proxy_->replaced["RasGetEntryPropertiesA"] = reinterpret_cast<void*>(&SizeQueryDenied);
    EntryRecord record(7, 0xAB);
    std::string name = "stale";
    CreateConnection(kModem, record, name);
    EXPECT_EQ(name, "Korvana");
    EXPECT_EQ(record.size(), c.size);
    EXPECT_EQ(ras::ReadDword(record, 0), c.size);
    Entry e;
    ASSERT_TRUE(Stored("Korvana", e));
    ExpectOperatorSettings(e, kModem, "*99***1#");
    EXPECT_TRUE(Logged(std::string(c.tag) + "     code: 5")) << log_.Content();
  }
}

TEST_F(Phonebook, ARecordShorterThanItsSizeIsNeverHandedToRas) {
  StartRas(Generation::kWinXp);
  EntryRecord record(100, 0);
  ras::WriteDword(record, 0, 2884);
  EXPECT_FALSE(RepairProp(record, "Korvana", kModem, true));
  EntryRecord empty;
  EXPECT_FALSE(RepairProp(empty, "Korvana", kModem, true));
  EXPECT_EQ(proxy_->Lookups("RasSetEntryPropertiesA"), 0);
  EXPECT_TRUE(Logged("src: RepairProp      code: 888"));
  EXPECT_TRUE(Names().empty());
}

Dword DW_RASAPI EnumEntriesFails(const char*, const char*, void*, Dword*, Dword*) { return 621; }

TEST_F(Phonebook, AFailedListingIsLoggedAndLeadsToANewEntry) {
  StartRas(Generation::kWinMe);
  ASSERT_EQ(SaveEntry("Mine", kModem, "*99#"), 0u);
  proxy_->replaced["RasEnumEntriesA"] = reinterpret_cast<void*>(&EnumEntriesFails);
  std::string name;
  EntryRecord record;
  EXPECT_FALSE(FindAnotherConn(kModem, name, record));
  EXPECT_EQ(name, "");
  EXPECT_TRUE(record.empty());
  EXPECT_TRUE(Logged("src: RAS-FindAnother-EnumEntries      code: 621"));

  ASSERT_TRUE(CheckConnName(kModem, name).has_value());
  EXPECT_EQ(name, "Korvana");
}

TEST(PhoneNumbers, OnlyTheTwoGprsNumbersExactlyAreKnown) {
  EXPECT_EQ(KnownPhoneNumbers[0], "*99***1#");
  EXPECT_TRUE(IsKnownPhoneNumber("*99***1#"));
  EXPECT_TRUE(IsKnownPhoneNumber("*99#"));
  for (const char* other : {"", "*99", "*99# ", " *99#", "*99***2#", "*99***1", "*98#"}) {
    EXPECT_FALSE(IsKnownPhoneNumber(other)) << other;
  }
}

}  // namespace
}  // namespace dw::phonebook
