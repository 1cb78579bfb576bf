#include "ui/panels/agreement_panel_win.h"

#include "text/texts.h"
#include "ui/panels/agreement.h"

namespace dw::ui {
namespace {

constexpr Bounds kHeading{10, 4, 300, 24};
constexpr Bounds kBox{10, 34, kAgreementBoxWidth, kAgreementBoxHeight};
constexpr Bounds kBar{kBox.x + kBox.width, kBox.y, 16, kBox.height};
constexpr Bounds kDisagree{10, 226, 85, 25};
constexpr Bounds kAgree{kBox.x + kBox.width - 85, 226, 85, 25};
constexpr Bounds kReturn{10, 231, 200, 16};

constexpr int kTextLeft = 8;
constexpr int kTextWidth = kAgreementBoxWidth - 2 * kTextLeft;
constexpr int kTextTop = 6;
constexpr int kHeadingGap = 3;
constexpr int kSectionGap = 10;

}  // namespace

void StyleSkinButton(SkinButton& b, std::string_view caption) {
  b.caption = std::string(caption);
  b.faceColour = Rgb(0xF4, 0xF4, 0xF0);
  b.pressedColour = Rgb(0xBC, 0xB9, 0xF6);
  b.outerRingColour = kBlack;
  b.innerRingColour = kBlack;
  b.borderColour = Rgb(0x00, 0x06, 0x74);
  b.backgroundColour = kWhite;
  b.outerRingWidth = 0;
  b.innerRingWidth = 0;
  b.cornerDiameter = 4;
  b.borderWidth = 1;
  b.font = {"Tahoma", -12, kBlack};
}

AgreementPanel::AgreementPanel(HWND parent, const Bounds& b, HMODULE resources) {
  if (!CreateContent(kClassName, parent, b)) return;
  heading.Create(hwnd(), kHeading);
  if (resources != nullptr) heading.LoadGif(resources, "HEADING_AGREEMENT");

  textBox.Create(hwnd(), kBox, kAgreementRange, RGB(255, 255, 255));
  scrollBar.Create(hwnd(), kBar, kAgreementBarMax, kAgreementBarPage, kAgreementBarSmallStep,
                   kAgreementBarLargeStep);
  FillText();

  // Wheel: the box has moved itself; the bar follows.
  textBox.onWheel = [this] {
    RunGate();
    scrollBar.SetPosition(textBox.Position());
  };
  textBox.onMouseUp = [this] { OnMouseUp(); };
  scrollBar.onChange = [this] {
    textBox.SetPosition(scrollBar.Position());
    RunGate();
    SetFocus(textBox.hwnd());
  };

  StyleSkinButton(disagreeButton, Text(TextId::AgreementDisagree));
  StyleSkinButton(agreeButton, Text(TextId::AgreementAgree));
  disagreeButton.onClick = [this](SkinButton&) {
    if (onDisagree) onDisagree();
  };
  agreeButton.onClick = [this](SkinButton&) {
    if (onAgree) onAgree();
  };
  disagreeWindow_.Create(hwnd(), kDisagree.x, kDisagree.y, kDisagree.width, kDisagree.height);
  agreeWindow_.Create(hwnd(), kAgree.x, kAgree.y, kAgree.width, kAgree.height);

  backLink = AddText(hwnd(), kReturn, Text(TextId::PanelReturn), TextStyle::Link);
  OnLinkClick(backLink.hwnd(), [this] {
    if (onReturn) onReturn();
  });
  backLink.SetVisible(false);
}

void AgreementPanel::FillText() {
  int y = kTextTop;
  for (const AgreementSection& section : AgreementSections()) {
    for (const auto& [id, style] : {std::pair{section.heading, TextStyle::Bold},
                                    std::pair{section.text, TextStyle::Normal}}) {
      const int height = TextHeight(Text(id), kTextWidth, style);
      AddText(textBox.Content(), {kTextLeft, y, kTextWidth, height}, Text(id), style);
      y += height + (style == TextStyle::Bold ? kHeadingGap : kSectionGap);
    }
  }
  textBottom_ = y - kSectionGap;
}

void AgreementPanel::ScrollToStart() {
  textBox.SetPosition(0);
  scrollBar.SetPosition(0);
}

void AgreementPanel::SetAgreeEnabled(bool enabled) { agreeWindow_.SetEnabled(enabled); }

void AgreementPanel::ShowDecisionButtons(bool show) {
  ShowWindow(agreeWindow_.hwnd(), show ? SW_SHOWNA : SW_HIDE);
  ShowWindow(disagreeWindow_.hwnd(), show ? SW_SHOWNA : SW_HIDE);
  backLink.SetVisible(!show);
}

void AgreementPanel::RunGate() {
  if (AgreementGateOpen(textBox.Position(), textBox.Range(), textBox.VisibleHeight())) {
    SetAgreeEnabled(true);
  }
}

void AgreementPanel::OnMouseUp() {
  RunGate();
  SetFocus(textBox.hwnd());
}

}  // namespace dw::ui
