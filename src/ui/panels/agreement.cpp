#include "ui/panels/agreement.h"

namespace dw::ui {

bool AgreementGateOpen(int position, int range, int visible) {
  return position > range - visible - 10;
}

std::span<const AgreementSection> AgreementSections() {
  static constexpr AgreementSection kSections[] = {
      {TextId::AgreementHeading1, TextId::AgreementText1},
      {TextId::AgreementHeading2, TextId::AgreementText2},
      {TextId::AgreementHeading3, TextId::AgreementText3},
      {TextId::AgreementHeading4, TextId::AgreementText4},
      {TextId::AgreementHeading5, TextId::AgreementText5},
      {TextId::AgreementHeading6, TextId::AgreementText6},
      {TextId::AgreementHeading7, TextId::AgreementText7},
      {TextId::AgreementHeading8, TextId::AgreementText8},
      {TextId::AgreementHeading9, TextId::AgreementText9},
      {TextId::AgreementHeading10, TextId::AgreementText10},
      {TextId::AgreementHeading11, TextId::AgreementText11},
      {TextId::AgreementHeading12, TextId::AgreementText12},
  };
  return kSections;
}

}  // namespace dw::ui
