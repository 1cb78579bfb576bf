// The connect session against the in-process simulator and a local update
// server, the test's thread as the user-interface thread: what comes back as
// values, the order the observer hears things in, the report it is given,
// and a cancel at every step, including an update server that stalls.
// Native only: the Windows run of the same paths is the Wine suite's
// (OpenConnectionWine) and the journeys, through the real Winsock.
#ifndef _WIN32
#include "connection/connect_session.h"
#include "connection/support_memory.h"
#include "ras/advice.h"
#include "ras/error_text.h"
#include "report/history.h"

#include "unit/connection/dial_fixture.h"
#include "unit/update/loopback_server.h"

namespace dw::connection::test {
namespace {

using namespace std::chrono_literals;
using dw::test::Answer;
using dw::test::LoopbackServer;
using dw::test::Ok;
using dw::test::ServerScript;
using ras::Generation;
using sim::Outcome;

class RecordingObserver final : public ConnectObserver {
 public:
  explicit RecordingObserver(TestWindowMessages& messages) : messages_(messages) {}

  bool Serve(const Event& event, std::chrono::milliseconds limit) override {
    ++serves;
    messages_.WaitServing(event, std::min(limit, std::chrono::milliseconds(5)));
    if (onServe) onServe();
    return !ending;
  }
  void Connected(ras::Handle conn) override {
    heard.push_back("connected");
    connected = conn;
    if (onConnected) onConnected();
  }
  void Updating() override { heard.push_back("updating"); }
  void Failed(const ErrorReport& report) override {
    heard.push_back("failed");
    reports.push_back(report);
  }

  int serves = 0;
  bool ending = false;  // Serve then says the program is ending
  ras::Handle connected = 0;
  std::vector<std::string> heard;
  std::vector<ErrorReport> reports;
  std::function<void()> onServe;
  std::function<void()> onConnected;

 private:
  TestWindowMessages& messages_;
};

class Session : public DialTest {
 protected:
  ConnectSetup Setup(const LoopbackServer* server) {
    ConnectSetup setup;
    setup.dial = Deps();
    if (server) {
      setup.updateClient = [port = server->Port()] {
        return std::make_unique<UpdateClient>(UpdateServer{"127.0.0.1", port}, MakeTcpConnection,
                                              std::shared_ptr<const Clock>(MakeSystemClock()),
                                              UpdateLimits{10000ms, 30000ms, 64 * 1024});
      };
    }
    return setup;
  }
  static ConnectRequest Request(std::vector<std::string> apns) {
    ConnectRequest request;
    request.modem = kModem;
    request.entryName = kEntry;
    request.apnList = std::move(apns);
    request.refreshApns = true;
    request.versionKey = "1.0.0";
    return request;
  }
  ConnectResult Run(ConnectSession& session, const ConnectRequest& request) {
    progress.MirrorBar(0, 600, 10);  // as the shell shows the dialog
    return session.Run(request, observer);
  }

