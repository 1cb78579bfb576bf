#include "ui/framework/controls_win.h"

#include "platform/win32/wide.h"

namespace dw::ui {

void Control::SetText(std::string_view cp1251) const {
  SetWindowTextW(hwnd_, Wide(cp1251).c_str());
}

std::string Control::Text() const {
  const int length = GetWindowTextLengthW(hwnd_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd_, text.data(), length + 1)));
  return Narrow(text);
}

void Control::BringToFront() const {
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

Bounds Control::GetBounds() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Picture::SetIcon(HICON icon) const {
  // The static control fits itself to the icon; the form's layout wins.
  const Bounds keep = GetBounds();
  SendMessageW(hwnd(), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  SetWindowPos(hwnd(), nullptr, keep.x, keep.y, keep.width, keep.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void Memo::SetLines(const std::vector<std::string>& cp1251Lines) const {
  std::string all;
  for (const std::string& line : cp1251Lines) {
    if (!all.empty()) all += "\r\n";
    all += line;
  }
  SetText(all);
}

int ListBox::Add(std::string_view cp1251) const {
  return static_cast<int>(
      SendMessageW(hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(cp1251).c_str())));
}

std::string ListBox::Item(int index) const {
  const LRESULT length = SendMessageW(hwnd(), LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied =
      SendMessageW(hwnd(), LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
  return Narrow(text);
}

int ListBox::ItemAt(int x, int y) const {
  const LRESULT hit = SendMessageW(hwnd(), LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
  // The high word says the point lies outside every item.
  if (HIWORD(hit) != 0) return -1;
  return LOWORD(hit);
}

void ScrollBar::SetRange(int max, int page) const {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE;
  info.nMin = 0;
  info.nMax = max;
  info.nPage = static_cast<UINT>(page);
  SetScrollInfo(hwnd(), SB_CTL, &info, TRUE);
}

}  // namespace dw::ui
