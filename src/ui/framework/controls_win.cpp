#include "ui/framework/controls_win.h"

#include "platform/win32/user_api_win.h"

namespace dw::ui {

void Control::SetText(std::string_view cp1251) const { user::SetText(hwnd_, cp1251); }

std::string Control::Text() const { return user::GetText(hwnd_); }

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
  SendMessageA(hwnd(), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
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

int ListBox::Add(std::string_view cp1251) const { return user::AddListItem(hwnd(), cp1251); }

std::string ListBox::Item(int index) const { return user::ListItem(hwnd(), index); }

int ListBox::ItemAt(int x, int y) const {
  const LRESULT hit = SendMessageA(hwnd(), LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
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