  RecordingObserver observer{messages_};
};

TEST_F(Session, ASuccessGivesBackTheReorderedListAndTheConnectionBeforeTheServerIsAsked) {
  Prepare(Generation::kWinXp);
  LoopbackServer server({Answer(Ok("VERSION=1.0.7")), Answer(Ok("list 7\r\ninternet.new\r\n"))});
  std::size_t askedAtConnected = 99;
  observer.onConnected = [&] { askedAtConnected = server.Requests().size(); };
  ConnectSession session(Setup(&server));
  const ConnectRequest request = Request({"bad.apn", "internet.kvr"});
  const ConnectResult r = Run(session, request);
  ASSERT_NE(r.handle, 0u) << logFiles->Text();
  EXPECT_EQ(observer.connected, r.handle);
  EXPECT_EQ(askedAtConnected, 0u);
  EXPECT_EQ(observer.heard, (std::vector<std::string>{"connected", "updating"}));
  EXPECT_EQ(server.Requests().size(), 2u);
  EXPECT_TRUE(r.apnsRefreshed);
  EXPECT_EQ(r.version, "1.0.7");
  EXPECT_EQ(r.apnList, std::vector<std::string>{"internet.new"});
  EXPECT_EQ(r.entryName, kEntry);
  EXPECT_EQ(request.apnList, (std::vector<std::string>{"bad.apn", "internet.kvr"}))
      << "the request is the caller's and stays so";
}

TEST_F(Session, WithoutARefreshTheListComesBackAsTheDialLeftIt) {
  Prepare(Generation::kWin98);
  ConnectSession session(Setup(nullptr));
  const ConnectResult r = Run(session, Request({"bad.apn", "internet.kvr"}));
  ASSERT_NE(r.handle, 0u);
  EXPECT_FALSE(r.apnsRefreshed);
  EXPECT_EQ(r.apnList, (std::vector<std::string>{"internet.kvr", "bad.apn"}));
  EXPECT_EQ(observer.heard, std::vector<std::string>{"connected"});
}

TEST_F(Session, AFailedDialGetsTheReportForItsLastCode) {
  Prepare(Generation::kWin2000, WithNumbers({{"*", Outcome::Error(734)}}));
  {
    ConnectSession session(Setup(nullptr));
    const ConnectResult r = Run(session, Request({"internet.kvr"}));
    EXPECT_EQ(r.handle, 0u);
    ASSERT_EQ(observer.reports.size(), 1u);
    EXPECT_EQ(observer.reports[0].caption, Text(TextId::ConnServiceUnavailable));
    EXPECT_TRUE(progress.ErrorText().empty()) << "734 offers no details";
  }
  Prepare(Generation::kWin2000, WithNumbers({{"*", Outcome::Error(691)}}));
  ConnectSession session(Setup(nullptr));
  const ConnectResult r = Run(session, Request({"internet.kvr"}));
  EXPECT_EQ(r.handle, 0u);
  ASSERT_EQ(observer.reports.size(), 2u);
  EXPECT_EQ(observer.reports[1].caption, Text(TextId::ConnErrorCode) + "691");
  EXPECT_EQ(progress.ErrorText(), ras::ErrorDetailsWithAdvice(ras::GetRasErrorDescr(691), 691))
      << "the details: the system's text, the advice under it";
  EXPECT_NE(progress.ErrorText().find(ras::Advice(691)), std::string::npos);
}

// The support report's memory: every dial of the session with its APN,
// number and code, and the update server's last answer, in the registry the
// report reads; a silent modem never reads as connected there.
TEST_F(Session, EachDialAndTheServersAnswerAreRememberedForSupport) {
  Prepare(Generation::kWinXp,
          WithNumbers({{"*99***1#", Outcome::Error(691)}, {"*99#", Outcome::Connect()}}));
  {
    LoopbackServer server({Answer(Ok("VERSION=1.0.7")), Answer(Ok("list 7\r\ninternet.new\r\n"))});
    ConnectSetup setup = Setup(&server);
    setup.supportMemory = &registry_;
    ConnectSession session(std::move(setup));
    ASSERT_NE(Run(session, Request({" internet.kvr "})).handle, 0u) << logFiles->Text();
  }
  report::AttemptHistory h = report::LoadAttempts(registry_);
  ASSERT_EQ(h.attempts.size(), 2u);
  EXPECT_EQ(h.attempts[0].apn, "internet.kvr");
  EXPECT_EQ(h.attempts[0].number, "*99***1#");
  EXPECT_EQ(h.attempts[0].code, 691u);
  EXPECT_EQ(h.attempts[0].errorText, ras::GetRasErrorDescr(691));
  EXPECT_FALSE(h.attempts[0].errorText.empty());
  EXPECT_EQ(h.attempts[0].time.year, 2026);
  EXPECT_EQ(h.attempts[1].number, "*99#");
  EXPECT_EQ(h.attempts[1].code, 0u);
  EXPECT_TRUE(h.attempts[1].errorText.empty());
  report::StoredUpdateAnswer answer = report::LoadUpdateAnswer(registry_);
  ASSERT_TRUE(answer.answer.has_value());
  EXPECT_EQ(answer.answer->result, Text(TextId::UpdateApnListTaken) + "1.0.7");

  // A server that answers nonsense: its reason replaces the last answer.
  Prepare(Generation::kWin98);
  {
    LoopbackServer server({Answer(Ok("nonsense"))});
    ConnectSetup setup = Setup(&server);
    setup.supportMemory = &registry_;
    ConnectSession session(std::move(setup));
    ASSERT_NE(Run(session, Request({"internet.kvr"})).handle, 0u);
  }
  answer = report::LoadUpdateAnswer(registry_);
  ASSERT_TRUE(answer.answer.has_value());
  EXPECT_NE(answer.answer->result.find(Text(TextId::UpdateBadFormat)), std::string::npos)
      << answer.answer->result;
  EXPECT_EQ(report::LoadAttempts(registry_).attempts.size(), 3u);

  // A silent modem: no code from RAS, kept as no answer with the status line.
  Prepare(Generation::kWinXp, WithNumbers({{"*", Outcome::Silent()}}));
  {
    ConnectSetup setup = Setup(nullptr);
    setup.supportMemory = &registry_;
    ConnectSession session(std::move(setup));
    EXPECT_EQ(Run(session, Request({"internet.kvr"})).handle, 0u);
  }
  h = report::LoadAttempts(registry_);
  ASSERT_EQ(h.attempts.size(), 4u);
  EXPECT_EQ(h.attempts.back().code, 678u);
  EXPECT_EQ(h.attempts.back().errorText, Text(TextId::DialModemSilent));
}

// Each way to stop, at each step: the session ends at once, shows no report
// when the program stops it, and keeps nothing of an update it left behind.
TEST_F(Session, ACancelAtEveryStepEndsTheSessionAndKeepsNothingHalfDone) {
  enum class Step { kDial, kConnected, kUpdate };
  enum class Who { kProgram, kUser, kEnding };
  for (const Step step : {Step::kDial, Step::kConnected, Step::kUpdate}) {
    for (const Who who : {Who::kProgram, Who::kUser, Who::kEnding}) {
      SCOPED_TRACE(static_cast<int>(step) * 10 + static_cast<int>(who));
      Prepare(Generation::kWinMe,
              step == Step::kDial ? WithNumbers({{"*", Outcome::Silent()}})
                                  : Quick(sim::DefaultScenario()));
      // A server that takes the request and never answers.
      LoopbackServer server({ServerScript{{}, true}});
      RecordingObserver watcher(messages_);
      ConnectSession session(Setup(&server));
      const auto stop = [&] {
        if (who == Who::kProgram) session.Cancel();
        if (who == Who::kUser) progress.SetCancelled(true);
        if (who == Who::kEnding) watcher.ending = true;
      };
      bool stopped = false;
      watcher.onServe = [&] {
        if (stopped) return;
        if ((step == Step::kDial && !DialedPhones().empty()) ||
            (step == Step::kUpdate && server.Requests().size() == 1)) {
          stopped = true;
          stop();
        }
      };
      watcher.onConnected = [&] {
        if (step == Step::kConnected) {
          stopped = true;
          stop();
        }
      };
      ConnectRequest request = Request({"internet.kvr", "internet.ltkvr"});
      request.notifyFirstStart = true;
      progress.MirrorBar(0, 600, 10);
      const std::size_t firstStartLines = logFiles->Messages("FIRST_START").size();
      const auto start = std::chrono::steady_clock::now();
      const ConnectResult r = session.Run(request, watcher);
      EXPECT_LT(std::chrono::steady_clock::now() - start, 8s) << "not the client's limits";
      ASSERT_TRUE(stopped);
      EXPECT_FALSE(r.apnsRefreshed);
      EXPECT_EQ(r.apnList, request.apnList) << "nothing of the update kept";
      if (step == Step::kDial) {
        EXPECT_EQ(r.handle, 0u);
        EXPECT_TRUE(Live().empty()) << "the dial was hung up";
        EXPECT_EQ(server.Requests().size(), 0u);
        // The user's cancel leaves its report; a program that stops does not.
        EXPECT_EQ(watcher.reports.size(), who == Who::kUser ? 1u : 0u);
      } else {
        EXPECT_NE(r.handle, 0u) << "the connection stays";
        EXPECT_TRUE(watcher.reports.empty());
        // Once tried it is not sent again; a program stopped before that
        // never tries it.
        const bool neverTried = step == Step::kConnected && who == Who::kProgram;
        EXPECT_EQ(r.firstStartNotified, !neverTried);
        const std::vector<std::string> lines = logFiles->Messages("FIRST_START");
        ASSERT_EQ(lines.size(), firstStartLines + (neverTried ? 0 : 1)) << logFiles->Text();
        if (neverTried) {
          EXPECT_EQ(server.Requests().size(), 0u);
        } else {
          EXPECT_EQ(lines.back(), "abandoned");
          EXPECT_NE(logFiles->Text().find("FIRST_START      code: 888"), std::string::npos);
        }
        ras::CallBinding().HangUp(r.handle);
      }
      progress.SetCancelled(false);
    }
  }
}

}  // namespace
}  // namespace dw::connection::test

#endif  // _WIN32
