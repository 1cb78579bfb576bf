// The scroll box, its separate scroll bar and the picture control on real
// windows, read back from the windows themselves.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "ui/framework/picture_box_win.h"
#include "ui/framework/scroll_box_win.h"
#include "ui/framework/window_win.h"

#include "test_handles_win.h"

namespace dw::ui {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

// A top-level window whose whole look is one colour, also when printed.
class Plain final : public WindowBase {
 public:
  bool Create(COLORREF colour, int width = 600, int height = 300) {
    colour_ = colour;
    RegisterClassOnce("DwScrollBoxTestHost");
    return WindowBase::Create("DwScrollBoxTestHost", 0, WS_POPUP | WS_CLIPCHILDREN, "host", 0, 0,
                              width, height, nullptr);
  }

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) override {
    if (message == WM_PRINTCLIENT || message == WM_ERASEBKGND) {
      HDC dc = reinterpret_cast<HDC>(wparam);
      UniqueBrush brush(CreateSolidBrush(colour_));
      RECT r{-2000, -2000, 4000, 4000};
      FillRect(dc, &r, brush.get());
      result = 1;
      return true;
    }
    return false;
  }

 private:
  COLORREF colour_ = 0;
};

Bounds BoundsIn(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// Prints a window's client area (message `how`) into a bitmap and reads one pixel.
template <typename Paint>
COLORREF PrintedPixel(int width, int height, int x, int y, Paint paint) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  paint(dc);
  const COLORREF c = GetPixel(dc, x, y) & 0xFFFFFF;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return c;
}

void Wheel(HWND w, int delta) {
  SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), 0);
}

