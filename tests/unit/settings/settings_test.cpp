#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "crypto/encrypt.h"
#include "platform/fake/memory_registry.h"
#include "settings/stored_form.h"
#include "text/cp1251.h"

namespace dw {
namespace {

constexpr auto kRoot = RegistryRoot::kLocalMachine;
const std::string kKey(kSettingsKeyPath);

const CommandLine kEncrypted = CommandLine::Parse({});
const CommandLine kPlain = CommandLine::Parse({"/auto", "/r"});

std::string StoredText(const MemoryRegistry& registry, std::string_view name) {
  const auto raw = registry.RawValue(kRoot, kKey, name);
  if (!raw) return "<missing>";
  return std::string(raw->begin(), std::find(raw->begin(), raw->end(), 0));
}

Settings Changed() {
  Settings s;
  s.ModemName = Utf8ToCp1251("Модем Sony Ericsson");
  s.EntryName = "Korvana GPRS";
  s.ApnList = {"internet.ltkvr", "wap.kvr", "internet.kvr"};
  s.ApnVersion = "12";
  s.StartStage = kStageInstalled;
  return s;
}

TEST(LoadSettings, CleanMachineGivesFirstRunDefaultsAndCreatesNothing) {
  MemoryRegistry registry;
  Settings s = Changed();  // whatever was in memory is replaced
  s.FirstStart = false;
  EXPECT_FALSE(LoadSettings(registry, kEncrypted, s));
  EXPECT_TRUE(s.FirstStart);
  EXPECT_EQ(s.StartStage, kStageAgreement);
  EXPECT_EQ(s.ApnList, (std::vector<std::string>{"internet.kvr", "internet.ltkvr"}));
  EXPECT_EQ(s.ApnVersion, "0");
  EXPECT_EQ(s.ModemName, "");
  EXPECT_EQ(s.EntryName, "");
  EXPECT_FALSE(registry.KeyExists(kRoot, kKey));

  // The user declines the agreement and closes: still no key.
  SaveSettingsAtClose(registry, kEncrypted, s);
  EXPECT_FALSE(registry.KeyExists(kRoot, kKey));
  EXPECT_EQ(registry.WriteCount(), 0);
}

TEST(LoadSettings, UnreadableKeyIsAFirstStart) {
  MemoryRegistry registry;
  registry.SetText(kRoot, kKey, "StartStage", EncryptString("2"));
  registry.DenyAccess(kRoot, kKey);
  Settings s;
  EXPECT_FALSE(LoadSettings(registry, kEncrypted, s));
  EXPECT_TRUE(s.FirstStart);
  EXPECT_EQ(s.StartStage, kStageAgreement);
}

TEST(SaveSettings, RoundTripsInBothFormsAndStoresTheDocumentedText) {
  for (const CommandLine& form : {kEncrypted, kPlain}) {
    SCOPED_TRACE(form.plainSettings ? "plain" : "encrypted");
    MemoryRegistry registry;
    SaveSettingsAtClose(registry, form, Changed());
    const auto stored = [&](std::string_view n) {
      return FromStoredForm(StoredText(registry, n), form.plainSettings);
    };
    EXPECT_EQ(stored("Modem"), Changed().ModemName);
    EXPECT_EQ(stored("APNs"), "internet.ltkvr\r\nwap.kvr\r\ninternet.kvr\r\n");
    EXPECT_EQ(stored("StartStage"), "2");
    EXPECT_EQ(LooksEncrypted(StoredText(registry, "APNVersion")), !form.plainSettings);

    Settings back;
    EXPECT_TRUE(LoadSettings(registry, form, back));
    EXPECT_FALSE(back.FirstStart);
    EXPECT_EQ(back.ModemName, Changed().ModemName);
    EXPECT_EQ(back.EntryName, "Korvana GPRS");
    EXPECT_EQ(back.ApnList, Changed().ApnList);
    EXPECT_EQ(back.ApnVersion, "12");
    EXPECT_EQ(back.StartStage, kStageInstalled);
  }
}

TEST(SaveSettings, EmptyTextsAreStoredAsValuesNotLeftOut) {
  MemoryRegistry registry;
  Settings s;
  s.StartStage = kStageInstall;
  s.ApnList.clear();
  SaveSettings(registry, kEncrypted, s);
  EXPECT_EQ(StoredText(registry, "Modem"), EncryptString(""));
  EXPECT_EQ(StoredText(registry, "APNs"), EncryptString(""));

  Settings back;
  LoadSettings(registry, kEncrypted, back);
  EXPECT_TRUE(back.ApnList.empty());  // an empty stored list is not the default list
  EXPECT_EQ(back.StartStage, kStageInstall);
}

TEST(SaveSettings, KeyThatCannotBeWrittenSavesNothingSilently) {
  MemoryRegistry registry;
  registry.DenyWrite(kRoot, "\\Software");  // the key would have to be created below
  SaveSettings(registry, kEncrypted, Changed());
  EXPECT_FALSE(registry.KeyExists(kRoot, kKey));

  MemoryRegistry existing;
  existing.SetText(kRoot, kKey, "Modem", EncryptString("old"));
  existing.DenyWrite(kRoot, kKey);
  SaveSettings(existing, kEncrypted, Changed());
  EXPECT_EQ(DecryptString(StoredText(existing, "Modem")), "old");
  EXPECT_EQ(existing.WriteCount(), 0);
}

TEST(LoadSettings, OtherFormAndGarbageAreTakenAsTheyCome) {
  MemoryRegistry registry;
  SaveSettings(registry, kEncrypted, Changed());
  Settings s;
  ASSERT_TRUE(LoadSettings(registry, kPlain, s));  // "/r" reads the hex text itself
  EXPECT_EQ(s.ModemName, EncryptString(Changed().ModemName));
  EXPECT_EQ(s.StartStage, 0);  // hex is no number
  ASSERT_EQ(s.ApnList.size(), 1u);

  MemoryRegistry plain;
  SaveSettings(plain, kPlain, Changed());
  ASSERT_TRUE(LoadSettings(plain, kEncrypted, s));  // plain text decrypted: garbage, no crash
  EXPECT_NE(s.ModemName, Changed().ModemName);
  EXPECT_EQ(s.StartStage, 0);
}

TEST(LoadSettings, MissingOrNonTextValuesKeepTheirDefaults) {
  MemoryRegistry registry;
  registry.SetText(kRoot, kKey, "Connection", EncryptString("Korvana"));
  registry.SetValue(kRoot, kKey, "StartStage", MemoryRegistry::ValueType::kDword, {2, 0, 0, 0});
  registry.SetValue(kRoot, kKey, "APNs", MemoryRegistry::ValueType::kBinary, {'a', 0});
  Settings s = Changed();
  ASSERT_TRUE(LoadSettings(registry, kEncrypted, s));
  EXPECT_EQ(s.ModemName, "");
  EXPECT_EQ(s.EntryName, "Korvana");
  EXPECT_EQ(s.ApnList, DefaultApnList());
  EXPECT_EQ(s.ApnVersion, "0");
  EXPECT_EQ(s.StartStage, kStageAgreement);
}

TEST(LoadSettings, TheBudgetRoundTripsAndABadStoredValueKeepsItsDefault) {
  Settings budget = Changed();
  budget.BillingDay = 31;
  budget.AllowanceMb = 4096;
  budget.DisconnectWhenUsedUp = true;
  for (const CommandLine& form : {kEncrypted, kPlain}) {
    MemoryRegistry registry;
    SaveSettings(registry, form, budget);
    EXPECT_EQ(FromStoredForm(StoredText(registry, "BillingDay"), form.plainSettings), "31");
    EXPECT_EQ(FromStoredForm(StoredText(registry, "AllowanceMB"), form.plainSettings), "4096");
    EXPECT_EQ(FromStoredForm(StoredText(registry, "UsedUpDisconnect"), form.plainSettings), "1");
    EXPECT_EQ(LooksEncrypted(StoredText(registry, "AllowanceMB")), !form.plainSettings);
    Settings back;
    ASSERT_TRUE(LoadSettings(registry, form, back));
    EXPECT_EQ(back.BillingDay, 31);
    EXPECT_EQ(back.AllowanceMb, 4096u);
    EXPECT_TRUE(back.DisconnectWhenUsedUp);
  }

  // An older program's key has none of them: the defaults.
  Settings s = budget;
  MemoryRegistry older;
  older.SetText(kRoot, kKey, "StartStage", EncryptString("2"));
  ASSERT_TRUE(LoadSettings(older, kEncrypted, s));
  EXPECT_EQ(s.BillingDay, 1);
  EXPECT_EQ(s.AllowanceMb, 0u);
  EXPECT_FALSE(s.DisconnectWhenUsedUp);

  // Values out of range, garbage or of another type: each its default,
  // nothing else disturbed.
  MemoryRegistry bad;
  bad.SetText(kRoot, kKey, "BillingDay", EncryptString("32"));
  bad.SetText(kRoot, kKey, "AllowanceMB", EncryptString("-5"));
  bad.SetValue(kRoot, kKey, "UsedUpDisconnect", MemoryRegistry::ValueType::kDword, {1, 0, 0, 0});
  bad.SetText(kRoot, kKey, "StartStage", EncryptString("2"));
  s = budget;
  ASSERT_TRUE(LoadSettings(bad, kEncrypted, s));
  EXPECT_EQ(s.BillingDay, 1);
  EXPECT_EQ(s.AllowanceMb, 0u);
  EXPECT_FALSE(s.DisconnectWhenUsedUp);
  EXPECT_EQ(s.StartStage, kStageInstalled);
  bad.SetText(kRoot, kKey, "BillingDay", "1F");  // a stored text that is no encryption
  bad.SetText(kRoot, kKey, "UsedUpDisconnect", EncryptString("yes"));
  ASSERT_TRUE(LoadSettings(bad, kEncrypted, s));
  EXPECT_EQ(s.BillingDay, 1);
  EXPECT_FALSE(s.DisconnectWhenUsedUp);

  // What memory holds out of range is stored in range.
  budget.BillingDay = 40;
  budget.AllowanceMb = 4'000'000'000u;
  MemoryRegistry clamped;
  SaveSettings(clamped, kPlain, budget);
  EXPECT_EQ(StoredText(clamped, "BillingDay"), "1");
  EXPECT_EQ(StoredText(clamped, "AllowanceMB"), "10000000");
}

TEST(ParseStartStage, DecimalTextLowEightBitsOtherwiseZero) {
  const struct {
    const char* text;
    int stage;
  } cases[] = {
      {"0", 0},
      {"2", 2},
      {"3", 3},
      {"1", 1},
      {"4", 4},
      {"  2", 2},
      {"+2", 2},
      {"-1", 255},
      {"259", 3},
      {"256", 0},
      {"", 0},
      {"2 ", 0},
      {"x", 0},
      {"2a", 0},
      {"-", 0},
      {"0x2", 0},
      {"\t2", 0},
      {"2147483647", 255},
      {"2147483648", 0},
      {"-2147483648", 0},
      {"99999999999999999999999", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseStartStage(c.text), c.stage) << '"' << c.text << '"';
  }
}

TEST(ApnList, TextFormAndSplittingAtLineEnds) {
  EXPECT_EQ(ApnListText({}), "");
  EXPECT_EQ(ApnListText(DefaultApnList()), "internet.kvr\r\ninternet.ltkvr\r\n");
  const struct {
    const char* text;
    std::vector<std::string> list;
  } cases[] = {
      {"", {}},
      {"internet.kvr\r\ninternet.ltkvr", {"internet.kvr", "internet.ltkvr"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\rc\r\n", {"a", "b", "c"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"\r\n", {""}},
      {"a\n\r", {"a", ""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ApnListFromText(c.text), c.list) << '"' << c.text << '"';
  }
}

TEST(ProgramVersion, DropsTheLastTwoComponents) {
  EXPECT_EQ(ProgramVersion("1.0.0.311"), "1.0");
  EXPECT_EQ(ProgramVersion("1.0.0"), "1");
  EXPECT_EQ(ProgramVersion("1.0"), "1");
  EXPECT_EQ(ProgramVersion("1"), "1");
  EXPECT_EQ(ProgramVersion(""), "");
  EXPECT_EQ(ProgramVersion("2.5.1.7.9"), "2.5.1");

  FixedEnvironment env;
  env.fileVersion = "1.0.0.311";
  Settings s;
  s.ProgramVersion = ProgramVersion(ReadVersionInfo(env, env.ExecutablePath()));
  EXPECT_EQ(BuildVersionKey(s), "1.0.0");
}

TEST(StoreApnVersion, KeepsTheTextAfterTheLastDot) {
  Settings s;
  s.ProgramVersion = "1.0";
  StoreApnVersion(s, "1.0.7");
  EXPECT_EQ(s.ApnVersion, "7");
  EXPECT_EQ(BuildVersionKey(s), "1.0.7");
  StoreApnVersion(s, "1.0.");
  EXPECT_EQ(s.ApnVersion, "");
  s.ApnVersion = "5";
  StoreApnVersion(s, "17");
  EXPECT_EQ(s.ApnVersion, "");
}

}  // namespace
}  // namespace dw
