// The probe's ping is what the journeys and the responsiveness benchmark use
// to say a window never stalled; it must see a stall when there is one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/threads.h"
#include "support_win.h"

namespace dw {
namespace {

constexpr wchar_t kClass[] = L"DialwavePingTarget";

constexpr UINT_PTR kStallTimer = 1;

// A window on its own thread that stops serving its queue for `stallMs`
// 300 ms after the first ping reached it, then serves it until closed. Timed
// from the first ping, not from its creation: on a loaded machine the probe
// may start later than a fixed stall would have come and gone.
LRESULT CALLBACK WindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_NULL && GetWindowLongPtrW(w, GWLP_USERDATA) == 0) {
    SetWindowLongPtrW(w, GWLP_USERDATA, 1);
    SetTimer(w, kStallTimer, 300, nullptr);
  }
  if (m == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(w, m, wp, lp);
}

class Target {
 public:
  explicit Target(DWORD stallMs) : stallMs_(stallMs), ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = Thread([this] { Run(); });
    WaitForSingleObject(ready_, 10000);
  }
  ~Target() {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    thread_.join();
    CloseHandle(ready_);
  }

 private:
  void Run() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    window_ = CreateWindowW(kClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                            wc.hInstance, nullptr);
    SetEvent(ready_);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (msg.message == WM_TIMER && msg.hwnd == window_) {
        KillTimer(window_, kStallTimer);
        if (stallMs_ > 0) Sleep(stallMs_);
        continue;
      }
      DispatchMessageW(&msg);
    }
  }

  DWORD stallMs_;
  HANDLE ready_;
  HWND window_ = nullptr;
  Thread thread_;
};

double Field(const std::string& out, const std::string& name) {
  const auto at = out.find(" " + name + "=");
  return at == std::string::npos ? -1.0 : std::atof(out.c_str() + at + name.size() + 2);
}

TEST(ProbePing, SeesAStallAndOnlyThen) {
  {
    Target target(600);
    const std::string out =
        test::Capture(test::BinDir() + L"dialwave-probe.exe", L"ping 1500 DialwavePingTarget");
    EXPECT_GT(Field(out, "samples"), 10) << out;
    EXPECT_GE(Field(out, "max_ms"), 400) << out;
  }
  {
    Target target(0);
    const std::string out =
        test::Capture(test::BinDir() + L"dialwave-probe.exe", L"ping 1000 DialwavePingTarget");
    EXPECT_GT(Field(out, "samples"), 10) << out;
    // Generous: a loaded machine may delay an answer, never by 600 ms.
    EXPECT_LT(Field(out, "max_ms"), 300) << out;
    EXPECT_GE(Field(out, "max_ms"), 0) << out;
  }
}

}  // namespace
}  // namespace dw
