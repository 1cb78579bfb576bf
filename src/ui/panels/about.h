// What the about panel says and where its links lead, without windows.
#pragma once

#include <string>
#include <string_view>

#include "platform/clock.h"

namespace dw::ui {

inline constexpr std::string_view kProductName = "Dialwave";
// The operator's web site as shown and as opened.
inline constexpr std::string_view kWebSiteText = "www.korvana.example";
inline constexpr std::string_view kWebSiteAddress = "http://www.korvana.example/";
inline constexpr std::string_view kSupportMail = "support@korvana.example";

// "Dialwave", two empty lines (the version goes there), the purpose.
std::string AboutProductText();
// "Версия: " and the program version.
std::string AboutVersionText(std::string_view programVersion);
// The maker's notice and the customer-service number, one a line.
std::string AboutNoticeText();
// What the shell opens for the mail link.
std::string MailLinkTarget();

// Where the report link writes: the file ReportFileName names in `desktop`
// (a trailing separator or none); empty without a desktop.
std::string SupportReportPath(std::string_view desktop, const LocalDateTime& now);
// What the user is told when the report is not on the desktop, or is there
// but the system has nothing to open it with (code page 1251). The file by
// its name only: the message box has one line, and the desktop says where.
std::string ReportNotWrittenText(std::string_view path);
std::string ReportNotOpenedText(std::string_view path);

}  // namespace dw::ui
