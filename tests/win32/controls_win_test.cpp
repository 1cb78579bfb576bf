// The skinned controls drawn by GDI into memory, checked pixel by pixel, and
// driven by real window messages; the skin pictures loaded from GIF.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <olectl.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "platform/win32/canvas_win.h"
#include "ui/controls/control_window_win.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/speed_graph.h"
#include "ui/controls/transparent_panel.h"

namespace dw::ui {
namespace {

// A 32-bit memory bitmap selected into a memory DC.
class MemoryDc {
 public:
  MemoryDc(int width, int height) : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    old_ = SelectObject(dc_, bitmap_.get());
    RECT all{0, 0, width, height};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  ~MemoryDc() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  // 0x00BBGGRR, as the controls' colours are written.
  Color At(int x, int y) const { return GetPixel(dc_, x, y) & 0xFFFFFF; }

 private:
  HDC dc_;
  UniqueBitmap bitmap_;
  HGDIOBJ old_ = nullptr;
};

constexpr Color kFace = Rgb(0xF4, 0xF4, 0xF0);
constexpr Color kDown = Rgb(0xBC, 0xB9, 0xF6);
constexpr Color kRing = Rgb(0xCD, 0xD8, 0xE2);
constexpr Color kNavy = Rgb(0x00, 0x06, 0x74);

void MakeConnect(SkinButton& b) {
  b.SetSize(193, 30);
  b.caption = "\xCF\xEE\xE4\xEA\xEB\xFE\xF7\xE8\xF2\xFC\xF1\xFF";  // "Подключиться" in 1251
  b.faceColour = kFace;
  b.pressedColour = kDown;
  b.outerRingColour = kRing;
  b.borderColour = kNavy;
  b.backgroundColour = kWhite;
  b.outerRingWidth = 2;
  b.cornerDiameter = 4;
  b.borderWidth = 1;
  b.font = {"Tahoma", -12, kBlack};
}

int CountDark(const MemoryDc& m, const Rect& r) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const Color c = m.At(x, y);
      if ((c & 0xFF) < 0x80 && ((c >> 8) & 0xFF) < 0x80 && ((c >> 16) & 0xFF) < 0x80) ++n;
    }
  }
  return n;
}

TEST(SkinnedButtonGdi, DrawsRingOutlineFaceAndCaption) {
  SkinButton button;
  MakeConnect(button);
  MemoryDc m(193, 30);
  {
    GdiCanvas canvas(m.dc());
    button.Paint(canvas);
  }
  EXPECT_EQ(m.At(0, 0), kWhite) << "background outside the shape";
  EXPECT_EQ(m.At(192, 29), kWhite);
  EXPECT_EQ(m.At(1, 15), kRing) << "outer ring";
  EXPECT_EQ(m.At(2, 15), kNavy) << "outline of the face";
  EXPECT_EQ(m.At(189, 15), kNavy);
  EXPECT_EQ(m.At(6, 15), kFace);
  EXPECT_EQ(m.At(186, 6), kFace);
  EXPECT_GT(CountDark(m, {40, 5, 150, 25}), 40) << "the caption is drawn in the middle";
  EXPECT_EQ(CountDark(m, {5, 5, 30, 25}), 0) << "and nowhere near the edges";
}

TEST(SkinnedButtonGdi, PressedAndDisabledLooks) {
  SkinButton button;
  MakeConnect(button);
  button.LeftButtonDown(20, 10);
  MemoryDc pressed(193, 30);
  {
    GdiCanvas canvas(pressed.dc());
    button.Paint(canvas);
  }
  EXPECT_EQ(pressed.At(6, 15), kDown);

  button.MouseLeave();
  button.SetEnabled(false);
  MemoryDc disabled(193, 30);
  {
    GdiCanvas canvas(disabled.dc());
    button.Paint(canvas);
  }
  EXPECT_EQ(disabled.At(2, 15), GetSysColor(COLOR_INACTIVEBORDER) & 0xFFFFFF);
  EXPECT_EQ(disabled.At(6, 15), kFace);
  const Color grey = GetSysColor(COLOR_GRAYTEXT) & 0xFFFFFF;
  int greyPixels = 0;
  for (int y = 5; y < 25; ++y) {
    for (int x = 40; x < 150; ++x) greyPixels += disabled.At(x, y) == grey;
  }
  EXPECT_GT(greyPixels, 10) << "grey caption";
}

