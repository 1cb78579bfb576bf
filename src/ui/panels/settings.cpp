#include "ui/panels/settings.h"

namespace dw::ui {

void DrawModemItem(Canvas& canvas, const Rect& item, std::string_view cp1251, ModemItemState state,
                   const ModemListColours& colours) {
  canvas.SetBrushColor(state.selected ? kSelectedModemBackground : colours.window);
  canvas.SetFontColor(state.selected ? colours.highlightText : colours.windowText);
  canvas.FillRect(item);
  canvas.TextRect(item, item.left + kModemTextInset, item.top, cp1251);
  if (state.focused) canvas.DrawFocusRect(item);
}

int ModemItemAt(int x, int y, int width, int height, int topIndex, int count) {
  if (x < 0 || y < 0 || x >= width || y >= height || topIndex < 0) return -1;
  const int index = topIndex + y / kModemItemHeight;
  return index < count ? index : -1;
}

}  // namespace dw::ui
