// The common ground of the panels' contents: a child window over the main
// window's panel that shows the panel's own look under it (the skin), texts
// in the skin's fonts and colours, and links.
#pragma once

#include "platform/win32/win.h"

#include <functional>
#include <map>
#include <string_view>

#include "platform/win32/unique_handle.h"
#include "ui/framework/controls_win.h"
#include "ui/framework/window_win.h"

namespace dw::ui {

inline constexpr COLORREF kLinkColour = RGB(0x33, 0x00, 0x79);

enum class TextStyle { Normal, Bold, Link };

class PanelContent : public WindowBase {
 public:
  ~PanelContent() override;

  // Texts: static controls; links report clicks and double-clicks.
  Label AddText(HWND parent, const Bounds& b, std::string_view cp1251, TextStyle style,
                COLORREF colour = RGB(0, 0, 0));
  HFONT FontOf(TextStyle style) const;
  // Height of `cp1251` wrapped to `width` in `style`.
  int TextHeight(std::string_view cp1251, int width, TextStyle style) const;

  // A text's colour (black for a window that is no text of the panel's);
  // a new colour shows at once.
  COLORREF TextColour(HWND text) const;
  void SetTextColour(HWND text, COLORREF colour);

  // Handlers of a link's click and double-click (by its window).
  void OnLinkClick(HWND link, std::function<void()> handler) { clicks_[link] = std::move(handler); }
  void OnLinkDoubleClick(HWND link, std::function<void()> handler) {
    doubleClicks_[link] = std::move(handler);
  }

 protected:
  bool CreateContent(const char* className, HWND parent, const Bounds& b);
  // A button released over the panel itself; nothing by default.
  virtual void OnMouseUp() {}
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  UniqueFont normal_, bold_, link_;
  std::map<HWND, COLORREF> colours_;
  std::map<HWND, std::function<void()>> clicks_, doubleClicks_;
};

}  // namespace dw::ui
