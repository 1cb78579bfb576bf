// The dial where the system refuses a write it needs: the modem's UserInit
// (the administrator's step, asked for once) and the phone-book entry. The
// log never names another APN than the one the modem's command selects.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "connection/set_init.h"
#include "platform/elevation.h"
#include "unit/connection/dial_fixture.h"

namespace dw::connection::test {
namespace {

using ras::Generation;

const std::string kOldInit = "AT+CGDCONT=1,\"IP\",\"old.apn\"";

// The step run as administrator, as the real one would: it writes the
// modem's command for the APN its arguments name, past the refusal.
class StepAsAdministrator final : public Elevation {
 public:
  AdministratorRun RunAsAdministrator(const std::string& arguments,
                                      std::chrono::milliseconds) override {
    calls.push_back(arguments);
    if (!runs) return {};
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at <= arguments.size()) {
      const std::size_t gap = std::min(arguments.find(' ', at), arguments.size());
      words.push_back(arguments.substr(at, gap - at));
      at = gap + 1;
    }
    const auto request = ParseSetInit(words);
    if (!request) return {static_cast<int>(SetInitExit::kUsage)};
    const std::string command = modem::ApnInitCommand(request->apn);
    if (late) {
      finish = [this, modem = request->modem, command] { write(modem, command); };
      return {std::nullopt, true};
    }
    if (writes) write(request->modem, command);
    return {static_cast<int>(SetInitExit::kWritten)};
  }

  bool runs = true;    // false: refused at the system's prompt
  bool writes = true;  // false: it ends as if it had written, but did not
  bool late = false;   // true: still running at the limit; `finish` writes
  std::function<void(const std::string&, const std::string&)> write;
  std::function<void()> finish;
  std::vector<std::string> calls;
};

class RefusedWrite : public DialTest {
 protected:
  void PrepareRefused(Generation g, const std::string& init = kOldInit) {
    Prepare(g, Quick(sim::DefaultScenario()), "*99***1#", init);
    const std::string classKey = modem::ModemInitStore(registry_, PlatformId()).ClassKey();
    registry_.DenyWrite(RegistryRoot::kLocalMachine,
                        ras::IsWin9x(g) ? "\\System\\CurrentControlSet\\Services\\Class" : classKey);
    elevation.write = [this](const std::string& modem, const std::string& command) {
      SetUserInit(modem, command);
    };
  }
  DialDependencies WithQuestions() {
    DialDependencies deps = Deps();
    deps.questions = &questions;
    deps.elevation = &elevation;
    return deps;
  }
  ras::Handle Run(std::vector<std::string>& apns) {
    DialThread thread(WithQuestions());
    return RunDial(thread, apns);
  }
  std::vector<std::string> LoggedApns() const { return DialParams("APN: ", "  User:"); }
  std::vector<std::string> Asked() const {
    std::vector<std::string> texts;
    for (const auto& q : questions.Questions()) texts.push_back(q.text);
    return texts;
  }

