#include "ui/dialogs/progress_layout.h"

#include <algorithm>

#include "text/fold.h"

namespace dw::ui {

std::vector<std::string> DetailLines(std::string_view errorText) {
  std::vector<std::string> lines;
  std::string_view rest = TrimBlanks(errorText);
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\r\n");
    const std::string_view line = rest.substr(0, end);
    if (!TrimBlanks(line).empty()) lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    // CR LF is one break; a lone CR or LF is one too.
    const std::size_t next = (rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n')
                                 ? end + 2
                                 : end + 1;
    rest.remove_prefix(next);
  }
  return lines;
}

int ProgressFormHeight(int extra) { return kDetailButtonTop + kDetailButtonHeight + extra + 40; }

int DetailsExtraHeight(std::size_t lineCount) {
  return static_cast<int>(std::min<std::size_t>(kDetailsMaxLines, lineCount)) * kDetailsLineHeight +
         10;
}

ProgressLayout DiallingLayout() {
  ProgressLayout layout;
  layout.formHeight = ProgressFormHeight(0);
  return layout;
}

ProgressLayout ErrorReportLayout(std::string_view errorText) {
  ProgressLayout layout;
  layout.barVisible = false;
  layout.closeCaption = TextId::ProgressClose;
  layout.detailButtonVisible = !errorText.empty();
  layout.formHeight = ProgressFormHeight(0);
  return layout;
}

ProgressLayout ToggleDetails(const ProgressLayout& current, std::string_view errorText) {
  ProgressLayout next = current;
  if (current.detailsVisible) {
    next.detailsVisible = false;
    next.detailLines.clear();
    next.detailCaption = TextId::ProgressDetailsOpen;
    next.formHeight = ProgressFormHeight(0);
  } else {
    next.detailsVisible = true;
    next.detailLines = DetailLines(errorText);
    next.detailCaption = TextId::ProgressDetailsClose;
    next.formHeight = ProgressFormHeight(DetailsExtraHeight(next.detailLines.size()));
  }
  return next;
}

}  // namespace dw::ui
