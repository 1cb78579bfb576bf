// rassim's commands and the lines they print: a contract that tests and the
// run script read.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "core/tool.h"
#include "sim_fixture.h"

namespace dw::sim::test {
namespace {

class Rassim : public SimTest {
 protected:
  void SetUp() override { Start(Generation::kWinXp); }

  // Runs a command; the exit code, and the output as key -> value.
  int Run(std::vector<std::string> args, Generation g = Generation::kWinXp) {
    ToolHost host;
    host.generation = g;
    host.store = &store_;
    host.clock = &clock_;
    host.registry = &registry_;
    host.folder = "C:\\windows\\rassim\\";
    host.installDll = [this](std::string& error) -> std::optional<std::string> {
      if (!dllInstallable_) {
        error = "denied";
        return std::nullopt;
      }
      return std::string("C:\\windows\\system32\\rasapi32.dll");
    };
    host.readFile = [this](const std::string& path) -> std::optional<std::string> {
      const auto it = files_.find(path);
      return it == files_.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    std::ostringstream out;
    std::ostringstream err;
    const int code = RunTool(args, host, out, err);
    output_.clear();
    text_ = out.str();
    error_ = err.str();
    std::istringstream lines(text_);
    for (std::string line; std::getline(lines, line);) {
      const auto eq = line.find('=');
      EXPECT_NE(eq, std::string::npos) << "not key=value: " << line;
      EXPECT_EQ(output_.count(line.substr(0, eq)), 0u) << "repeated key: " << line;
      output_[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return code;
  }

  std::map<std::string, std::string> output_;
  std::map<std::string, std::string> files_;
  std::string text_;
  std::string error_;
  bool dllInstallable_ = true;
};

TEST_F(Rassim, InstallPutsTheDllAndTheScenariosModemsInPlace) {
  ASSERT_EQ(Run({"install"}), 0) << error_;
  EXPECT_EQ(output_["dll"], "C:\\windows\\system32\\rasapi32.dll");
  EXPECT_EQ(output_["modems"], "1");
  EXPECT_EQ(output_["modem.1.name"], "Korvana GPRS Modem");
  EXPECT_EQ(output_["modem.1.key"], std::string("HKLM\\") + kNtModemClassKey + "\\0000");
  EXPECT_EQ(output_["override"], "rasapi32=n");
  ASSERT_EQ(Run({"install"}, Generation::kWin98), 0);
  EXPECT_EQ(output_["modem.1.key"],
            "HKLM\\System\\CurrentControlSet\\Services\\Class\\Modem\\0000");
  EXPECT_EQ(ListModems(registry_, true).size(), 1u);
  dllInstallable_ = false;
  EXPECT_EQ(Run({"install"}), 1);
  EXPECT_NE(error_.find("denied"), std::string::npos);
}

TEST_F(Rassim, StateShowsWhatAProgramDidThroughTheApi) {
  ASSERT_EQ(Run({"install"}), 0);
  ASSERT_EQ(SaveEntry("Korvana", "Korvana GPRS Modem", "*99***1#"), 0u);
  SetUserInit("Korvana GPRS Modem", "AT+CGDCONT=1,\"IP\",\"internet.kvr\"");
  Handle conn = 0;
  ASSERT_EQ(Dial("Korvana", conn), 0u);
  CompleteDial(10);
  clock_.Advance(1000);
  ASSERT_EQ(Run({"state"}), 0);
  EXPECT_EQ(output_["generation"], "winxp");
  EXPECT_EQ(output_["devices"], "2");
  EXPECT_EQ(output_["entries"], "1");
  EXPECT_EQ(output_["entry.1.name"], "Korvana");
  EXPECT_EQ(output_["entry.1.phone"], "*99***1#");
  EXPECT_EQ(output_["entry.1.device-name"], "Korvana GPRS Modem");
  EXPECT_EQ(output_["entry.1.framing"], "1");
  EXPECT_EQ(output_["connections"], "1");
  EXPECT_EQ(output_["connection.1.handle"], std::to_string(conn));
  EXPECT_EQ(output_["connection.1.apn"], "internet.kvr");
  EXPECT_EQ(output_["connection.1.state"], "8192");
  EXPECT_EQ(output_["connection.1.received"], std::to_string(6000 * 2100 / 1000));
  EXPECT_EQ(output_["modem.1.userinit"], "AT+CGDCONT=1,\"IP\",\"internet.kvr\"");

  ASSERT_EQ(Run({"drop", std::to_string(conn)}), 0);
  EXPECT_EQ(output_["dropped"], "1");
  EXPECT_EQ(Run({"drop", std::to_string(conn)}), 1);
  ASSERT_EQ(Run({"state"}), 0);
  EXPECT_EQ(output_["connections"], "0");
}

TEST_F(Rassim, ScenarioBringsItsEntriesAndResetForgetsEverything) {
  files_["net.txt"] =
      "device modem Phone\n"
      "apn * connect\n"
      "entry name=Theirs;device=Phone;phone=*99#;user=someone\n";
  ASSERT_EQ(Run({"scenario", "net.txt"}), 0) << error_;
  EXPECT_EQ(output_["entries"], "1");
  EXPECT_EQ(store_.ReadScenario().devices.size(), 1u);
  ASSERT_EQ(Run({"state"}), 0);
  EXPECT_EQ(output_["entry.1.user"], "someone");
  EXPECT_EQ(output_["entry.1.device-name"], "Phone");
  EXPECT_EQ(output_["device.1.name"], "Phone");

  files_["bad.txt"] = "apn x perhaps\n";
  EXPECT_EQ(Run({"scenario", "bad.txt"}), 1);
  EXPECT_NE(error_.find("line 1"), std::string::npos);
  EXPECT_EQ(Run({"scenario", "missing.txt"}), 1);
  EXPECT_EQ(store_.ReadScenario().devices.size(), 1u) << "a refused scenario changes nothing";

  ASSERT_EQ(Run({"reset"}), 0);
  ASSERT_EQ(Run({"state"}), 0);
  EXPECT_EQ(output_["entries"], "0");
  EXPECT_EQ(output_["device.1.name"], "Korvana GPRS Modem");
}

TEST_F(Rassim, StateShowsTheSizeOfTheRecordThatLastSavedEachEntry) {
  for (Generation g : kGenerations) {
    Start(g);
    // RAS saves entries only for its devices; a scenario's entries are taken as they come.
    files_["net.txt"] =
        "device modem Korvana GPRS Modem\n"
        "entry name=Theirs;device=Phone;phone=*99#;user=someone\n";
    ASSERT_EQ(Run({"scenario", "net.txt"}, g), 0) << error_;
    ASSERT_EQ(SaveEntry("Mine", "Korvana GPRS Modem", "*99#"), 0u);
    ASSERT_EQ(Run({"state"}, g), 0);
    EXPECT_EQ(output_["entry.1.size"], std::to_string(sizeof(ras::v501::RasEntryA)));
    EXPECT_EQ(output_["entry.2.name"], "Mine");
    EXPECT_EQ(output_["entry.2.size"], std::to_string(Size(Record::kEntry)));
    EXPECT_EQ(output_["entry.2.user"], "");
  }
}

TEST_F(Rassim, StateCountsCallsThatTheGenerationLacksUntilReset) {
  Start(Generation::kWinMe);
  ASSERT_EQ(Run({"state"}, Generation::kWinMe), 0);
  EXPECT_EQ(output_["missing-calls"], "0");
  std::vector<std::uint8_t> record(60, 0);
  record[0] = 60;
  sim_->GetConnectionStatistics(0, record.data());
  sim_->GetConnectionStatistics(0, record.data());
  ASSERT_EQ(Run({"state"}, Generation::kWinMe), 0);
  EXPECT_EQ(output_["missing-calls"], "2");
  ASSERT_EQ(Run({"reset"}, Generation::kWinMe), 0);
  ASSERT_EQ(Run({"state"}, Generation::kWinMe), 0);
  EXPECT_EQ(output_["missing-calls"], "0");
}

TEST_F(Rassim, DropAllAndUsage) {
  ASSERT_EQ(SaveEntry("A", "Korvana GPRS Modem", "*99#"), 0u);
  ASSERT_EQ(SaveEntry("B", "Korvana ISDN Adapter", "*99#", "isdn"), 0u);
  Handle a = 0;
  Handle b = 0;
  ASSERT_EQ(Dial("A", a), 0u);
  ASSERT_EQ(Dial("B", b), 0u);
  ASSERT_EQ(Run({"drop", "all"}), 0);
  EXPECT_EQ(output_["dropped"], "2");
  EXPECT_EQ(Run({"drop", "x1"}), 2);
  EXPECT_EQ(Run({}), 2);
  EXPECT_EQ(Run({"state", "extra"}), 2);
  EXPECT_EQ(Run({"frobnicate"}), 2);
  EXPECT_NE(error_.find("usage"), std::string::npos);
}

}  // namespace
}  // namespace dw::sim::test
