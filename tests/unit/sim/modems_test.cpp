// The modems' registry keys in both layouts and the APN a modem reads from
// its extra initialisation.
#include <gtest/gtest.h>

#include "core/modems.h"
#include "platform/fake/memory_registry.h"

namespace dw::sim {
namespace {

std::string ReadText(const Registry& registry, const std::string& path, const char* name) {
  const auto key = registry.OpenReadOnly(RegistryRoot::kLocalMachine, path);
  return key ? key->ReadText(name).value_or("<none>") : "<no key>";
}

TEST(ModemApn, ComesFromTheContextOneDefinition) {
  EXPECT_EQ(ApnOf("AT+CGDCONT=1,\"IP\",\"internet.kvr\""), "internet.kvr");
  EXPECT_EQ(ApnOf("ATZ E0 at+cgdcont=1,\"IP\",\"a.b\" S0=0"), "a.b");
  EXPECT_EQ(ApnOf("AT+CGDCONT=1,\"IP\",\"\""), "");
  EXPECT_EQ(ApnOf("AT+CGDCONT=1,\"IP\",\"one\";+CGDCONT=1,\"IP\",\"two\""), "two")
      << "the modem keeps the last definition";
  EXPECT_EQ(ApnOf("AT+CGDCONT=2,\"IP\",\"other\""), std::nullopt);
  EXPECT_EQ(ApnOf("AT+CGDCONT=12,\"IP\",\"other\""), std::nullopt);
  EXPECT_EQ(ApnOf("AT+CGDCONT=1,\"IP\",\"unterminated"), std::nullopt);
  EXPECT_EQ(ApnOf("AT+CGDCONT=1,IP,\"x\""), std::nullopt);
  EXPECT_EQ(ApnOf("ATZ"), std::nullopt);
  EXPECT_EQ(ApnOf(""), std::nullopt);
}

TEST(ModemKeys, NtKeepsUserInitInTheClassKeysSubkey) {
  MemoryRegistry registry;
  const auto key = InstallModem(registry, false, "Korvana GPRS Modem");
  ASSERT_TRUE(key.has_value());
  EXPECT_EQ(*key, std::string(kNtModemClassKey) + "\\0000");
  EXPECT_EQ(InstallModem(registry, false, "Korvana GPRS Modem"), key) << "installing twice";
  EXPECT_EQ(*InstallModem(registry, false, "Other"), std::string(kNtModemClassKey) + "\\0001");
  registry.SetText(RegistryRoot::kLocalMachine, *key, "UserInit", "AT+X");
  EXPECT_EQ(ReadUserInit(registry, false, "Korvana GPRS Modem"), "AT+X");
  EXPECT_EQ(ReadUserInit(registry, false, "korvana gprs modem"), "") << "names compare exactly";
  EXPECT_EQ(ReadUserInit(registry, true, "Korvana GPRS Modem"), "") << "not where 9x looks";
  const auto modems = ListModems(registry, false);
  ASSERT_EQ(modems.size(), 2u);
  EXPECT_TRUE(modems[0].hasUserInit);
  EXPECT_FALSE(modems[1].hasUserInit);
}

TEST(ModemKeys, Win9xGoesThroughTheDriverValue) {
  MemoryRegistry registry;
  const auto key = InstallModem(registry, true, "Korvana GPRS Modem");
  ASSERT_TRUE(key.has_value());
  EXPECT_EQ(*key, "System\\CurrentControlSet\\Services\\Class\\Modem\\0000");
  EXPECT_EQ(ReadText(registry, "Enum\\Root\\Modem\\0000", "Driver"), "Modem\\0000");
  registry.SetText(RegistryRoot::kLocalMachine, *key, "UserInit", "AT+Y");
  EXPECT_EQ(ReadUserInit(registry, true, "Korvana GPRS Modem"), "AT+Y");
}

TEST(ModemKeys, Win9xFallsBackToMdmgenWithoutTheModemKey) {
  MemoryRegistry registry;
  registry.SetText(RegistryRoot::kLocalMachine, "Enum\\Root\\MDMGEN\\0003", "FriendlyName",
                   "Phone");
  registry.SetText(RegistryRoot::kLocalMachine, "Enum\\Root\\MDMGEN\\0003", "Driver",
                   "Modem\\0007");
  registry.SetText(RegistryRoot::kLocalMachine,
                   "System\\CurrentControlSet\\Services\\Class\\Modem\\0007", "UserInit", "AT+Z");
  EXPECT_EQ(ReadUserInit(registry, true, "Phone"), "AT+Z");
  EXPECT_EQ(*InstallModem(registry, true, "Phone"),
            "System\\CurrentControlSet\\Services\\Class\\Modem\\0007");
}

}  // namespace
}  // namespace dw::sim
