// The region language on real GDI regions: GDI and the native raster model
// agree, and a window takes, keeps and re-evaluates its shape.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include "platform/fake/raster_region.h"
#include "platform/win32/region_win.h"
#include "ui/controls/form_region.h"
#include "ui/controls/region_form_win.h"

namespace dw::ui {
namespace {

constexpr const char* kMainWindow = "L6,0,495,0,498,2,501,8,501,358,0,358,0,6,2,2";

class Context final : public RegionContext {
 public:
  explicit Context(RegionFactory& f) : factory_(f) {}
  RegionFactory& Regions() override { return factory_; }
  FormMetrics Metrics() const override { return {500, 360, 0, 0, 500, 360, -18}; }
  std::vector<std::string>& NameStack() override { return names_; }
  ExternalShape FindExternal(std::string_view) override { return {}; }
  void ShowMessage(const std::string&) override {}

 private:
  RegionFactory& factory_;
  std::vector<std::string> names_;
};

// Pixels where GDI and the raster model disagree, over a generous box.
int Mismatches(const std::string& text) {
  GdiRegionFactory gdi;
  RasterRegionFactory raster;
  Context gdiContext(gdi);
  Context rasterContext(raster);
  auto a = EvaluateRegionText(text, "t", gdiContext);
  auto b = EvaluateRegionText(text, "t", rasterContext);
  EXPECT_TRUE(a && b) << text;
  if (!a || !b) return -1;
  int n = 0;
  for (int y = -5; y < 370; ++y) {
    for (int x = -5; x < 510; ++x) n += a->Contains(x, y) != b->Contains(x, y);
  }
  return n;
}

TEST(RegionGdi, MainWindowPolygonOnGdi) {
  GdiRegionFactory gdi;
  Context context(gdi);
  auto r = EvaluateRegionText(kMainWindow, "frMain", context);
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->Contains(0, 0));
  EXPECT_FALSE(r->Contains(1, 1));
  EXPECT_FALSE(r->Contains(500, 0));
  EXPECT_TRUE(r->Contains(3, 100));
  EXPECT_TRUE(r->Contains(250, 100));
  EXPECT_EQ(r->Bounds(), (Rect{0, 0, 501, 358}));
}

TEST(RegionGdi, RasterModelMatchesGdiOnStraightEdges) {
  for (const char* text : {kMainWindow, "R10,10,200,100\r\nX\r\nR50,50,300,300",
                           "L100,0,160,190,0,70,200,70,40,190", "W100,0,160,190,0,70,200,70,40,190",
                           "{\r\nR0,0,10,10\r\nR20,0,30,10\r\n}\r\nD\r\nR5,5,25,6"}) {
    EXPECT_EQ(Mismatches(text), 0) << text;
  }
}

TEST(RegionGdi, RasterModelIsCloseToGdiOnCurves) {
  // Curves are rasterised differently; they may differ along the outline only.
  EXPECT_LE(Mismatches("R0,0,W,H\r\nD\r\nE0,0,20,20"), 20);
  EXPECT_LE(Mismatches("E10,10,210,110"), 40);
  EXPECT_LE(Mismatches("U0,0,100,50,20,20"), 12);
}

// A popup window of the size of the main window, with no paint of its own.
class ShapedWindow : public ::testing::Test {
 protected:
  ShapedWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"DwRegionTestWindow";
    RegisterClassW(&wc);
    hwnd = CreateWindowW(L"DwRegionTestWindow", L"", WS_POPUP, 0, 0, 500, 360, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
    original = GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
  }
  ~ShapedWindow() override { DestroyWindow(hwnd); }

  std::optional<Rect> WindowBox() {
    UniqueRegion r(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(hwnd, r.get()) == ERROR) return std::nullopt;
    RECT box{};
    GetRgnBox(r.get(), &box);
    return Rect{box.left, box.top, box.right, box.bottom};
  }
  bool WindowHas(int x, int y) {
    UniqueRegion r(CreateRectRgn(0, 0, 0, 0));
    return GetWindowRgn(hwnd, r.get()) != ERROR && PtInRegion(r.get(), x, y);
  }

  HWND hwnd;
  LONG_PTR original;
};

TEST_F(ShapedWindow, TakesTheMainWindowShapeAfterLoading) {
  ASSERT_NE(hwnd, nullptr);
  WindowRegionForm form(hwnd, true);
  FormRegion region(form, "frMain");
  region.SetRegion(kMainWindow);
  EXPECT_FALSE(WindowBox()) << "nothing while loading";
  form.SetLoading(false);
  region.Loaded();
  EXPECT_EQ(WindowBox(), (Rect{0, 0, 501, 358}));
  EXPECT_FALSE(WindowHas(0, 0));
  EXPECT_FALSE(WindowHas(1, 1));
  EXPECT_TRUE(WindowHas(3, 100));
  EXPECT_TRUE(WindowHas(250, 100));
}

TEST_F(ShapedWindow, ReevaluatesOnEverySizeChangeAndKeepsItsShapeOnAnError) {
  WindowRegionForm form(hwnd);
  FormRegion region(form, "frMain");
  EXPECT_NE(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), original) << "hooked";
  region.SetRegion("R0,0,W,H\r\nD\r\nE0,0,20,20");
  EXPECT_EQ(WindowBox(), (Rect{0, 0, 500, 360}));
  SetWindowPos(hwnd, nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  EXPECT_EQ(WindowBox(), (Rect{0, 0, 300, 200}));
  EXPECT_FALSE(WindowHas(10, 10));
  EXPECT_TRUE(WindowHas(299, 199));

  region.onSizeChanged = [](RegionComponent&, std::string& text) { text = "R0,0,W,H\r\nQ"; };
  SetWindowPos(hwnd, nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  EXPECT_TRUE(IsWindow(hwnd)) << "the error stays inside the hook";
  EXPECT_EQ(WindowBox(), (Rect{0, 0, 300, 200})) << "the window keeps its last shape";
}

TEST_F(ShapedWindow, ClientDragAndTheHookGoesWithItsLastUser) {
  {
    WindowRegionForm form(hwnd);
    FormRegion region(form, "frMain");
    auto macro = std::make_unique<MacroRegion>(form, "Corner");
    const LPARAM inside = MAKELPARAM(100, 100);
    EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, inside), HTCLIENT);
    region.clientDrag = true;
    EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, inside), HTCAPTION);
    macro.reset();
    EXPECT_NE(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), original);
  }
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), original) << "the previous procedure is back";
  EXPECT_EQ(GetPropW(hwnd, L"DialwaveRegionForm"), nullptr);
}

TEST_F(ShapedWindow, WindowDestroyedFirstLeavesNothingDangling) {
  WindowRegionForm form(hwnd);
  FormRegion region(form, "frMain");
  region.SetRegion("R0,0,W,H");
  DestroyWindow(hwnd);
  hwnd = nullptr;
  EXPECT_NO_THROW(region.SetRegion("R0,0,10,10"));
}

}  // namespace
}  // namespace dw::ui
