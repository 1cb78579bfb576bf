// OpenConnection under Wine with a window host of the test's own as the main
// window: a dial that succeeds hands the connection over before the APN
// refresh reaches the update server and shows no report; failed dials turn
// the real progress dialog into its error report; Cancel and closing the
// program during the wait hang the dial up.
#include <gtest/gtest.h>

#include <optional>

#include "dial_support_win.h"
#include "dialogs_support_win.h"
#include "ui/open_connection_win.h"
#include "settings/settings.h"
#include "ras/error_text.h"
#include "platform/message_numbers.h"
#include "unit/update/loopback_server.h"

namespace dw {
namespace {

using test::DialWineTest;
using ui::test::ChildInfo;

// The main window's part: it records kMsgConnected and kMsgTrafficBaseline, and on WM_CLOSE during
// a dial cancels it and closes only after OpenConnection has returned.
struct Host {
  HWND hwnd = nullptr;
  std::vector<std::pair<UINT, WPARAM>> received;
  std::function<void()> onConnected;
  bool closePending = false;
  bool destroyed = false;
};
Host* g_host = nullptr;

LRESULT CALLBACK HostProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (g_host && (m == kMsgConnected || m == kMsgTrafficBaseline)) {
    g_host->received.push_back({m, wp});
    if (m == kMsgConnected && g_host->onConnected) g_host->onConnected();
    return 0;
  }
  if (g_host && m == WM_CLOSE) {
    if (connection::OpenConnectionRunning()) {
      connection::CancelOpenConnection();
      g_host->closePending = true;
      return 0;
    }
    DestroyWindow(w);
    return 0;
  }
  if (g_host && m == WM_DESTROY) g_host->destroyed = true;
  return DefWindowProcW(w, m, wp, lp);
}

struct Report {
  bool shown = false;
  bool barVisible = true;
  std::string caption;
  bool detailsButton = false;
  std::string details;
  std::string closeCaption;
};

class OpenConnectionWine : public DialWineTest {
 protected:
  void SetUp() override {
    DialWineTest::SetUp();
    // Away from the screen's edges: the dialog centres over it, and the
    // screenshots cut it out whole.
    window_.emplace(L"DwOpenConnectionHost", HostProc, 200, 150);
    host_.hwnd = window_->hwnd();
    g_host = &host_;
    settings_.ProgramVersion = "1.0";
    settings_.ApnVersion = "0";
  }
  void TearDown() override {
    ui::test::PendingAction() = nullptr;
    g_host = nullptr;
    window_.reset();
    DialWineTest::TearDown();
  }

  // With a server: a client for it, kept alive by whoever holds it.
  connection::OpenConnectionContext Context(std::optional<UpdateServer> server = std::nullopt,
                                            UpdateLimits limits = {}) {
    return ConnectContext(host_.hwnd, server ? &*server : nullptr, limits);
  }

  // As the main window connects: its values in, the results kept.
  ras::Handle Open(std::string& entry, std::vector<std::string>& apns,
                   const connection::OpenConnectionContext& context) {
    connection::ConnectRequest request;
    request.modem = modem_;
    request.entryName = entry;
    request.apnList = apns;
    request.refreshApns = !apnListUpdated_;
    request.versionKey = BuildVersionKey(settings_);
    const connection::ConnectResult result = connection::OpenConnection(request, context);
    entry = result.entryName;
    apns = result.apnList;
    if (result.apnsRefreshed) {
      apnListUpdated_ = true;
      StoreApnVersion(settings_, result.version);
    }
    return result.handle;
  }

  // Reads the report as a user sees it, opens the details when offered,
  // and closes it; from a timer inside the modal loop.
  void ReadReportWhenShown(const char* screenshot) {
    ui::test::RunInsideLoop([this, screenshot] { ReadReport(screenshot); }, 100);
  }
  void ReadReport(const char* screenshot) {
    HWND form = ui::test::FindForm(ui::ProgressDialog::kClassName);
    bool dialling = true;
    if (form && IsWindowVisible(form)) {
      for (const ChildInfo& c : ui::test::Children(form)) {
        if (lstrcmpiW(c.kind.c_str(), L"msctls_progress32") == 0) dialling = c.visible;
      }
    }
    if (dialling) {
      ReadReportWhenShown(screenshot);
      return;
    }
    report_.shown = true;
    HWND close = nullptr, details = nullptr;
    for (const ChildInfo& c : ui::test::Children(form)) {
      if (lstrcmpiW(c.kind.c_str(), L"msctls_progress32") == 0) report_.barVisible = c.visible;
      if (lstrcmpiW(c.kind.c_str(), L"Static") == 0 && c.visible && c.width() > 100) report_.caption = c.text;
      if (lstrcmpiW(c.kind.c_str(), L"Button") == 0 && c.text == Text(TextId::ProgressDetailsOpen)) {
        report_.detailsButton = c.visible;
        details = c.hwnd;
      }
      if (lstrcmpiW(c.kind.c_str(), L"Button") == 0 && c.text == Text(TextId::ProgressClose)) {
        report_.closeCaption = c.text;
        close = c.hwnd;
      }
    }
    if (report_.detailsButton && details) {
      SendMessageW(details, BM_CLICK, 0, 0);
      for (const ChildInfo& c : ui::test::Children(form)) {
        if (lstrcmpiW(c.kind.c_str(), L"Edit") == 0 && c.visible) report_.details = c.text;
      }
    }
    ui::test::HoldForScreenshot(screenshot, form);
    if (close) SendMessageW(close, BM_CLICK, 0, 0);
  }

