// What the progress dialog shows in each of its layouts, without a window:
// the dialling layout, the error report, and the report with its details.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/texts.h"

namespace dw::ui {

constexpr int kProgressBarMax = 600;
constexpr int kProgressBarStep = 10;
constexpr int kDetailButtonTop = 72;
constexpr int kDetailButtonHeight = 25;
// The system's text and the advice under it, wrapped to the pane.
constexpr int kDetailsMaxLines = 12;
constexpr int kDetailsLineHeight = 16;

struct ProgressLayout {
  bool barVisible = true;
  TextId closeCaption = TextId::ButtonCancel;
  bool detailButtonVisible = false;
  TextId detailCaption = TextId::ProgressDetailsOpen;
  bool detailsVisible = false;
  std::vector<std::string> detailLines;
  int formHeight = 0;  // outer height of the form
};

// The error description as the details pane lists it: trimmed, split at line
// breaks, lines that are blank after trimming left out.
std::vector<std::string> DetailLines(std::string_view errorText);

// The form's height with `extra` pixels of details below the buttons (0 when
// the pane is closed, which is also the dialling height).
int ProgressFormHeight(int extra);
int DetailsExtraHeight(std::size_t lineCount);

ProgressLayout DiallingLayout();
// The details button follows the untrimmed text: blank-only text still
// offers it, and the opened pane is then empty.
ProgressLayout ErrorReportLayout(std::string_view errorText);
// The details button pressed in the error report: opens the pane with the
// current error text, or closes it.
ProgressLayout ToggleDetails(const ProgressLayout& current, std::string_view errorText);

// Cancel/Close, the title bar's close and Alt+F4 all ask the same: while the
// bar shows a dial is running, and the request cancels it; otherwise it
// dismisses the report.
enum class CloseRequest { CancelDial, DismissReport };
inline CloseRequest CloseRequestFor(bool barVisible) {
  return barVisible ? CloseRequest::CancelDial : CloseRequest::DismissReport;
}

}  // namespace dw::ui
