// The agreement panel's sizes, its text and the rule that lets the user
// agree, without windows.
#pragma once

#include <span>

#include "text/texts.h"

namespace dw::ui {

inline constexpr int kAgreementRange = 1155;      // the text's scroll range
inline constexpr int kAgreementBoxWidth = 470;
inline constexpr int kAgreementBoxHeight = 174;
inline constexpr int kAgreementBarMax = 1155;
inline constexpr int kAgreementBarPage = 170;
inline constexpr int kAgreementBarLargeStep = 150;
inline constexpr int kAgreementBarSmallStep = 10;

// The agreement may be accepted once the text has been brought within 10
// pixels of its end: position > range - visible - 10 (971 with the sizes
// above).
bool AgreementGateOpen(int position, int range, int visible);

struct AgreementSection {
  TextId heading;  // shown bold
  TextId text;
};
std::span<const AgreementSection> AgreementSections();

}  // namespace dw::ui
