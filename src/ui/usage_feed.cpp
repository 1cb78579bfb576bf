// The main window's part of the usage ledger: every connection it dials or
// adopts feeds the recorder, the file is written while connected at most
// once a minute and at every disconnect and close, the budget's warnings and
// guard reach the user, and the tray tip carries the period's total.
#include <string>

#include "log/log.h"
#include "text/texts.h"
#include "ui/dialogs/msg_layout.h"
#include "ui/main_controller.h"
#include "ui/panels/usage.h"

namespace dw::ui {
namespace {

constexpr int kKindError = 1;
constexpr int kKindConfirm = 3;

usage::BudgetSettings BudgetOf(const Settings& settings) {
  usage::BudgetSettings budget;
  budget.billingDay = settings.BillingDay;
  budget.allowanceMb = settings.AllowanceMb;
  budget.disconnectWhenUsedUp = settings.DisconnectWhenUsedUp;
  return budget;
}

}  // namespace

void MainController::StartLedger() {
  if (setup_.usageFiles == nullptr || setup_.clock == nullptr) return;
  usage::UsageRecorder::Setup s;
  s.files = setup_.usageFiles;
  s.path = setup_.usagePath;
  s.budget = BudgetOf(settings_);
  usage_ = std::make_unique<usage::UsageRecorder>(std::move(s), setup_.clock->Now());
}

void MainController::UsageConnectionStarted() {
  sessionBytes_ = 0;
  if (usage_ == nullptr) return;
  usage_->ConnectionStarted({baselineReceived_, baselineTransmitted_}, setup_.clock->Now(),
                            setup_.clock->Monotonic());
}

void MainController::UsageSample(std::uint32_t received, std::uint32_t sent) {
  sessionBytes_ = std::uint64_t{received} + sent;
  if (usage_ == nullptr) return;
  const LocalDateTime now = setup_.clock->Now();
  const auto mono = setup_.clock->Monotonic();
  // The sampler sends the counters less the baseline; the recorder wants
  // them as the system reads them (32-bit, wrapping like them).
  const usage::Counters counters{baselineReceived_ + received, baselineTransmitted_ + sent};
  const usage::BudgetNews news = usage_->Sample(counters, now, mono);
  usage_->FlushIfDue(now, mono);
  view_.SetTrayTip(TrayTip(true));
  if (currentStage_ == kShowUsage) RefreshUsagePanel(false);
  if (news.warn80) WriteLog("USAGE", 80, "80% of the allowance used");
  if (news.warn100) WriteLog("USAGE", 100, "the allowance is used up");
  if (news.disconnect) {
    WriteLog("USAGE", 101, "hang-up: the allowance is used up");
    if (Disconnect()) SetDisconnectedState();
    view_.ShowUsageWarning(Text(TextId::UsageLimitHungUp));
  } else if (news.warn100) {
    view_.ShowUsageWarning(Text(TextId::UsageWarning100));
  } else if (news.warn80) {
    view_.ShowUsageWarning(Text(TextId::UsageWarning80));
  }
}

void MainController::UsageConnectionEnded() {
  if (usage_ == nullptr) return;
  const LocalDateTime now = setup_.clock->Now();
  const auto mono = setup_.clock->Monotonic();
  if (usage_->Connected()) usage_->ConnectionEnded(now, mono);
  usage_->FlushNow(now, mono);
}

bool MainController::UsageAllowsConnect() {
  if (usage_ == nullptr) return true;
  usage_->SetBudget(BudgetOf(settings_));
  const LocalDateTime now = setup_.clock->Now();
  if (!usage_->AskBeforeConnect(now)) return true;
  static constexpr int kCodes[] = {kMsgYes, kMsgNo};
  if (view_.ShowMsg(Text(TextId::UsageConnectAnyway), kKindConfirm, kCodes) != kResultYes) {
    return false;
  }
  WriteLog("USAGE", 102, "connect anyway: the allowance is used up");
  usage_->ConnectAnyway(now, setup_.clock->Monotonic());
  return true;
}

std::string MainController::TrayTip(bool connected) const {
  std::string tip = Text(connected ? TextId::TrayConnected : TextId::TrayDisconnected);
  if (usage_ == nullptr) return tip;
  const LocalDateTime now = setup_.clock->Now();
  const std::uint64_t period = usage_->PeriodTotals(usage_->CurrentPeriod(now)).Bytes();
  // One line: 98's tray draws a line break as a box.
  tip += ", ";
  if (connected) {
    tip += Text(TextId::TipSession) + MegabytesText(sessionBytes_) + Text(TextId::TipPeriod);
  } else {
    tip += Text(TextId::TipPeriodOnly);
  }
  return tip + MegabytesText(period) + " " + Text(TextId::UnitMegabytes);
}

void MainController::RefreshUsagePanel(bool fields) {
  if (usage_ != nullptr) view_.ShowUsageFigures(MakeUsageFigures(*usage_, setup_.clock->Now()), fields);
}

void MainController::OpenUsagePanel() {
  if (usage_ == nullptr || currentStage_ == kShowUsage) return;
  usageReturn_ = currentStage_;
  RefreshUsagePanel(true);
  ShowStage(kShowUsage);
  ToFront(Panel::Usage);
}

void MainController::ReturnFromUsage() {
  if (currentStage_ != kShowUsage) return;
  ToBack(Panel::Usage);
  ShowStage(usageReturn_);
}

bool MainController::SaveBudget(const std::string& billingDay, const std::string& allowanceMb,
                                bool disconnect) {
  const auto budget = BudgetFromFields(billingDay, allowanceMb, disconnect);
  if (!budget) {
    view_.ShowMsg(Text(TextId::UsageFieldsInvalid), kKindError, std::span<const int>(&kMsgOk, 1));
    return false;
  }
  settings_.BillingDay = budget->billingDay;
  settings_.AllowanceMb = budget->allowanceMb;
  settings_.DisconnectWhenUsedUp = budget->disconnectWhenUsedUp;
  // Kept at once, not only at the close: a crash or a kill keeps them too.
  SaveSettings(*setup_.registry, setup_.commandLine, settings_);
  if (usage_ != nullptr) usage_->SetBudget(*budget);
  RefreshUsagePanel(true);
  return true;
}

}  // namespace dw::ui
