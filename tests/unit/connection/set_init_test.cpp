#include "connection/set_init.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "connection/dial_thread.h"
#include "modem/modems.h"
#include "platform/command_line.h"
#include "platform/fake/memory_registry.h"
#include "text/cp1251.h"

namespace dw {
namespace {

constexpr const char* kNtClass =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kModem = "Korvana GPRS Modem";

std::vector<std::string> Arguments(const SetInitRequest& request) {
  return SplitCommandLine(SetInitArguments(request));
}

TEST(SetInit, TheArgumentsCarryAnyNameAndApnThroughTheCommandLineUnchanged) {
  const SetInitRequest requests[] = {
      {kModem, "internet.kvr"},
      {Utf8ToCp1251("Модем \"Корвана\" 3G"), "a"},
      {"name with  two blanks\t", std::string(100, 'x')},
  };
  for (const SetInitRequest& r : requests) {
    const std::string line = SetInitArguments(r);
    EXPECT_EQ(line.find_first_not_of("/setinit 0123456789ABCDEF"), std::string::npos) << line;
    const auto parsed = ParseSetInit(SplitCommandLine(line));
    ASSERT_TRUE(parsed.has_value()) << line;
    EXPECT_EQ(parsed->modem, r.modem);
    EXPECT_EQ(parsed->apn, r.apn);
  }
  // Lower-case digits too: whoever writes the line by hand.
  const auto lower = ParseSetInit({"/setinit", "4b6f", "6b76"});
  ASSERT_TRUE(lower.has_value());
  EXPECT_EQ(lower->modem, "Ko");
  EXPECT_EQ(lower->apn, "kv");
}

TEST(SetInit, AnythingButExactlyTheSwitchAndTwoHexArgumentsIsNotTheMode) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"/setinit"},
      {"/setinit", "41"},
      {"/setinit", "41", "42", "43"},
      {"/SETINIT", "41", "42"},
      {"/setinit", "414", "42"},
      {"/setinit", "4G", "42"},
      {"/setinit", "41", "4 2"},
      {"/l", "/setinit", "41", "42"},
  };
  for (const auto& args : wrong) {
    EXPECT_FALSE(ParseSetInit(args).has_value()) << ::testing::PrintToString(args);
  }
  EXPECT_TRUE(IsSetInit({"/setinit", "zz"})) << "the mode is asked for, and refused below";
  EXPECT_FALSE(IsSetInit({"/l", "/setinit"}));
  EXPECT_FALSE(IsSetInit({}));
}

class SetInitRun : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.SetText(RegistryRoot::kLocalMachine, std::string(kNtClass) + "\\0000", "FriendlyName",
                      "Other Modem");
    registry_.SetText(RegistryRoot::kLocalMachine, std::string(kNtClass) + "\\0000", "UserInit",
                      "ATZ");
    registry_.SetText(RegistryRoot::kLocalMachine, device_, "FriendlyName", kModem);
    registry_.SetText(RegistryRoot::kLocalMachine, device_, "UserInit", "ATZ");
  }
  SetInitExit Run(const std::string& modem, const std::string& apn) {
    return RunSetInit(Arguments({modem, apn}), registry_, 2);
  }
  std::optional<std::string> UserInit(const std::string& key) {
    auto k = registry_.OpenReadOnly(RegistryRoot::kLocalMachine, key);
    return k ? k->ReadText("UserInit") : std::nullopt;
  }

  MemoryRegistry registry_;
  const std::string device_ = std::string(kNtClass) + "\\0001";
};

TEST_F(SetInitRun, WritesExactlyTheDialsCommandAndNothingElse) {
  EXPECT_EQ(Run(kModem, "internet.kvr"), SetInitExit::kWritten);
  EXPECT_EQ(UserInit(device_), "AT+CGDCONT=1,\"IP\",\"internet.kvr\"");
  EXPECT_EQ(UserInit(device_), connection::ApnCommand("internet.kvr"))
      << "the command the dial writes";
  EXPECT_EQ(registry_.WriteCount(), 1);
  EXPECT_EQ(UserInit(std::string(kNtClass) + "\\0000"), "ATZ");
}

TEST_F(SetInitRun, TheModeAndTheDialBuildTheSameCommand) {
  for (const char* apn : {"internet.kvr", "a", "GPRS.Operator-1_x", "~!@#$%^&*()"}) {
    EXPECT_EQ(modem::ApnInitCommand(apn), connection::ApnCommand(apn)) << apn;
  }
}

TEST_F(SetInitRun, AnApnTheUpdateClientWouldRefuseIsNeverWritten) {
  EXPECT_EQ(Run(kModem, ""), SetInitExit::kUsage) << "an empty APN is no argument at all";
  for (const std::string& apn :
       {std::string("with blank"), std::string("quote\"d"), std::string("back\\slash"),
        std::string("a,b"), std::string("a;b"), std::string("x\";ATD*99#;\""), std::string("tab\t"),
        std::string(101, 'x'), Utf8ToCp1251("интернет")}) {
    EXPECT_EQ(Run(kModem, apn), SetInitExit::kUnsafeApn) << apn;
  }
  EXPECT_EQ(registry_.WriteCount(), 0);
  EXPECT_EQ(UserInit(device_), "ATZ");
}

TEST_F(SetInitRun, ABadRequestOrModemChangesNothingAndSaysWhy) {
  EXPECT_EQ(RunSetInit({"/setinit", "41"}, registry_, 2), SetInitExit::kUsage);
  EXPECT_EQ(Run("", "internet.kvr"), SetInitExit::kUsage);
  EXPECT_EQ(Run(std::string("Korvana\0Modem", 13), "internet.kvr"), SetInitExit::kUsage);
  EXPECT_EQ(Run(std::string(129, 'M'), "internet.kvr"), SetInitExit::kUsage);
  EXPECT_EQ(Run("Missing Modem", "internet.kvr"), SetInitExit::kNoModem);
  EXPECT_EQ(registry_.WriteCount(), 0);

  registry_.DenyWrite(RegistryRoot::kLocalMachine, device_);
  EXPECT_EQ(Run(kModem, "internet.kvr"), SetInitExit::kRefused);
  EXPECT_EQ(UserInit(device_), "ATZ");
}

TEST_F(SetInitRun, On9xTheDriverKeyIsWritten) {
  registry_.SetText(RegistryRoot::kLocalMachine, "Enum\\Root\\Modem\\0000", "FriendlyName", kModem);
  registry_.SetText(RegistryRoot::kLocalMachine, "Enum\\Root\\Modem\\0000", "Driver",
                    "Modem\\0003");
  EXPECT_EQ(RunSetInit(Arguments({kModem, "internet.kvr"}), registry_, 1), SetInitExit::kWritten);
  EXPECT_EQ(UserInit("System\\CurrentControlSet\\Services\\Class\\Modem\\0003"),
            modem::ApnInitCommand("internet.kvr"));
  EXPECT_EQ(UserInit(device_), "ATZ") << "the NT keys are no 9x modem's";
}

}  // namespace
}  // namespace dw
