// What the about panel says and where its links lead, without windows.
#pragma once

#include <string>
#include <string_view>

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

}  // namespace dw::ui
