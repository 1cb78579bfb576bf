#include "ui/panels/about.h"

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

}  // namespace dw::ui