TEST(ScrollBox, ShowsItsSizeAndMovesTheContentByWheelAndPosition) {
  Plain host;
  ASSERT_TRUE(host.Create(kRed));
  ScrollBox box;
  ASSERT_TRUE(box.Create(host.hwnd(), {10, 20, 470, 174}, 1155, RGB(255, 255, 255)));
  EXPECT_EQ(BoundsIn(box.hwnd()), (Bounds{10, 20, 470, 174}));
  EXPECT_EQ(BoundsIn(box.Content()), (Bounds{0, 0, 470, 1155}));
  EXPECT_EQ(GetParent(box.Content()), box.hwnd());
  EXPECT_EQ(box.VisibleHeight(), 174);

  int wheels = 0;
  box.onWheel = [&] { ++wheels; };
  Wheel(box.hwnd(), -120);
  EXPECT_EQ(box.Position(), 12);
  EXPECT_EQ(BoundsIn(box.Content()).y, -12);
  EXPECT_EQ(wheels, 1);
  // Turned over a text inside, the wheel reaches the box just the same.
  HWND text = CreateWindowExW(0, L"STATIC", L"text", WS_CHILD | WS_VISIBLE, 5, 1100, 200, 16,
                              box.Content(), nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(text, nullptr);
  Wheel(box.Content(), -120);
  EXPECT_EQ(box.Position(), 24);
  EXPECT_EQ(wheels, 2);
  Wheel(box.hwnd(), 120);
  Wheel(box.hwnd(), 120);
  Wheel(box.hwnd(), 120);
  EXPECT_EQ(box.Position(), 0);
  for (int i = 0; i < 100; ++i) Wheel(box.hwnd(), -120);
  EXPECT_EQ(box.Position(), 981);
  EXPECT_EQ(BoundsIn(box.Content()).y, -981);
  // The last text line, 1 100 pixels down, is now in view.
  EXPECT_EQ(BoundsIn(text).y + BoundsIn(box.Content()).y, 119);

  box.SetPosition(5000);
  EXPECT_EQ(box.Position(), 981);
  box.SetPosition(-3);
  EXPECT_EQ(box.Position(), 0);
  EXPECT_EQ(BoundsIn(box.Content()).y, 0);
}

TEST(ScrollBox, ReleasesOverTheBoxOrItsContentAreReportedAndTheBackgroundIsItsOwn) {
  Plain host;
  ASSERT_TRUE(host.Create(kRed));
  ScrollBox box;
  ASSERT_TRUE(box.Create(host.hwnd(), {0, 0, 200, 100}, 400, RGB(255, 255, 255)));
  int releases = 0;
  box.onMouseUp = [&] { ++releases; };
  SendMessageW(box.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  SendMessageW(box.Content(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  SendMessageW(box.Content(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(releases, 3);
  // A static text without notification lets the mouse through to the content.
  HWND text = CreateWindowExW(0, L"STATIC", L"text", WS_CHILD | WS_VISIBLE, 5, 5, 100, 16,
                              box.Content(), nullptr, GetModuleHandleW(nullptr), nullptr);
  EXPECT_EQ(SendMessageW(text, WM_NCHITTEST, 0, MAKELPARAM(10, 10)), HTTRANSPARENT);

  EXPECT_EQ(PrintedPixel(200, 100, 150, 50,
                         [&](HDC dc) { SendMessageW(box.Content(), WM_ERASEBKGND,
                                                    reinterpret_cast<WPARAM>(dc), 0); }),
            RGB(255, 255, 255));
  HDC dc = GetDC(text);
  const LRESULT brush = SendMessageW(box.Content(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(text));
  ReleaseDC(text, dc);
  EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), box.BackgroundBrush());
}

TEST(SeparateScrollBar, StepsByItsOwnAmountsAndReportsOnlyTheUsersMoves) {
  Plain host;
  ASSERT_TRUE(host.Create(kRed));
  SeparateScrollBar bar;
  ASSERT_TRUE(bar.Create(host.hwnd(), {480, 20, 16, 174}, 1155, 170, 10, 150));
  EXPECT_EQ(BoundsIn(bar.hwnd()), (Bounds{480, 20, 16, 174}));
  EXPECT_EQ(BoundsIn(bar.Bar().hwnd()), (Bounds{0, 0, 16, 174}));
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(bar.Bar().hwnd(), SB_CTL, &info);
  EXPECT_EQ(info.nMin, 0);
  EXPECT_EQ(info.nMax, 1155);
  EXPECT_EQ(info.nPage, 170u);

  int changes = 0;
  bar.onChange = [&] { ++changes; };
  const auto request = [&](WORD code) {
    SendMessageW(bar.hwnd(), WM_VSCROLL, code, reinterpret_cast<LPARAM>(bar.Bar().hwnd()));
  };
  request(SB_LINEDOWN);
  EXPECT_EQ(bar.Position(), 10);
  request(SB_PAGEDOWN);
  EXPECT_EQ(bar.Position(), 160);
  request(SB_LINEUP);
  EXPECT_EQ(bar.Position(), 150);
  request(SB_BOTTOM);
  EXPECT_EQ(bar.Position(), 986);
  EXPECT_EQ(changes, 4);
  request(SB_PAGEDOWN);  // at the end already: no change to report
  request(SB_ENDSCROLL);
  EXPECT_EQ(changes, 4);
  bar.SetPosition(0);
  EXPECT_EQ(bar.Position(), 0);
  EXPECT_EQ(changes, 4);

  // The released thumb's place comes with the message (the bar's tracking
  // position is promised only while the thumb is dragged).
  SendMessageW(bar.hwnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 700),
               reinterpret_cast<LPARAM>(bar.Bar().hwnd()));
  EXPECT_EQ(bar.Position(), 700);
  EXPECT_EQ(changes, 5);
}

std::vector<char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(PictureBox, ShowsTheProgramsGifResourcesAndIconsOverItsParent) {
  Plain host;
  ASSERT_TRUE(host.Create(kRed));

  // The heading pictures are resources of the program itself.
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring exe(self);
  exe = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"dialwave.exe";
  UniqueModule program(LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(program);
  PictureBox heading;
  ASSERT_TRUE(heading.Create(host.hwnd(), {0, 0, 500, 40}));
  ASSERT_TRUE(heading.LoadGif(program.get(), "HEADING_AGREEMENT"));
  ASSERT_NE(heading.Picture(), nullptr);

  // It shows exactly the picture as the file holds it.
  const std::string file = std::string("Z:") + DW_TEST_DATA_DIR + "/../../resources/skin/heading-agreement.gif";
  const std::vector<char> gif = ReadFile(file);
  auto reference = LoadPicture(gif.data(), gif.size());
  ASSERT_NE(reference, nullptr);
  EXPECT_EQ(heading.Picture()->Width(), reference->Width());
  EXPECT_EQ(heading.Picture()->Height(), reference->Height());
  for (const POINT p : {POINT{1, 1}, POINT{reference->Width() / 2, reference->Height() / 2},
                        POINT{reference->Width() - 2, reference->Height() - 2}}) {
    const COLORREF shown = PrintedPixel(500, 40, p.x, p.y, [&](HDC dc) { heading.PaintTo(dc); });
    const COLORREF drawn = PrintedPixel(500, 40, p.x, p.y, [&](HDC dc) {
      GdiCanvas canvas(dc);
      canvas.Draw(0, 0, *reference);
    });
    EXPECT_EQ(shown, drawn) << p.x << "," << p.y;
  }
  EXPECT_FALSE(heading.LoadGif(program.get(), "NO_SUCH_PICTURE"));
  EXPECT_EQ(heading.Picture(), nullptr);

  // An icon: drawn at its size, the parent's look around and through it.
  PictureBox icon;
  ASSERT_TRUE(icon.Create(host.hwnd(), {100, 100, 48, 48}));
  HICON application = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
  icon.SetIcon(application);
  EXPECT_EQ(icon.Icon(), application);
  EXPECT_EQ(PrintedPixel(48, 48, 40, 40, [&](HDC dc) { icon.PaintTo(dc); }), kRed);
  int drawnPixels = 0;
  for (int y = 0; y < 32; y += 4) {
    for (int x = 0; x < 32; x += 4) {
      if (PrintedPixel(48, 48, x, y, [&](HDC dc) { icon.PaintTo(dc); }) != kRed) ++drawnPixels;
    }
  }
  EXPECT_GT(drawnPixels, 8);
  // It never takes the mouse from what lies under it.
  EXPECT_EQ(SendMessageW(icon.hwnd(), WM_NCHITTEST, 0, MAKELPARAM(110, 110)), HTTRANSPARENT);
}

}  // namespace
}  // namespace dw::ui
