// What the program's own message box shows, without a window: the title and
// icon of each kind, the buttons of each code, and where they go.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "text/texts.h"

namespace dw::ui {

// The kinds and button codes are numbered as callers pass them.
enum class MsgIcon { Warning, Error, Info, Confirm };

struct MsgKindLook {
  TextId title;
  MsgIcon icon;
};

// Kind 0 warning, 1 error, 3 confirmation; 2 and any other value information.
MsgKindLook MsgKindLookOf(int kind);

constexpr int kMsgYes = 0;
constexpr int kMsgNo = 1;
constexpr int kMsgOk = 2;
constexpr int kMsgCancel = 3;

// The standard dialog results (IDOK, IDCANCEL, IDYES, IDNO).
enum : int { kResultOk = 1, kResultCancel = 2, kResultYes = 6, kResultNo = 7 };

struct MsgButton {
  int left = 0;
  TextId caption = TextId::ButtonOk;
  int result = kResultOk;
};

constexpr int kMsgLabelLeft = 60;
constexpr int kMsgLabelTop = 16;
constexpr int kMsgLabelHeight = 13;
constexpr int kMsgButtonTop = 56;
constexpr int kMsgButtonWidth = 75;
constexpr int kMsgButtonHeight = 25;
constexpr int kMsgButtonPitch = 80;  // width and the 5-pixel gap
constexpr int kMsgMinFormWidth = 300;

// The form's outer width for a one-line text of `textWidth` pixels: the text
// never wraps, so a long one widens the box, even beyond the screen.
int MsgFormWidth(int textWidth);
int MsgLabelWidth(int formWidth);

// Nearest integer to numerator / 2, halves to the even neighbour.
int HalveRoundingToEven(std::int64_t numerator);

// Left edge of the first of `count` buttons centred in `formWidth`.
int MsgFirstButtonLeft(int formWidth, int count);

// The row of buttons for `codes`, in order. A code outside 0-3 has no caption
// or result to give, so it makes no button and takes no place in the row.
std::vector<MsgButton> MsgButtons(int formWidth, std::span<const int> codes);

}  // namespace dw::ui