  StepAsAdministrator elevation;
};

TEST_F(RefusedWrite, AgreedTheStepWritesTheApnAndTheDialUsesIt) {
  PrepareRefused(Generation::kWinXp);
  questions.Script({true});
  std::vector<std::string> apns = {"internet.kvr"};
  EXPECT_NE(Run(apns), 0u);
  EXPECT_EQ(Asked(), std::vector<std::string>{Text(TextId::ModemApnNeedsAdmin)});
  ASSERT_EQ(questions.Questions().size(), 1u);
  EXPECT_NE(questions.Questions()[0].thread, messages_.UiThread())
      << "asked by the dial's worker, answered on the user-interface thread by the real port";
  EXPECT_EQ(elevation.calls, std::vector<std::string>{SetInitArguments({kModem, "internet.kvr"})});
  EXPECT_EQ(UserInit(), kKvrInit);
  EXPECT_EQ(LoggedApns(), std::vector<std::string>{"internet.kvr"});
}

TEST_F(RefusedWrite, DeclinedTheDialGoesOnWithTheModemsOwnApnAsLogged) {
  PrepareRefused(Generation::kVista);
  questions.Script({false});
  std::vector<std::string> apns = {"internet.kvr", "second.kvr"};
  EXPECT_EQ(Run(apns), 0u) << "the network refuses old.apn";
  EXPECT_EQ(questions.Questions().size(), 1u);
  EXPECT_TRUE(elevation.calls.empty());
  EXPECT_EQ(UserInit(), kOldInit);
  // Both numbers, each with what the modem really holds; no round per APN,
  // as each would dial the same command.
  EXPECT_EQ(LoggedApns(), (std::vector<std::string>{"old.apn", "old.apn"}));
  EXPECT_EQ(apns, (std::vector<std::string>{"internet.kvr", "second.kvr"}));
}

TEST_F(RefusedWrite, TheModemsOwnApnConnectingIsLoggedAsItself) {
  PrepareRefused(Generation::kWinXp, kKvrInit);
  questions.Script({false});
  std::vector<std::string> apns = {"first.kvr", "internet.kvr"};
  EXPECT_NE(Run(apns), 0u);
  EXPECT_EQ(LoggedApns(), std::vector<std::string>{"internet.kvr"});
  EXPECT_EQ(apns, (std::vector<std::string>{"first.kvr", "internet.kvr"}))
      << "the list's order is not the modem's doing";
}

TEST_F(RefusedWrite, AStepThatDidNotRunOrDidNotWriteLeavesTheModemsApnInTheLog) {
  for (const bool runs : {false, true}) {
    SCOPED_TRACE(runs ? "ended without writing" : "refused at the prompt");
    PrepareRefused(Generation::kVista);
    elevation.calls.clear();
    elevation.runs = runs;
    elevation.writes = false;
    questions.Script({true, true, true});
    std::vector<std::string> apns = {"internet.kvr", "second.kvr"};
    EXPECT_EQ(Run(apns), 0u);
    EXPECT_EQ(questions.Questions().size(), runs ? 2u : 1u) << "once per dial";
    EXPECT_EQ(elevation.calls.size(), 1u) << "a failed step is not tried again";
    EXPECT_EQ(LoggedApns(), (std::vector<std::string>{"old.apn", "old.apn"}));
    StopLog();
    TearDown();
  }
}

TEST_F(RefusedWrite, AgreedOnceEachApnGetsItsStepButNoSecondQuestion) {
  PrepareRefused(Generation::kWinXp);
  questions.Script({true}, false);
  std::vector<std::string> apns = {"bad.kvr", "internet.kvr"};
  EXPECT_NE(Run(apns), 0u);
  EXPECT_EQ(questions.Questions().size(), 1u);
  EXPECT_EQ(elevation.calls, (std::vector<std::string>{SetInitArguments({kModem, "bad.kvr"}),
                                                       SetInitArguments({kModem, "internet.kvr"})}));
  EXPECT_EQ(LoggedApns(), (std::vector<std::string>{"bad.kvr", "bad.kvr", "internet.kvr"}))
      << "the refused write back leaves the step's command for the second number";
  EXPECT_EQ(apns.front(), "internet.kvr");
}

TEST_F(RefusedWrite, NobodyToAskOrNo9xRefusalMeansNoQuestion) {
  PrepareRefused(Generation::kWinXp, "ATZ");
  std::vector<std::string> apns = {"internet.kvr"};
  DialThread thread(Deps());  // no questions, no step
  EXPECT_EQ(RunDial(thread, apns), 0u) << "the network refuses a modem without an APN";
  EXPECT_EQ(LoggedApns(), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(logFiles->Messages("DIAL-UserInit").front(), "the modem's own command: ATZ");
  StopLog();
  TearDown();

  PrepareRefused(Generation::kWin98);
  questions.Script({true});
  EXPECT_EQ(Run(apns), 0u);
  EXPECT_TRUE(questions.Questions().empty()) << "9x has no administrator's step";
  EXPECT_TRUE(elevation.calls.empty());
  EXPECT_EQ(LoggedApns(), (std::vector<std::string>{"old.apn", "old.apn"}));
}

// The step outlives the dial's wait for it and writes when the dial would
// be under way: RAS would dial the step's APN under a log line naming the
// modem's old one.
TEST_F(RefusedWrite, AStepStillRunningAtItsLimitLeavesNoDialTheLogCannotName) {
  PrepareRefused(Generation::kWinXp);
  questions.Script({true});
  elevation.late = true;
  onProgress = [this](const ProgressEvent& e) {
    if (elevation.finish && e.status == Text(TextId::DialConnectionSetup)) {
      std::exchange(elevation.finish, {})();
    }
  };
  std::vector<std::string> apns = {"internet.kvr", "second.kvr"};
  EXPECT_EQ(Run(apns), 0u);
  EXPECT_EQ(elevation.calls, std::vector<std::string>{SetInitArguments({kModem, "internet.kvr"})});
  EXPECT_EQ(proxy_->Lookups("RasDialA"), 0);
  EXPECT_TRUE(LoggedApns().empty());
  EXPECT_EQ(progress.ErrorText(), Text(TextId::ModemApnStepUnfinished));
  EXPECT_EQ(UserInit(), kOldInit);
}

// The phone book refuses the save (a standard user from Vista on).
class RefusedEntry : public RefusedWrite {
 protected:
  void DenyEntryWrites() {
    sim::Scenario s = store_.ReadScenario();
    s.entryWriteDenied = true;
    store_.SetScenario(s);
  }
};

TEST_F(RefusedEntry, AnEntryThatExistsIsUsedAsItIsAndTheUserIsTold) {
  Prepare(Generation::kVista);
  DenyEntryWrites();
  std::vector<std::string> apns = {"internet.kvr"};
  EXPECT_NE(Run(apns), 0u);
  EXPECT_EQ(Asked(), std::vector<std::string>{Text(TextId::EntryNeedsAdminKept)});
  EXPECT_EQ(entryAfter, kEntry);
}

TEST_F(RefusedEntry, WithoutAnEntryTheDialFailsWithTheReason) {
  Prepare(Generation::kVista);
  store_.Update([](const sim::Scenario&, sim::State& state) { state.entries.clear(); });
  DenyEntryWrites();
  std::vector<std::string> apns = {"internet.kvr"};
  EXPECT_EQ(Run(apns), 0u);
  EXPECT_EQ(Asked(), std::vector<std::string>{Text(TextId::EntryNeedsAdminNone)});
  EXPECT_TRUE(entryAfter.empty());
  EXPECT_EQ(proxy_->Lookups("RasDialA"), 0);
  EXPECT_EQ(progress.ErrorText(), Text(TextId::EntryNeedsAdminNone));
}

}  // namespace
}  // namespace dw::connection::test