TEST(SpeedGraphGdi, BarsInTwoColoursWithTheTopMarginAndGaps) {
  SpeedGraph graph;
  graph.SetSize(192, 45);
  graph.faceColour = kWhite;
  graph.outerBevel = Bevel::None;
  graph.SetScaleLength(40);
  graph.barWidthPercent = 60;
  graph.topColour = Rgb(44, 159, 22);
  graph.bottomColour = Rgb(154, 209, 147);
  graph.AddValue(100);
  graph.AddValue(0);
  graph.AddValue(50);
  MemoryDc m(192, 45);
  {
    GdiCanvas canvas(m.dc());
    graph.Paint(canvas);
  }
  EXPECT_EQ(m.At(1, 1), kWhite) << "2-pixel margin";
  EXPECT_EQ(m.At(1, 2), Rgb(44, 159, 22));
  EXPECT_EQ(m.At(2, 22), Rgb(44, 159, 22));
  EXPECT_EQ(m.At(2, 23), Rgb(154, 209, 147));
  EXPECT_EQ(m.At(0, 44), Rgb(154, 209, 147));
  EXPECT_EQ(m.At(3, 30), kWhite) << "bars are 3 pixels wide";
  EXPECT_EQ(m.At(6, 44), kWhite) << "a zero sample leaves a gap";
  EXPECT_EQ(m.At(10, 21), kWhite) << "half the maximum: 45 - 23 = 22 is the top";
  EXPECT_EQ(m.At(10, 22), Rgb(154, 209, 147));
  EXPECT_EQ(m.At(12, 30), Rgb(154, 209, 147));
}

// A picture whose row y has the colour (y, 0x40, 0x80).
GdiPicture RowsPicture(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  auto* p = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) p[y * width + x] = (static_cast<std::uint32_t>(y & 0xFF) << 16) | 0x4080;
  }
  return GdiPicture(std::move(bitmap), width, height);
}

TEST(TransparentPanelGdi, ShowsThePictureFromRow52AndItsStrips) {
  GdiPicture skin = RowsPicture(500, 360);
  TransparentPanel panel;
  panel.SetSize(500, 265);
  panel.background = &skin;
  panel.backgroundTop = -52;
  panel.leftStrip = panel.rightStrip = true;
  panel.stripColour = Rgb(0x49, 0x4A, 0x4B);
  MemoryDc m(500, 265);
  {
    GdiCanvas canvas(m.dc());
    panel.Paint(canvas);
  }
  EXPECT_EQ(m.At(0, 0), Rgb(52, 0x40, 0x80)) << "width 0: no strip";
  EXPECT_EQ(m.At(250, 100), Rgb(152, 0x40, 0x80));

  panel.borderWidth = 2;
  MemoryDc framed(500, 265);
  {
    GdiCanvas canvas(framed.dc());
    panel.Paint(canvas);
  }
  EXPECT_EQ(framed.At(1, 100), Rgb(0x49, 0x4A, 0x4B));
  EXPECT_EQ(framed.At(1, 264), Rgb(52 + 264 - 256, 0x40, 0x80)) << "the left strip stops a row short";
  EXPECT_EQ(framed.At(498, 264), Rgb(0x49, 0x4A, 0x4B)) << "the right one does not";
  EXPECT_EQ(framed.At(499, 100), Rgb(152, 0x40, 0x80)) << "and leaves the last column";
}

std::vector<char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SkinPictures, BackgroundGifHasTheTitleStripMarksInTheirZones) {
  // The source tree as Wine sees it.
  const std::string dir = std::string("Z:") + DW_TEST_DATA_DIR + "/../../resources/skin/";
  const auto gif = ReadFile(dir + "background.gif");
  ASSERT_FALSE(gif.empty()) << dir;
  auto picture = LoadPicture(gif.data(), gif.size());
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), 500);
  EXPECT_EQ(picture->Height(), 360);
  MemoryDc m(500, 360);
  {
    GdiCanvas canvas(m.dc());
    canvas.Draw(0, 0, *picture);
  }
  EXPECT_EQ(m.At(10, 10), Rgb(0x00, 0x06, 0x74)) << "title strip";
  EXPECT_EQ(m.At(462, 15), kWhite) << "minimise mark";
  EXPECT_EQ(m.At(484, 13), kWhite) << "close mark";
  EXPECT_EQ(m.At(473, 13), Rgb(0x00, 0x06, 0x74)) << "the gap between the zones";
  EXPECT_EQ(m.At(250, 200), kWhite) << "body";

  for (const char* name : {"connect", "agreement", "start", "service", "about"}) {
    const auto heading = ReadFile(dir + "heading-" + name + ".gif");
    auto p = LoadPicture(heading.data(), heading.size());
    ASSERT_NE(p, nullptr) << name;
    EXPECT_EQ(p->Width(), 300);
  }
}

// The system's picture loader drawing `gif` on white, as the program did
// before it decoded its pictures itself: the reference they must match.
void DrawThroughSystemLoader(const std::vector<char>& gif, MemoryDc& target, int width,
                             int height) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, gif.size());
  ASSERT_NE(memory, nullptr);
  CopyMemory(GlobalLock(memory), gif.data(), gif.size());
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(memory, TRUE, &stream), S_OK);
  IPicture* picture = nullptr;
  const HRESULT loaded = OleLoadPicture(stream, static_cast<LONG>(gif.size()), FALSE, IID_IPicture,
                                        reinterpret_cast<void**>(&picture));
  stream->Release();
  ASSERT_EQ(loaded, S_OK);
  OLE_XSIZE_HIMETRIC w = 0;
  OLE_YSIZE_HIMETRIC h = 0;
  picture->get_Width(&w);
  picture->get_Height(&h);
  RECT all{0, 0, width, height};
  FillRect(target.dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const HRESULT drawn = picture->Render(target.dc(), 0, 0, width, height, 0, h, w, -h, nullptr);
  picture->Release();
  ASSERT_EQ(drawn, S_OK);
}

