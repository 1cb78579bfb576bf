#include "ui/panels/panel_content_win.h"

#include "platform/win32/user_api_win.h"
#include "ui/framework/gdi_scope_win.h"
#include "ui/framework/picture_box_win.h"

namespace dw::ui {
namespace {

UniqueFont MakeFont(int weight, bool underline) {
  // Russian character set: the texts are Russian whatever the system's
  // language.
  return UniqueFont(CreateFontA(-11, 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE, FALSE,
                                RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma"));
}

}  // namespace

PanelContent::~PanelContent() {
  // The texts go with the window, before the fonts they use.
  if (hwnd() != nullptr) DestroyWindow(hwnd());
}

bool PanelContent::CreateContent(const char* className, HWND parent, const Bounds& b) {
  normal_ = MakeFont(FW_NORMAL, false);
  bold_ = MakeFont(FW_BOLD, false);
  link_ = MakeFont(FW_NORMAL, true);
  RegisterClassOnce(className, CS_DBLCLKS);
  return Create(className, WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                "", b.x, b.y, b.width, b.height, parent);
}

HFONT PanelContent::FontOf(TextStyle style) const {
  switch (style) {
    case TextStyle::Bold: return bold_.get();
    case TextStyle::Link: return link_.get();
    default: return normal_.get();
  }
}

Label PanelContent::AddText(HWND parent, const Bounds& b, std::string_view cp1251, TextStyle style,
                            COLORREF colour) {
  const DWORD notify = style == TextStyle::Link ? SS_NOTIFY : 0;
  HWND text = user::CreateWindowText(
      0, "STATIC", cp1251, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_LEFT | SS_NOPREFIX | notify,
      b.x, b.y, b.width, b.height, parent, nullptr);
  if (text == nullptr) return Label();
  SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(style)), FALSE);
  colours_[text] = style == TextStyle::Link ? kLinkColour : colour;
  return Label(text);
}

COLORREF PanelContent::TextColour(HWND text) const {
  const auto it = colours_.find(text);
  return it != colours_.end() ? it->second : RGB(0, 0, 0);
}

void PanelContent::SetTextColour(HWND text, COLORREF colour) {
  colours_[text] = colour;
  // Now, not at the next idle paint: a refresh runs synchronously.
  RedrawWindow(text, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

int PanelContent::TextHeight(std::string_view cp1251, int width, TextStyle style) const {
  WindowDcScope dc(hwnd());
  if (dc.get() == nullptr) return 0;
  SelectionScope select(dc.get(), FontOf(style));
  RECT r{0, 0, width, 0};
  user::DrawTextIn(dc.get(), cp1251, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
  return r.bottom - r.top;
}

bool PanelContent::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_ERASEBKGND:
      PaintParentBackground(hwnd(), reinterpret_cast<HDC>(wparam));
      result = 1;
      return true;
    case WM_PRINTCLIENT:
      PaintParentBackground(hwnd(), reinterpret_cast<HDC>(wparam));
      result = 0;
      return true;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      HWND text = reinterpret_cast<HWND>(lparam);
      const auto it = colours_.find(text);
      SetTextColor(dc, it != colours_.end() ? it->second : RGB(0, 0, 0));
      SetBkMode(dc, TRANSPARENT);
      // Texts on the panel show the skin under them; texts elsewhere (in a
      // scroll box) get their own parent's colours.
      if (GetParent(text) == hwnd()) {
        PaintParentBackground(text, dc);
        result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        return true;
      }
      return false;
    }
    case WM_COMMAND: {
      HWND from = reinterpret_cast<HWND>(lparam);
      auto& handlers = HIWORD(wparam) == STN_DBLCLK ? doubleClicks_ : clicks_;
      if (HIWORD(wparam) != STN_DBLCLK && HIWORD(wparam) != STN_CLICKED) return false;
      const auto it = handlers.find(from);
      if (it == handlers.end()) return false;
      const auto handler = it->second;  // it may change the panel
      handler();
      result = 0;
      return true;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      OnMouseUp();
      result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace dw::ui
