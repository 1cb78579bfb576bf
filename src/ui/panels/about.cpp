#include "ui/panels/about.h"

#include "report/report.h"
#include "text/texts.h"

namespace dw::ui {

std::string AboutProductText() {
  return std::string(kProductName) + "\r\n\r\n\r\n" + Text(TextId::AboutPurpose);
}

std::string AboutVersionText(std::string_view programVersion) {
  return Text(TextId::AboutVersion) + std::string(programVersion);
}

std::string AboutNoticeText() {
  return Text(TextId::AboutMaker) + "\r\n" + Text(TextId::AboutSupportPhone);
}

std::string MailLinkTarget() { return "mailto:" + std::string(kSupportMail); }

std::string SupportReportPath(std::string_view desktop, const LocalDateTime& now) {
  if (desktop.empty()) return {};
  std::string path(desktop);
  if (path.back() != '\\' && path.back() != '/') path += '\\';
  return path + report::ReportFileName(now);
}

namespace {

std::string FileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

std::string ReportNotWrittenText(std::string_view path) {
  if (path.empty()) return Text(TextId::AboutReportNoDesktop);
  return Text(TextId::AboutReportNotWritten) + FileNameOf(path);
}

std::string ReportNotOpenedText(std::string_view path) {
  return Text(TextId::AboutReportWrittenTo) + FileNameOf(path) + Text(TextId::AboutReportNotOpened);
}

}  // namespace dw::ui