TEST(SkinPictures, EachDecodesPixelForPixelAsTheSystemsLoaderDrawsIt) {
  const std::string dir = std::string("Z:") + DW_TEST_DATA_DIR + "/../../resources/skin/";
  for (const char* name : {"background", "heading-connect", "heading-agreement", "heading-start",
                           "heading-service", "heading-about"}) {
    SCOPED_TRACE(name);
    const auto gif = ReadFile(dir + name + ".gif");
    auto picture = LoadPicture(gif.data(), gif.size());
    ASSERT_NE(picture, nullptr);
    const int w = picture->Width();
    const int h = picture->Height();
    MemoryDc ours(w, h);
    {
      GdiCanvas canvas(ours.dc());
      canvas.Draw(0, 0, *picture);
    }
    MemoryDc system(w, h);
    DrawThroughSystemLoader(gif, system, w, h);
    int differing = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) differing += ours.At(x, y) != system.At(x, y);
    }
    EXPECT_EQ(differing, 0);
  }
}

TEST(SkinPictures, JunkAndTruncatedDataGiveNoPicture) {
  const char junk[] = "GIF89a not really";
  EXPECT_EQ(LoadPicture(junk, sizeof junk), nullptr);
  EXPECT_EQ(LoadPicture(nullptr, 0), nullptr);
  const std::string dir = std::string("Z:") + DW_TEST_DATA_DIR + "/../../resources/skin/";
  const auto gif = ReadFile(dir + "background.gif");
  ASSERT_GT(gif.size(), 100u);
  EXPECT_EQ(LoadPicture(gif.data(), 40), nullptr);
  EXPECT_EQ(LoadGifResource(GetModuleHandleA(nullptr), "NO_SUCH_PICTURE"), nullptr);
}

// A parent for control windows, painted by nobody.
struct Parent {
  Parent() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"DwControlsTestParent";
    RegisterClassW(&wc);
    hwnd = CreateWindowW(L"DwControlsTestParent", L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 400, 200,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~Parent() { DestroyWindow(hwnd); }
  HWND hwnd;
};

TEST(ControlWindows, ButtonClicksFromWindowMessagesAndPaintsOnPrint) {
  Parent parent;
  ASSERT_NE(parent.hwnd, nullptr);
  SkinButton button;
  MakeConnect(button);
  int clicks = 0;
  button.onClick = [&](SkinButton&) { ++clicks; };
  ControlWindow window(button);
  ASSERT_TRUE(window.Create(parent.hwnd, 10, 10, 193, 30));
  HWND w = window.hwnd();
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 10));
  EXPECT_TRUE(button.Pressed());
  SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(54, 14));
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(54, 14));
  EXPECT_EQ(clicks, 1);

  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 10));
  SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(55, 10));
  SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 10));
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(50, 10));
  EXPECT_EQ(clicks, 1) << "5 pixels away cancels";

  // A point left of the window arrives as 65535 - n: never the inner area.
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-3, 10));
  EXPECT_FALSE(button.Pressed());

  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 10));
  SendMessageW(w, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(button.Pressed());

  MemoryDc m(193, 30);
  SendMessageW(w, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(m.dc()), PRF_CLIENT);
  EXPECT_EQ(m.At(6, 15), kFace);
  EXPECT_EQ(m.At(2, 15), kNavy);

  window.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(w));
  EXPECT_FALSE(button.Enabled());
}

TEST(ControlWindows, GraphRepaintsWhenAChildGoesAndFollowsItsWindowSize) {
  Parent parent;
  SpeedGraph graph;
  graph.SetScaleLength(40);
  ControlWindow window(graph);
  ASSERT_TRUE(window.Create(parent.hwnd, 0, 0, 192, 45));
  EXPECT_EQ(graph.Width(), 192);
  SetWindowPos(window.hwnd(), nullptr, 0, 0, 96, 45, SWP_NOZORDER | SWP_NOMOVE);
  EXPECT_EQ(graph.Width(), 96);
  HWND child = CreateWindowW(L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, window.hwnd(), nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(child, nullptr);
  // The repaint is asked for through the host; a visible window counts it.
  struct Counter final : ControlHost {
    void PaintNow() override { ++n; }
    int n = 0;
  } counter;
  graph.SetHost(&counter);
  DestroyWindow(child);
  EXPECT_EQ(counter.n, 1);
  graph.SetHost(&window);
}

}  // namespace
}  // namespace dw::ui
