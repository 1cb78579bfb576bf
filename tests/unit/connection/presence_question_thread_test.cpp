// The presence question asked by the dial thread: it crosses to the
// user-interface thread by a synchronous send, as the Windows adapter makes
// it cross, while that thread waits for the dial serving its messages. The
// question's text goes by pointer and the answer comes back by the send.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/user_questions.h"
#include "unit/connection/dial_fixture.h"
#include "platform/threads.h"

namespace dw::connection::test {
namespace {

// UserQuestions the way Win32UserQuestions works: asked on the
// user-interface thread it answers there; from any other thread it sends the
// question to a window of that thread and waits for the answer.
class MarshalledQuestions final : public UserQuestions {
 public:
  explicit MarshalledQuestions(TestWindowMessages& messages) : messages_(messages) {
    desk_ = messages_.AddWindow([this](std::uint32_t message, std::uintptr_t, std::intptr_t l) {
      if (message != kAsk) return std::intptr_t{0};
      return Answer(*reinterpret_cast<const std::string*>(l)) ? kYes : kNo;
    });
  }

  bool AskErrorYesNo(std::string_view text) override {
    if (dw::CurrentThreadId() == messages_.UiThread()) {
      return Answer(std::string(text));
    }
    const std::string question(text);
    asker = dw::CurrentThreadId();  // read on the UI thread after the dial
    return messages_.Send(desk_, kAsk, 0, reinterpret_cast<std::intptr_t>(&question)) == kYes;
  }
  bool AskYesNo(std::string_view text) override { return AskErrorYesNo(text); }
  void TellError(std::string_view text) override { AskErrorYesNo(text); }

  // UI thread only.
  std::deque<bool> answers;
  std::vector<std::string> asked;
  std::vector<dw::ThreadId> answeredOn;
  dw::ThreadId asker;

 private:
  static constexpr std::uint32_t kAsk = 0x8051;
  static constexpr std::intptr_t kYes = 1;
  static constexpr std::intptr_t kNo = 2;

  bool Answer(const std::string& text) {
    asked.push_back(text);
    answeredOn.push_back(dw::CurrentThreadId());
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }

  TestWindowMessages& messages_;
  WindowHandle desk_ = 0;
};

class PresenceQuestion : public DialTest {
 protected:
  // The modem is already connected through another entry, and its UserInit
  // now names another APN.
  ras::Handle ConnectedElsewhere(ras::Generation g) {
    Prepare(g);
    ConfigurePresence({&registry_, PlatformId(), &marshalled});
    EXPECT_EQ(SaveEntry("Theirs", kModem, "*99***1#"), 0u);
    ras::Handle conn = 0;
    sim::test::Notes::Get().Clear();
    EXPECT_EQ(Dial("Theirs", conn), 0u);
    CompleteDial(10);
    EXPECT_EQ(ConnectStatus(conn).state, static_cast<ras::Dword>(ras::kConnected));
    SetUserInit(kModem, "AT+CGDCONT=1,\"IP\",\"wap.kvr\"");
    return conn;
  }

  MarshalledQuestions marshalled{messages_};
};

TEST_F(PresenceQuestion, NoFromTheUserInterfaceThreadAdoptsTheConnection) {
  for (ras::Generation g : {ras::Generation::kWinXp, ras::Generation::kWin98}) {
    SCOPED_TRACE(static_cast<int>(g));
    marshalled.asked.clear();
    marshalled.answeredOn.clear();
    const ras::Handle theirs = ConnectedElsewhere(g);
    marshalled.answers = {false};
    std::vector<std::string> apns = {"internet.kvr"};
    EXPECT_EQ(RunDial(apns), theirs);
    EXPECT_EQ(entryAfter, "Theirs");
    ASSERT_EQ(marshalled.asked.size(), 1u);
    EXPECT_EQ(marshalled.asked[0], Text(TextId::OtherApnConnected));
    EXPECT_EQ(marshalled.answeredOn[0], messages_.UiThread());
    EXPECT_NE(marshalled.asker, messages_.UiThread());
    EXPECT_EQ(Live().size(), 1u);
  }
}

TEST_F(PresenceQuestion, YesHangsTheOtherUpAndDialsOurs) {
  const ras::Handle theirs = ConnectedElsewhere(ras::Generation::kWin2000);
  marshalled.answers = {true};
  std::vector<std::string> apns = {"internet.kvr"};
  const ras::Handle ours = RunDial(apns);
  EXPECT_NE(ours, 0u);
  EXPECT_NE(ours, theirs);
  EXPECT_EQ(ConnectStatus(theirs).result, ras::kErrorInvalidHandle);
  EXPECT_EQ(UserInit(), kKvrInit);
  ASSERT_EQ(marshalled.answeredOn.size(), 1u);
  EXPECT_EQ(marshalled.answeredOn[0], messages_.UiThread());
  ASSERT_EQ(Live().size(), 1u);
  EXPECT_EQ(Live()[0].connection.handle, ours);
}

}  // namespace
}  // namespace dw::connection::test
