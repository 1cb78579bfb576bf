// The registry adapter and the settings store against the real registry of
// the Wine prefix. Every test works under a key of its own, removed after.
#include "platform/win32/win.h"  // first: the SDK headers below need it

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "crypto/encrypt.h"
#include "platform/registry.h"
#include "platform/win32/adapters_win.h"
#include "settings/settings.h"
#include "settings/stored_form.h"
#include "text/cp1251.h"

namespace dw {
namespace {

constexpr auto kRoot = RegistryRoot::kLocalMachine;

// RegDeleteTree is newer than the systems we build for.
void DeleteTree(HKEY parent, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS) {
    char child[256];
    DWORD length = sizeof child;
    while (RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS) {
      DeleteTree(key, child);
      length = sizeof child;
    }
    RegCloseKey(key);
  }
  RegDeleteKeyA(parent, name.c_str());
}

class RealRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    base_ = std::string("Software\\Korvana\\DialwaveTests\\") + info->test_suite_name() + "-" +
            info->name() + "-" + std::to_string(GetCurrentProcessId());
    DeleteTree(HKEY_LOCAL_MACHINE, base_);
    settingsKey_ = "\\" + base_ + "\\Dialwave";
  }
  void TearDown() override { DeleteTree(HKEY_LOCAL_MACHINE, base_); }

  std::string StoredText(std::string_view name) {
    const auto key = registry_->OpenReadOnly(kRoot, settingsKey_);
    if (!key) return "<no key>";
    return key->ReadText(name).value_or("<missing>");
  }

  std::unique_ptr<Registry> registry_ = MakeWin32Registry();
  std::string base_;
  std::string settingsKey_;
};

TEST_F(RealRegistry, KeysOpenOnlyAsAsked) {
  EXPECT_FALSE(registry_->KeyExists(kRoot, settingsKey_));
  EXPECT_EQ(registry_->Open(kRoot, settingsKey_), nullptr);
  EXPECT_EQ(registry_->OpenReadOnly(kRoot, settingsKey_), nullptr);
  EXPECT_FALSE(registry_->KeyExists(kRoot, settingsKey_));  // opening created nothing

  ASSERT_NE(registry_->Create(kRoot, settingsKey_ + "\\Deeper"), nullptr);
  EXPECT_TRUE(registry_->KeyExists(kRoot, settingsKey_));
  EXPECT_TRUE(registry_->KeyExists(kRoot, settingsKey_.substr(1)));  // with or without "\"
  const auto key = registry_->Open(kRoot, settingsKey_);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->SubkeyNames(), std::vector<std::string>{"Deeper"});
}

TEST_F(RealRegistry, TextsRoundTripByteForByte) {
  const auto key = registry_->Create(kRoot, settingsKey_);
  ASSERT_NE(key, nullptr);
  std::string everyByte;
  for (int b = 1; b < 256; ++b) everyByte += static_cast<char>(b);
  const std::string russian = Utf8ToCp1251("Модем Корвана №1");
  ASSERT_TRUE(key->WriteText("Russian", russian));
  ASSERT_TRUE(key->WriteText("Empty", ""));
  ASSERT_TRUE(key->WriteText("Long", std::string(5000, 'x')));
  EXPECT_EQ(key->ReadText("Russian"), russian);
  EXPECT_EQ(key->ReadText("russian"), russian);  // names ignore case
  EXPECT_EQ(key->ReadText("Empty"), "");
  EXPECT_EQ(key->ReadText("Long"), std::string(5000, 'x'));
  EXPECT_TRUE(key->ValueExists("Empty"));
  EXPECT_FALSE(key->ValueExists("Absent"));
  EXPECT_EQ(key->ReadText("Absent"), std::nullopt);
  EXPECT_EQ(key->ReadBinary("Absent"), std::nullopt);
  // Hex texts, the stored form, always survive the ANSI conversion.
  const std::string hex = EncryptString(everyByte);
  ASSERT_TRUE(key->WriteText("Hex", hex));
  EXPECT_EQ(key->ReadText("Hex"), hex);
  auto names = key->ValueNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Empty", "Hex", "Long", "Russian"}));
}

TEST_F(RealRegistry, OtherTypesReadAsBinaryOnly) {
  const auto key = registry_->Create(kRoot, settingsKey_);
  ASSERT_NE(key, nullptr);
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, settingsKey_.substr(1).c_str(), 0, KEY_WRITE, &raw),
            ERROR_SUCCESS);
  const BYTE counter[2] = {0x34, 0x12};
  const DWORD dword = 2;
  RegSetValueExA(raw, "Counter", 0, REG_BINARY, counter, 2);
  RegSetValueExA(raw, "StartStage", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword), 4);
  RegSetValueExA(raw, "NoBytes", 0, REG_BINARY, nullptr, 0);
  RegCloseKey(raw);

  EXPECT_EQ(key->ReadBinary("Counter"), (std::vector<std::uint8_t>{0x34, 0x12}));
  EXPECT_EQ(key->ReadBinary("NoBytes"), std::vector<std::uint8_t>{});
  EXPECT_EQ(key->ReadText("Counter"), std::nullopt);
  EXPECT_EQ(key->ReadText("StartStage"), std::nullopt);
  ASSERT_TRUE(key->WriteText("Text", "ab"));
  EXPECT_EQ(key->ReadBinary("Text"), (std::vector<std::uint8_t>{'a', 'b', 0}));

  // A stored StartStage of the wrong type keeps the agreement stage.
  Settings s;
  ASSERT_TRUE(LoadSettings(*registry_, CommandLine{}, s, settingsKey_));
  EXPECT_EQ(s.StartStage, kStageAgreement);
}

