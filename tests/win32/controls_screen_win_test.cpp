// A skinned window like the main one: the background picture, the three
// buttons and the graph as the main window's form sets them, shaped by the
// main window's region text. Headless it checks what the controls paint;
// with DW_SCREEN_HOLD=PATH (tests/win32/controls_screen.sh under Xvfb) it
// also shows the window, writes PATH.ready and waits for PATH.done so that a
// screenshot can be taken.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "platform/win32/canvas_win.h"
#include "ui/controls/control_window_win.h"
#include "ui/controls/form_region.h"
#include "ui/controls/region_form_win.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/speed_graph.h"

namespace dw::ui {
namespace {

constexpr Color kFace = Rgb(0xF4, 0xF4, 0xF0);
constexpr Color kNavy = Rgb(0x00, 0x06, 0x74);

GdiPicture* g_skin = nullptr;

LRESULT CALLBACK SkinProcedure(HWND w, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    if (g_skin != nullptr) {
      GdiCanvas canvas(dc);
      canvas.Draw(0, 0, *g_skin);
    }
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcW(w, message, wparam, lparam);
}

void Button(SkinButton& b, int width, int height, const char* caption, Color ext, int extWidth,
            Color intColor) {
  b.SetSize(width, height);
  b.caption = caption;
  b.faceColour = kFace;
  b.pressedColour = Rgb(0xBC, 0xB9, 0xF6);
  b.outerRingColour = ext;
  b.innerRingColour = intColor;
  b.borderColour = kNavy;
  b.backgroundColour = kWhite;
  b.outerRingWidth = extWidth;
  b.innerRingWidth = 0;
  b.cornerDiameter = 4;
  b.borderWidth = 1;
  b.font = {"Tahoma", -12, kBlack};
}

Color Printed(ControlWindow& window, int width, int height, int x, int y) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(window.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  const Color c = GetPixel(dc, x, y) & 0xFFFFFF;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return c;
}

TEST(ControlsOnScreen, SkinnedWindowWithButtonsAndGraph) {
  const std::string dir = std::string("Z:") + DW_TEST_DATA_DIR + "/../../resources/skin/";
  std::ifstream in(dir + "background.gif", std::ios::binary);
  const std::vector<char> gif{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  auto skin = LoadPicture(gif.data(), gif.size());
  ASSERT_NE(skin, nullptr);
  g_skin = skin.get();

  WNDCLASSW wc{};
  wc.lpfnWndProc = SkinProcedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"DwControlsScreen";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, L"DwControlsScreen", L"Dialwave controls", WS_POPUP | WS_CLIPCHILDREN,
                                100, 100, 500, 360, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  WindowRegionForm form(window, true);
  FormRegion windowShape(form, "frMain");
  windowShape.SetRegion("L6,0,495,0,498,2,501,8,501,358,0,358,0,6,2,2");
  form.SetLoading(false);
  windowShape.Loaded();

  SkinButton connect, agree, disagree;
  // "Подключиться", "Согласен", "Не согласен" in code page 1251.
  Button(connect, 193, 30, "\xCF\xEE\xE4\xEA\xEB\xFE\xF7\xE8\xF2\xFC\xF1\xFF", Rgb(0xCD, 0xD8, 0xE2), 2, kBlack);
  Button(agree, 85, 25, "\xD1\xEE\xE3\xEB\xE0\xF1\xE5\xED", kBlack, 0, kBlack);
  Button(disagree, 85, 25, "\xCD\xE5 \xF1\xEE\xE3\xEB\xE0\xF1\xE5\xED", kBlack, 0, kNavy);
  SpeedGraph graph;
  graph.faceColour = kWhite;
  graph.outerBevel = Bevel::None;
  graph.SetScaleLength(40);
  graph.barWidthPercent = 60;
  graph.topColour = Rgb(44, 159, 22);
  graph.bottomColour = Rgb(154, 209, 147);

  ControlWindow connectWindow(connect), agreeWindow(agree), disagreeWindow(disagree), graphWindow(graph);
  ASSERT_TRUE(connectWindow.Create(window, 20, 200, 193, 30));
  ASSERT_TRUE(agreeWindow.Create(window, 20, 250, 85, 25));
  ASSERT_TRUE(disagreeWindow.Create(window, 120, 250, 85, 25));
  ASSERT_TRUE(graphWindow.Create(window, 250, 200, 192, 45));
  for (std::uint32_t v : {100u, 0u, 50u, 20u, 80u, 100u, 60u}) graph.AddValue(v);

  EXPECT_EQ(Printed(connectWindow, 193, 30, 6, 15), kFace);
  EXPECT_EQ(Printed(connectWindow, 193, 30, 2, 15), kNavy);
  EXPECT_EQ(Printed(agreeWindow, 85, 25, 0, 12), kNavy) << "no ring: the outline is at the edge";
  EXPECT_EQ(Printed(graphWindow, 192, 45, 1, 10), Rgb(44, 159, 22));
  EXPECT_EQ(Printed(graphWindow, 192, 45, 6, 40), kWhite);

  char hold[MAX_PATH] = {};
  if (GetEnvironmentVariableA("DW_SCREEN_HOLD", hold, MAX_PATH) == 0) {
    DestroyWindow(window);
    return;
  }
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  std::ofstream(std::string(hold) + ".ready") << "ready\n";
  const std::string done = std::string(hold) + ".done";
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 60000 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(50);
  }
  DestroyWindow(window);
  g_skin = nullptr;
}

}  // namespace
}  // namespace dw::ui
