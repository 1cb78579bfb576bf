#include "ui/status_display.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "log/log.h"
#include "text/texts.h"
#include "ui/main_controller.h"

namespace dw::ui {

std::uint64_t DivideRoundingToEven(std::uint64_t value, std::uint64_t divisor) {
  const std::uint64_t q = value / divisor;
  const std::uint64_t r = value % divisor;
  if (r * 2 > divisor) return q + 1;
  if (r * 2 == divisor) return q + (q & 1);
  return q;
}

std::uint64_t DivideRoundingUp(std::uint64_t value, std::uint64_t divisor) {
  return value / divisor + (value % divisor != 0 ? 1 : 0);
}

namespace {

std::string Number(std::uint64_t n) { return std::to_string(n); }

}  // namespace

std::string MaxSpeedText(std::uint32_t speed) {
  std::string text;
  if (speed > 9000000u) {
    text = Number(DivideRoundingToEven(speed, 1048576)) + " M";
  } else if (speed > 9000u) {
    text = Number(DivideRoundingToEven(speed, 1024)) + " K";
  } else {
    text = Number(speed) + " ";
  }
  return text + Text(TextId::UnitBytesPerSec);
}

std::string SpeedReadoutText(std::uint64_t v) {
  if (v > 10000000u) return Number(DivideRoundingUp(v, 1048576)) + " " + Text(TextId::UnitMegabytesPerSec);
  if (v > 100000u) return Number(DivideRoundingUp(v, 1024)) + " K" + Text(TextId::UnitBytesPerSec);
  return Number(v) + " " + Text(TextId::UnitBytesPerSec);
}

std::string TrafficText(std::uint64_t bytes) {
  if (bytes > 10000u) return Number(DivideRoundingToEven(bytes, 1024)) + " K" + Text(TextId::UnitBytes);
  return Number(bytes) + " " + Text(TextId::UnitBytes);
}

std::string ConnectionTimeText(std::chrono::milliseconds connected) {
  const auto ms = std::max<std::int64_t>(0, connected.count());
  const std::int64_t minutes = ms / 60000;
  const int m = static_cast<int>(minutes % 60);
  const char mm[] = {static_cast<char>('0' + m / 10), static_cast<char>('0' + m % 10), '\0'};
  return Number(static_cast<std::uint64_t>((minutes / 60) % 24)) + Text(TextId::TimeHours) + mm +
         Text(TextId::TimeMinutes);
}

// The status display's part of the main window.

void MainController::SetDisconnectedState() {
  SetConnectionHandle(0);
  connectedLook_ = false;
  UsageConnectionEnded();
  view_.SetCaption(ViewControl::ConnectionStatus, Text(TextId::StatusDisconnected));
  view_.SetTrayState(TrayMode::Keep, TrayTip(false));
  view_.SetCaption(ViewControl::ConnectButton, Text(TextId::CaptionConnect));
  view_.Repaint(ViewControl::ConnectButton);
}

void MainController::SetConnectedState(bool reset) {
  if (statThread_ == nullptr) {
    statThread_ = services_.CreateStatThread();
    graph_.Clear();
  } else {
    if (reset) {
      graph_.Clear();
      maxSpeed_ = 0;
    }
    statThread_->Restart();
  }
  if (statThread_ != nullptr) {
    statThread_->SetBaseline(baselineReceived_, baselineTransmitted_);
    statThread_->Resume();
  }
  connectedLook_ = true;
  UsageConnectionStarted();
  view_.SetCaption(ViewControl::ConnectionStatus, Text(TextId::StatusConnected));
  view_.SetTrayState(TrayMode::Keep, TrayTip(true));
  // A connect sends the notice itself, after this and off this thread.
  if (settings_.FirstStart && !connecting_) {
    std::string error, body;
    services_.NotifyFirstStart(error, body);
    if (!body.empty()) {
      WriteLog("FIRST_START", 0, body);
    } else {
      WriteLog("FIRST_START", 888, error);
    }
    settings_.FirstStart = false;
  }
  view_.SetCaption(ViewControl::ConnectButton, Text(TextId::CaptionDisconnect));
  view_.Repaint(ViewControl::ConnectButton);
}

void MainController::OnStatistics(std::uint32_t received, std::uint32_t sent) {
  if (statThread_ == nullptr || !statThread_->Running()) return;
  const std::chrono::milliseconds connected = statThread_->ConnectedTime();
  view_.SetCaption(ViewControl::ConnectionTime, ConnectionTimeText(connected));

  const std::uint32_t speed = statThread_->CurrentSpeed();
  if (speed > maxSpeed_) {
    view_.SetCaption(ViewControl::MaximumSpeed, MaxSpeedText(speed));
    maxSpeed_ = speed;
  }
  graph_.AddValue(speed);

  // The counters are unsigned and the total may pass 4 GiB: no wrap into
  // negative counts.
  const std::string texts[3] = {TrafficText(received), TrafficText(sent),
                                TrafficText(std::uint64_t{received} + sent)};
  const ViewControl labels[3] = {ViewControl::ReceivedBytes, ViewControl::SentBytes,
                                 ViewControl::TotalBytes};
  int width = 0;
  for (int i = 0; i < 3; ++i) {
    view_.SetCaption(labels[i], texts[i]);
    width = std::max(width, view_.TextWidth(labels[i], texts[i]));
  }
  for (ViewControl label : labels) view_.SetWidth(label, width);

  const auto ms = std::max<std::int64_t>(0, connected.count());
  LocalDateTime time;
  time.hour = static_cast<int>((ms / 3600000) % 24);
  time.minute = static_cast<int>((ms / 60000) % 60);
  time.second = static_cast<int>((ms / 1000) % 60);
  const std::string longTime =
      setup_.environment != nullptr ? setup_.environment->FormatLongTime(time) : std::string();
  const std::string line = "Speed: " + Number(speed) + " Received " + Number(received) +
                           " Tramsmitted " + Number(sent) + " Time " + longTime;
  WriteLog("THREAD-new-stat", 0, line);

  view_.EnableGraphTooltip(!view_.HintShowing());
  view_.Repaint(ViewControl::SpeedGraph);
  UsageSample(received, sent);
}

void MainController::OnGraphMouseMove(int x, int y) {
  if (x < 0 || x > graph_.Width() || y < 0 || y > graph_.Height()) return;
  const std::int64_t v = graph_.ValueAt(x);
  if (v < 0) return;
  const std::string text = SpeedReadoutText(static_cast<std::uint64_t>(v));
  if (!text.empty()) view_.SetGraphTooltip(text);
}

void MainController::OnGraphMouseDown(bool leftOnly, int x, int y) {
  if (!leftOnly || x < 0) return;
  const std::int64_t v = graph_.ValueAt(x);
  if (v < 0) return;
  const std::string text = SpeedReadoutText(static_cast<std::uint64_t>(v));
  view_.EnableGraphTooltip(false);
  if (!text.empty()) view_.ShowHintAt(HintAnchor::Graph, x, text, std::max(0, y - 20));
}

}  // namespace dw::ui