TEST_F(RealRegistry, ReadOnlyKeyRefusesWrites) {
  ASSERT_TRUE(registry_->Create(kRoot, settingsKey_)->WriteText("Modem", "old"));
  const auto key = registry_->OpenReadOnly(kRoot, settingsKey_);
  ASSERT_NE(key, nullptr);
  EXPECT_FALSE(key->WriteText("Modem", "new"));
  EXPECT_EQ(key->ReadText("Modem"), "old");
}

TEST_F(RealRegistry, FirstRunGivesDefaultsAndDecliningStoresNothing) {
  Settings s;
  EXPECT_FALSE(LoadSettings(*registry_, CommandLine{}, s, settingsKey_));
  EXPECT_TRUE(s.FirstStart);
  EXPECT_EQ(s.StartStage, 3);
  EXPECT_EQ(s.ApnList, (std::vector<std::string>{"internet.kvr", "internet.ltkvr"}));
  EXPECT_EQ(s.ApnVersion, "0");
  SaveSettingsAtClose(*registry_, CommandLine{}, s, settingsKey_);
  EXPECT_FALSE(registry_->KeyExists(kRoot, settingsKey_));
}

TEST_F(RealRegistry, PlainFormIsReadableAndReadsEncryptedValuesAsHex) {
  const CommandLine plain = CommandLine::Parse({"/auto", "/r"});
  Settings s;
  s.ModemName = Utf8ToCp1251("Телефон");
  s.StartStage = kStageInstalled;
  SaveSettings(*registry_, CommandLine{}, s, settingsKey_);
  const std::string hexModem = StoredText("Modem");
  EXPECT_EQ(hexModem, EncryptString(s.ModemName));

  Settings read;
  ASSERT_TRUE(LoadSettings(*registry_, plain, read, settingsKey_));
  EXPECT_EQ(read.ModemName, hexModem);
  EXPECT_EQ(read.StartStage, 0);  // hex is no number

  SaveSettings(*registry_, plain, s, settingsKey_);
  EXPECT_EQ(StoredText("Modem"), s.ModemName);
  EXPECT_EQ(StoredText("APNs"), "internet.kvr\r\ninternet.ltkvr\r\n");
  EXPECT_EQ(StoredText("APNVersion"), "0");
  EXPECT_EQ(StoredText("StartStage"), "2");
  ASSERT_TRUE(LoadSettings(*registry_, plain, read, settingsKey_));
  EXPECT_EQ(read.ModemName, s.ModemName);
  EXPECT_EQ(read.StartStage, kStageInstalled);
}

TEST_F(RealRegistry, GarbageStartStageLoadsAsZero) {
  ASSERT_TRUE(
      registry_->Create(kRoot, settingsKey_)->WriteText("StartStage", EncryptString("two")));
  Settings s;
  ASSERT_TRUE(LoadSettings(*registry_, CommandLine{}, s, settingsKey_));
  EXPECT_FALSE(s.FirstStart);
  EXPECT_EQ(s.StartStage, 0);
}

TEST_F(RealRegistry, KeyThatCannotBeWrittenSavesNothing) {
  // Only volatile keys may live under a volatile key, so the settings key
  // (non-volatile) cannot be created there.
  HKEY volatileKey = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (base_ + "\\Volatile").c_str(), 0, nullptr,
                            REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(volatileKey);
  const std::string refused = "\\" + base_ + "\\Volatile\\Dialwave";
  ASSERT_EQ(registry_->Create(kRoot, refused), nullptr);

  Settings s;
  s.StartStage = kStageInstalled;
  SaveSettings(*registry_, CommandLine{}, s, refused);
  EXPECT_FALSE(registry_->KeyExists(kRoot, refused));
}

TEST(Win32Environment, VersionOfTheProgramAndLongTime) {
  const auto env = MakeWin32Environment();
  const auto bin = std::filesystem::path(env->ExecutablePath()).parent_path();
  const std::string fileVersion = ReadVersionInfo(*env, (bin / "dialwave.exe").string());
  ASSERT_EQ(fileVersion.rfind("1.0.0.", 0), 0u) << fileVersion;
  EXPECT_EQ(ProgramVersion(fileVersion), "1.0");
  EXPECT_EQ(ReadVersionInfo(*env, env->ExecutablePath()), "");  // no version resource
  EXPECT_EQ(ReadVersionInfo(*env, (bin / "no such file.exe").string()), "");

  const std::string time = env->FormatLongTime({2026, 12, 7, 9, 5, 3, 0});
  EXPECT_NE(time.find("05"), std::string::npos) << time;
  EXPECT_NE(time.find("03"), std::string::npos) << time;
  EXPECT_EQ(time.find("2026"), std::string::npos) << time;  // no date
}

}  // namespace
}  // namespace dw