  std::optional<test::HostWindow> window_;
  Host host_;
  bool apnListUpdated_ = false;
  Settings settings_;
  Report report_;
};

TEST_F(OpenConnectionWine, ASuccessHandsTheConnectionOverBeforeTheApnRefreshAndShowsNoReport) {
  test::LoopbackServer server({test::Answer(test::Ok("VERSION=1.0.7")),
                               test::Answer(test::Ok("APN list 7\r\ninternet.new\r\ninternet.kvr\r\n"))});
  UseSimulator("apn internet.kvr connect\nnumber *99***1# connect\n");
  SaveEntry("*99***1#");
  const UpdateServer local{"127.0.0.1", server.Port()};
  std::size_t requestsAtConnected = 99;
  host_.onConnected = [&] { requestsAtConnected = server.Requests().size(); };
  std::vector<std::string> apns = {"internet.kvr"};
  std::string entry = "Korvana";
  ReadReportWhenShown("success");

  const ras::Handle conn = Open(entry, apns, Context(local));
  ASSERT_NE(conn, 0u);
  EXPECT_EQ(State(conn), 8192u);
  EXPECT_FALSE(report_.shown) << "no message after a success";
  ASSERT_FALSE(host_.received.empty());
  EXPECT_EQ(host_.received.back(), (std::pair<UINT, WPARAM>{kMsgConnected, static_cast<WPARAM>(conn)}));
  EXPECT_EQ(host_.received.front().first, static_cast<UINT>(kMsgTrafficBaseline));
  EXPECT_EQ(requestsAtConnected, 0u) << "kMsgConnected comes before the refresh asks the server";
  EXPECT_EQ(server.Requests().size(), 2u);
  EXPECT_TRUE(apnListUpdated_);
  EXPECT_EQ(apns, (std::vector<std::string>{"internet.new", "internet.kvr"}));
  EXPECT_EQ(settings_.ApnVersion, "7");
  EXPECT_EQ(ui::test::FindForm(ui::ProgressDialog::kClassName), nullptr) << "the dialog is freed";

  // Once per run: the next connection does not ask again.
  ras::CallBinding().HangUp(conn);
  ReadReportWhenShown("success-again");
  EXPECT_NE(Open(entry, apns, Context(local)), 0u);
  EXPECT_EQ(server.Requests().size(), 2u);
}

// The dialog keeps answering while the server says nothing, and Cancel
// leaves the list and its version as they were, for the next connect.
TEST_F(OpenConnectionWine, AnUpdateServerThatNeverAnswersLeavesTheDialogAliveAndCancelAbandonsIt) {
  test::LoopbackServer server({test::ServerScript{{}, true}});
  UseSimulator("apn internet.kvr connect\nnumber *99***1# connect\n");
  SaveEntry("*99***1#");
  const UpdateServer local{"127.0.0.1", server.Port()};
  const std::vector<std::string> before = {"internet.kvr", "internet.ltkvr"};
  std::vector<std::string> apns = before;
  std::string entry = "Korvana";
  int served = 0;
  bool updateShown = false, pressed = false;
  std::function<void()> watch;
  watch = [&] {
    HWND form = ui::test::FindForm(ui::ProgressDialog::kClassName);
    if (form && server.Requests().size() == 1) {
      ++served;
      for (const ChildInfo& c : ui::test::Children(form)) {
        if (c.visible && c.text == Text(TextId::ConnApnUpdate)) updateShown = true;
      }
      if (served == 10) {
        ui::test::HoldForScreenshot("update-waiting", form);
        for (const ChildInfo& c : ui::test::Children(form)) {
          if (c.text == Text(TextId::ButtonCancel)) {
            SendMessageW(c.hwnd, BM_CLICK, 0, 0);
            pressed = true;
          }
        }
        return;
      }
    }
    ui::test::RunInsideLoop(watch, 50);
  };
  ui::test::RunInsideLoop(watch, 50);
  const DWORD start = GetTickCount();
  const ras::Handle conn = Open(entry, apns, Context(local));
  EXPECT_NE(conn, 0u);
  EXPECT_GE(served, 10) << "the window's thread served its timers while the server was silent";
  EXPECT_TRUE(updateShown);
  EXPECT_TRUE(pressed);
  EXPECT_LT(GetTickCount() - start, 12000u) << "Cancel ended the wait, not the client's limits";
  EXPECT_FALSE(apnListUpdated_);
  EXPECT_EQ(apns, before);
  EXPECT_EQ(settings_.ApnVersion, "0");
  EXPECT_EQ(ui::test::FindForm(ui::ProgressDialog::kClassName), nullptr);
  if (conn != 0) ras::CallBinding().HangUp(conn);
}

TEST_F(OpenConnectionWine, Error734IsReportedWithoutDetails) {
  UseSimulator("apn * error 734\nnumber * connect\n");
  SaveEntry("*99***1#");
  std::vector<std::string> apns = {"internet.kvr"};
  std::string entry = "Korvana";
  ReadReportWhenShown("error-734");
  EXPECT_EQ(Open(entry, apns, Context()), 0u);
  ASSERT_TRUE(report_.shown);
  EXPECT_FALSE(report_.barVisible);
  EXPECT_EQ(report_.caption, Text(TextId::ConnServiceUnavailable));
  EXPECT_FALSE(report_.detailsButton) << "734 never offers the details";
  EXPECT_EQ(report_.closeCaption, Text(TextId::ProgressClose));
  EXPECT_TRUE(Connections().empty());
  EXPECT_TRUE(host_.received.size() == 1 && host_.received[0].first == kMsgTrafficBaseline);
}

TEST_F(OpenConnectionWine, Error691ShowsItsCodeAndTheDescriptionBehindDetails) {
  UseSimulator("number * error 691\n");
  SaveEntry("*99***1#");
  std::vector<std::string> apns = {"internet.kvr"};
  std::string entry = "Korvana";
  ReadReportWhenShown("error-691");
  EXPECT_EQ(Open(entry, apns, Context()), 0u);
  ASSERT_TRUE(report_.shown);
  EXPECT_EQ(report_.caption, Text(TextId::ConnErrorCode) + "691");
  EXPECT_TRUE(report_.detailsButton);
  EXPECT_NE(report_.details.find(ras::GetRasErrorDescr(691)), std::string::npos) << report_.details;
  EXPECT_FALSE(report_.details.empty());
}

TEST_F(OpenConnectionWine, CancelDuringTheWaitHangsUpAndReportsWithoutCode) {
  UseSimulator("number * silent\n");
  SaveEntry("*99***1#");
  std::vector<std::string> apns = {"internet.kvr", "internet.ltkvr"};
  std::string entry = "Korvana";
  // Press Cancel once the dial is under way.
  std::function<void()> pressCancel;
  pressCancel = [&] {
    HWND form = ui::test::FindForm(ui::ProgressDialog::kClassName);
    bool pressed = false;
    if (form && !Connections().empty()) {
      ui::test::HoldForScreenshot("dialling", form);
      for (const ChildInfo& c : ui::test::Children(form)) {
        if (c.text == Text(TextId::ButtonCancel)) {
          SendMessageW(c.hwnd, BM_CLICK, 0, 0);
          pressed = true;
        }
      }
    }
    if (pressed) {
      ReadReportWhenShown("cancelled");
    } else {
      ui::test::RunInsideLoop(pressCancel, 100);
    }
  };
  ui::test::RunInsideLoop(pressCancel, 100);
  const DWORD start = GetTickCount();
  EXPECT_EQ(Open(entry, apns, Context()), 0u);
  EXPECT_LT(GetTickCount() - start, 20000u);
  EXPECT_TRUE(report_.shown);
  EXPECT_EQ(report_.caption, Text(TextId::ConnError));
  EXPECT_TRUE(Connections().empty()) << "the simulator shows no connection";
  EXPECT_EQ(modem::ModemInitStore(*registry_, platformId_).Read(modem_), "ATZ");
}

TEST_F(OpenConnectionWine, ClosingTheProgramDuringADialCancelsItAndClosesAfterTheCleanUp) {
  UseSimulator("number * silent\n");
  SaveEntry("*99***1#");
  std::vector<std::string> apns = {"internet.kvr"};
  std::string entry = "Korvana";
  std::function<void()> closeHost;
  closeHost = [&] {
    if (Connections().empty()) {
      ui::test::RunInsideLoop(closeHost, 100);
      return;
    }
    PostMessageW(host_.hwnd, WM_CLOSE, 0, 0);
  };
  ui::test::RunInsideLoop(closeHost, 100);
  EXPECT_EQ(Open(entry, apns, Context()), 0u);
  EXPECT_TRUE(host_.closePending);
  EXPECT_FALSE(host_.destroyed) << "the window stayed while the dial cleaned up";
  EXPECT_TRUE(Connections().empty());
  EXPECT_EQ(modem::ModemInitStore(*registry_, platformId_).Read(modem_), "ATZ");
  EXPECT_EQ(ui::test::FindForm(ui::ProgressDialog::kClassName), nullptr)
      << "no report when closing";
  // Now the close goes through.
  EXPECT_FALSE(connection::OpenConnectionRunning());
  SendMessageW(host_.hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(host_.destroyed);
}

}  // namespace
}  // namespace dw
