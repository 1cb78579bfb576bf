// The settings panel's modem list and links without windows: the list's
// colours and item geometry, how an item is drawn, which item the pointer
// is over, and the link colours.
#pragma once

#include <string_view>

#include "platform/canvas.h"

namespace dw::ui {

inline constexpr int kModemItemHeight = 17;
// The item text starts this far from the list's left edge.
inline constexpr int kModemTextInset = 5;
inline constexpr Color kSettingsLinkColour = Rgb(0x33, 0x00, 0x79);
// "Обновить" while a refresh runs.
inline constexpr Color kRefreshLinkColour = Rgb(0x68, 0x54, 0x96);
inline constexpr Color kSelectedModemBackground = Rgb(0x89, 0x66, 0xB5);
// The grey frame panel around the list (one pixel larger on each side).
inline constexpr Color kModemFrameColour = Rgb(0x80, 0x80, 0x80);

// The list's own colours: its background and font colour, and the system's
// highlight-text colour for the selected item.
struct ModemListColours {
  Color window = SystemColor(5);         // COLOR_WINDOW
  Color windowText = SystemColor(8);     // COLOR_WINDOWTEXT
  Color highlightText = SystemColor(14); // COLOR_HIGHLIGHTTEXT
};

struct ModemItemState {
  bool selected = false;
  bool focused = false;  // holds the keyboard focus
};

// One item: its rectangle filled with the background colour, the text at
// kModemTextInset from the left and at the item's top, clipped to the item,
// and the focus rectangle on the focused item.
void DrawModemItem(Canvas& canvas, const Rect& item, std::string_view cp1251, ModemItemState state,
                   const ModemListColours& colours = {});

// The item under (x, y) of a list `width` x `height` whose first visible item
// is `topIndex`, or -1 when the point is on no item.
int ModemItemAt(int x, int y, int width, int height, int topIndex, int count);

}  // namespace dw::ui
