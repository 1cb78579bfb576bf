// The progress dialog as a real window: its controls read back from the
// system in each layout, the dial thread's step messages sent from another
// thread, Cancel and the title bar while dialling, and the modal report.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>

#include "dialogs_support_win.h"
#include "text/texts.h"
#include "ui/dialogs/progress_win.h"
#include "platform/message_numbers.h"
#include "platform/threads.h"

namespace dw::ui {
namespace {

RECT Place(const Control& c) {
  const Bounds b = c.GetBounds();
  return {b.x, b.y, b.x + b.width, b.y + b.height};
}

int OuterHeight(HWND w) {
  const RECT r = test::WindowBounds(w);
  return r.bottom - r.top;
}

void Serve() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Sends `message` from a thread of its own, as the dial thread does, while
// this thread serves its messages; returns once it has been handled.
void SendFromWorker(HWND window, UINT message, WPARAM wparam) {
  std::atomic<bool> done{false};
  dw::Thread worker([&] {
    SendMessageW(window, message, wparam, 0);
    done = true;
  });
  const DWORD start = GetTickCount();
  while (!done && GetTickCount() - start < 10000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT | QS_SENDMESSAGE);
    Serve();
  }
  worker.join();
}

class ProgressDialog : public ::testing::Test {
 protected:
  dw::Mutex lock;
  ui::ProgressDialog form{nullptr, lock};
};

TEST_F(ProgressDialog, DiallingLayoutIsTheDesignState) {
  ASSERT_NE(form.hwnd(), nullptr);
  EXPECT_EQ(test::WindowText(form.hwnd()), Text(TextId::ProgressTitle));
  EXPECT_NE(GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(OuterHeight(form.hwnd()), 137);
  RECT client{};
  GetClientRect(form.hwnd(), &client);
  EXPECT_EQ(client.right, 334);
  EXPECT_GE(client.bottom, 72 + 25) << "the buttons fit";

  struct Want {
    const char* name;
    Control control;
    RECT r;
    bool visible;
  } wants[] = {
      {"Image1", form.icon, {8, 23, 49, 64}, true},
      {"lblProgress", form.statusLine, {56, 20, 321, 40}, true},
      {"btnClose", form.closeButton, {248, 72, 321, 97}, true},
      {"bar", form.bar, {52, 44, 321, 61}, true},
      {"btnDetail", form.detailsButton, {4, 72, 79, 97}, false},
      {"mDetails", form.detailsPane, {8, 104, 322, 104}, false},
  };
  for (const Want& w : wants) {
    const RECT r = Place(w.control);
    EXPECT_TRUE(EqualRect(&r, &w.r)) << w.name << " at " << r.left << "," << r.top << "-" << r.right
                                     << "," << r.bottom;
    EXPECT_EQ(w.control.Visible(), w.visible) << w.name;
  }
  EXPECT_EQ(form.statusLine.Text(), "...");
  EXPECT_EQ(form.closeButton.Text(), Text(TextId::ButtonCancel));
  EXPECT_EQ(form.detailsButton.Text(), Text(TextId::ProgressDetailsOpen));
  EXPECT_EQ(SendMessageW(form.bar.hwnd(), PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessageW(form.bar.hwnd(), PBM_GETRANGE, FALSE, 0), 600);
  EXPECT_EQ(form.bar.Position(), 0);
  EXPECT_EQ(form.Shared().Window(), reinterpret_cast<WindowHandle>(form.hwnd()));
}

TEST_F(ProgressDialog, StepMessagesFromAnotherThreadMoveTheBarAndShowTheStatus) {
  std::string status = "one";
  form.SetStatusSource([&] { return status; });
  form.ShowDialling("start");
  EXPECT_EQ(form.statusLine.Text(), "start");
  EXPECT_EQ(form.bar.Position(), 0);

  SendFromWorker(form.hwnd(), kMsgProgressFirstStep, 0);
  EXPECT_EQ(form.bar.Position(), 10);
  EXPECT_EQ(form.statusLine.Text(), "one");
  status = "two";
  SendFromWorker(form.hwnd(), kMsgProgressStep, 1);
  EXPECT_EQ(form.bar.Position(), 20);
  EXPECT_EQ(form.Shared().BarPosition(), 20) << "the dial thread's copy follows the control";
  EXPECT_EQ(form.statusLine.Text(), "two");
  SendFromWorker(form.hwnd(), kMsgProgressLastStep, 0);
  EXPECT_EQ(form.bar.Position(), 590);
  EXPECT_EQ(form.Shared().BarPosition(), 590);
  EXPECT_EQ(form.Shared().BarMax(), 600);
  EXPECT_EQ(form.Shared().BarStep(), 10);

  form.SetStatusSource(nullptr);
  SendFromWorker(form.hwnd(), kMsgProgressStep, 1);
  EXPECT_EQ(form.bar.Position(), 600);
  EXPECT_EQ(form.statusLine.Text(), "two") << "no status source leaves the line";
}

TEST_F(ProgressDialog, CancelAndTitleBarCloseWhileDiallingCancelAndKeepItOpen) {
  form.ShowDialling("dialling");
  ASSERT_TRUE(form.Visible());
  form.closeButton.Click();
  EXPECT_EQ(form.statusLine.Text(), Text(TextId::ProgressUserCancelled));
  EXPECT_TRUE(form.Shared().Cancelled());
  EXPECT_TRUE(form.Visible());

  form.ResetForDialling();
  EXPECT_FALSE(form.Shared().Cancelled());
  form.statusLine.SetText("dialling");
  SendMessageW(form.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(form.Visible()) << "the close is refused while dialling";
  EXPECT_TRUE(form.Shared().Cancelled());
  EXPECT_EQ(form.statusLine.Text(), Text(TextId::ProgressUserCancelled));
}

TEST_F(ProgressDialog, ShowingClearsTheErrorCode) {
  form.Shared().SetErrorCode(691);
  form.ShowDialling("x");
  EXPECT_EQ(form.Shared().ErrorCode(), 0u);
}

TEST_F(ProgressDialog, ReportWithEightLinesOfDetailsOpensAndCloses) {
  form.ShowDialling("x");
  form.Shared().SetErrorText("\r\nline 1\r\nline 2\r\n\r\nline 3\r\nline 4\r\nline 5\r\nline 6\r\n"
                             "line 7\r\n   \r\nline 8\r\n");
  form.EnterErrorReport("report");
  EXPECT_FALSE(form.Visible()) << "the report is hidden until shown modally";
  EXPECT_FALSE(form.bar.Visible());
  EXPECT_TRUE(form.detailsButton.Visible());
  EXPECT_EQ(form.closeButton.Text(), Text(TextId::ProgressClose));
  EXPECT_EQ(form.statusLine.Text(), "report");
  EXPECT_EQ(OuterHeight(form.hwnd()), 137);
  form.Show();

  const int memoBefore = form.detailsPane.GetBounds().height;
  form.detailsButton.Click();
  EXPECT_TRUE(form.detailsPane.Visible());
  EXPECT_EQ(form.detailsButton.Text(), Text(TextId::ProgressDetailsClose));
  EXPECT_EQ(OuterHeight(form.hwnd()), 137 + 138);
  EXPECT_EQ(form.detailsPane.GetBounds().height, memoBefore + 138)
      << "the pane grows with the form";
  EXPECT_EQ(form.detailsPane.GetBounds().y, 104);
  EXPECT_EQ(form.detailsPane.Text(),
            "line 1\r\nline 2\r\nline 3\r\nline 4\r\nline 5\r\nline 6\r\nline 7\r\nline 8");
  EXPECT_EQ(form.closeButton.GetBounds().y, 72) << "the buttons stay where they are";
  // The status line grows with the form over both buttons and the pane;
  // they stay on top of it, for the eye and for the mouse.
  for (HWND control :
       {form.detailsButton.hwnd(), form.closeButton.hwnd(), form.detailsPane.hwnd()}) {
    RECT r{}, label{};
    GetWindowRect(control, &r);
    GetWindowRect(form.statusLine.hwnd(), &label);
    POINT corner{r.right - 2, r.top + 1};
    ASSERT_TRUE(PtInRect(&label, corner)) << "the label no longer reaches over this control";
    ScreenToClient(form.hwnd(), &corner);
    EXPECT_EQ(ChildWindowFromPointEx(form.hwnd(), corner, CWP_SKIPINVISIBLE), control);
  }

  form.detailsButton.Click();
  EXPECT_FALSE(form.detailsPane.Visible());
  EXPECT_EQ(form.detailsButton.Text(), Text(TextId::ProgressDetailsOpen));
  EXPECT_EQ(OuterHeight(form.hwnd()), 137);
  // Hidden, the pane keeps its height rather than being squeezed under a
  // line with the form; opened again it fills the same place.
  EXPECT_EQ(form.detailsPane.GetBounds().height, memoBefore + 138);
  form.detailsButton.Click();
  EXPECT_EQ(form.detailsPane.GetBounds().height, memoBefore + 138);
  EXPECT_EQ(OuterHeight(form.hwnd()), 137 + 138);
}

// The system's description of 691 is one line, wider than the pane: every
// line the pane wraps it into is within the pane.
TEST_F(ProgressDialog, AOneLineDescriptionWiderThanThePaneIsShownWhole) {
  form.ShowDialling("x");
  form.Shared().SetErrorText(
      "Access was denied because the username and/or password was invalid on the domain.");
  form.EnterErrorReport("report");
  form.Show();
  form.detailsButton.Click();
  ASSERT_TRUE(form.detailsPane.Visible());
  const int lines = form.detailsPane.LineCount();
  EXPECT_GE(lines, 2) << "the pane is narrower than the text";
  EXPECT_EQ(OuterHeight(form.hwnd()), 137 + std::min(lines, kDetailsMaxLines) * 16 + 10);
  // The last wrapped line starts inside the pane's client area.
  const LRESULT lastChar = SendMessageW(form.detailsPane.hwnd(), EM_LINEINDEX, lines - 1, 0);
  const LRESULT at = SendMessageW(form.detailsPane.hwnd(), EM_POSFROMCHAR, lastChar, 0);
  RECT client{};
  GetClientRect(form.detailsPane.hwnd(), &client);
  EXPECT_LT(static_cast<short>(HIWORD(at)) + 8, client.bottom);
  form.detailsButton.Click();
  EXPECT_EQ(OuterHeight(form.hwnd()), 137);
}

TEST_F(ProgressDialog, BlankOnlyDetailsShowTheButtonAndNoLines) {
  form.Shared().SetErrorText(" \r\n\t\r\n ");
  form.EnterErrorReport("report");
  form.Show();
  EXPECT_TRUE(form.detailsButton.Visible());
  form.detailsButton.Click();
  EXPECT_TRUE(form.detailsPane.Visible());
  EXPECT_EQ(form.detailsPane.Text(), "");
  EXPECT_EQ(OuterHeight(form.hwnd()), 137 + 10);
}

TEST_F(ProgressDialog, EmptyErrorTextOffersNoDetails) {
  form.Shared().SetErrorText("");
  form.EnterErrorReport("report");
  EXPECT_FALSE(form.detailsButton.Visible());
}

TEST_F(ProgressDialog, ModalReportEndsWithCloseOrTheTitleBarAndResetsForTheNextDial) {
  form.Shared().SetErrorText("Access denied.");
  form.EnterErrorReport("report");
  bool visibleInside = false;
  test::RunInsideLoop([&] {
    visibleInside = form.Visible();
    form.closeButton.Click();
  });
  EXPECT_EQ(form.ShowModal(), 1);
  EXPECT_TRUE(visibleInside);
  EXPECT_FALSE(form.Visible());

  test::RunInsideLoop([&] { SendMessageW(form.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); });
  EXPECT_EQ(form.ShowModal(), 1) << "the title bar acts as Close";
  EXPECT_FALSE(form.Shared().Cancelled()) << "closing a report is no cancel request";

  // The open details of a report do not survive into the next dial.
  form.detailsButton.Click();
  form.Shared().SetCancelled(true);
  form.ResetForDialling();
  EXPECT_TRUE(form.bar.Visible());
  EXPECT_FALSE(form.detailsButton.Visible());
  EXPECT_FALSE(form.detailsPane.Visible());
  EXPECT_EQ(form.detailsButton.Text(), Text(TextId::ProgressDetailsOpen));
  EXPECT_EQ(form.closeButton.Text(), Text(TextId::ButtonCancel));
  EXPECT_EQ(OuterHeight(form.hwnd()), 137);
  EXPECT_FALSE(form.Shared().Cancelled());
}

TEST(ProgressDialogLife, GoneWindowIsNoLongerOffered) {
  dw::Mutex lock;
  connection::ProgressShared* shared = nullptr;
  {
    ui::ProgressDialog form(nullptr, lock);
    shared = &form.Shared();
    EXPECT_NE(shared->Window(), 0u);
    EXPECT_EQ(test::FindForm(ui::ProgressDialog::kClassName), form.hwnd());
  }
  EXPECT_EQ(test::FindForm(ui::ProgressDialog::kClassName), nullptr);
}

}  // namespace
}  // namespace dw::ui
