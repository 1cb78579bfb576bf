#include "ui/dialogs/msg_layout.h"

#include <algorithm>

namespace dw::ui {
namespace {

struct CodeLook {
  TextId caption;
  int result;
};

constexpr CodeLook kCodes[] = {
    {TextId::ButtonYes, kResultYes},
    {TextId::ButtonNo, kResultNo},
    {TextId::ButtonOk, kResultOk},
    {TextId::ButtonCancel, kResultCancel},
};

bool KnownCode(int code) { return code >= 0 && code < static_cast<int>(std::size(kCodes)); }

}  // namespace

MsgKindLook MsgKindLookOf(int kind) {
  switch (kind) {
    case 0:
      return {TextId::MsgTitleWarning, MsgIcon::Warning};
    case 1:
      return {TextId::MsgTitleError, MsgIcon::Error};
    case 3:
      return {TextId::MsgTitleConfirm, MsgIcon::Confirm};
    default:
      return {TextId::MsgTitleInfo, MsgIcon::Info};
  }
}

int MsgFormWidth(int textWidth) {
  return std::max(kMsgMinFormWidth, textWidth + kMsgLabelLeft + 20);
}

int MsgLabelWidth(int formWidth) { return formWidth - kMsgLabelLeft - 16; }

int HalveRoundingToEven(std::int64_t numerator) {
  // Floor division, also for negative numerators.
  std::int64_t half = numerator / 2;
  if (numerator % 2 != 0 && numerator < 0) --half;
  if (numerator % 2 != 0 && half % 2 != 0) ++half;  // exactly x.5: to the even one
  return static_cast<int>(half);
}

int MsgFirstButtonLeft(int formWidth, int count) {
  const std::int64_t numerator =
      static_cast<std::int64_t>(formWidth) - std::int64_t{kMsgButtonPitch} * count + 5;
  return std::max(10, HalveRoundingToEven(numerator));
}

std::vector<MsgButton> MsgButtons(int formWidth, std::span<const int> codes) {
  const auto count = std::count_if(codes.begin(), codes.end(), KnownCode);
  std::vector<MsgButton> row;
  int left = MsgFirstButtonLeft(formWidth, static_cast<int>(count));
  for (int code : codes) {
    if (!KnownCode(code)) continue;
    row.push_back({left, kCodes[code].caption, kCodes[code].result});
    left += kMsgButtonPitch;
  }
  return row;
}

}  // namespace dw::ui
