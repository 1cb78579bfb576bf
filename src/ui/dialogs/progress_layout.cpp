#include "ui/dialogs/progress_layout.h"

#include <algorithm>

namespace dw::ui {
namespace {

// Blanks and control characters, as a trim of the framework counts them;
// 1251 letters are above 0x7F and stay.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

std::vector<std::string> DetailLines(std::string_view errorText) {
  std::vector<std::string> lines;
  std::string_view rest = Trim(errorText);
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\r\n");
    const std::string_view line = rest.substr(0, end);
    if (!Trim(line).empty()) lines.emplace_back(line);
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
