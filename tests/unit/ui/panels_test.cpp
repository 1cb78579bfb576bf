#include <gtest/gtest.h>

#include <set>

#include "text/cp1251.h"
#include "ui/panels/about.h"
#include "ui/panels/agreement.h"

namespace dw::ui {
namespace {

TEST(AgreementGate, OpensOnlyWithinTenPixelsOfTheEnd) {
  EXPECT_FALSE(AgreementGateOpen(0, kAgreementRange, kAgreementBoxHeight));
  EXPECT_FALSE(AgreementGateOpen(971, kAgreementRange, kAgreementBoxHeight));
  EXPECT_TRUE(AgreementGateOpen(972, kAgreementRange, kAgreementBoxHeight));
  EXPECT_TRUE(AgreementGateOpen(981, kAgreementRange, kAgreementBoxHeight));
  // Other sizes follow the same rule.
  EXPECT_FALSE(AgreementGateOpen(290, 500, 200));
  EXPECT_TRUE(AgreementGateOpen(291, 500, 200));
}

TEST(AgreementText, NumberedSectionsWithDistinctTexts) {
  std::set<std::string> seen;
  int number = 0;
  for (const AgreementSection& s : AgreementSections()) {
    ++number;
    const std::string heading = Text(s.heading);
    EXPECT_EQ(heading.rfind(std::to_string(number) + ". ", 0), 0u) << heading;
    EXPECT_GT(Text(s.text).size(), 200u);
    EXPECT_TRUE(seen.insert(Text(s.text)).second);
  }
  EXPECT_GE(number, 5);
}

TEST(AboutTexts, ProductVersionNoticeAndLinks) {
  EXPECT_EQ(AboutProductText(),
            "Dialwave\r\n\r\n\r\n" + Utf8ToCp1251("Программа настройки компьютера для получения "
                                                  "доступа к сети Интернет через мобильный телефон"));
  EXPECT_EQ(AboutVersionText("1.0"), Utf8ToCp1251("Версия: 1.0"));
  const std::string notice = AboutNoticeText();
  EXPECT_NE(notice.find("\r\n"), std::string::npos);
  EXPECT_EQ(notice.find("\r\n"), notice.rfind("\r\n")) << "exactly two lines";
  EXPECT_EQ(static_cast<unsigned char>(notice[0]), 0xA9u) << "the copyright sign in 1251";
  EXPECT_EQ(MailLinkTarget(), "mailto:support@korvana.example");
  EXPECT_EQ(Text(TextId::AboutQuestions),
            Utf8ToCp1251("Вопросы и предложения по работе программы присылайте по адресу:"));
  EXPECT_EQ(Text(TextId::PanelReturn), Utf8ToCp1251("<  Вернуться в программу"));
}

TEST(AboutTexts, TheSupportReportsPathAndWhatTheUserIsTold) {
  const LocalDateTime at{2026, 3, 4, 9, 7, 0, 0};
  EXPECT_EQ(SupportReportPath("C:\\WINDOWS\\Desktop", at),
            "C:\\WINDOWS\\Desktop\\Dialwave-report-20260304-0907.txt");
  EXPECT_EQ(SupportReportPath("C:\\", at), "C:\\Dialwave-report-20260304-0907.txt");
  EXPECT_EQ(SupportReportPath("", at), "") << "no desktop: nowhere to write";
  EXPECT_EQ(ReportNotWrittenText(""), Text(TextId::AboutReportNoDesktop));
  EXPECT_EQ(ReportNotWrittenText("C:\\d\\r.txt"),
            Utf8ToCp1251("Не удалось записать на рабочий стол отчёт r.txt"));
  EXPECT_EQ(ReportNotOpenedText("C:\\Documents and Settings\\user\\Desktop\\r.txt"),
            Utf8ToCp1251("Отчёт записан на рабочий стол: r.txt. Откройте этот файл в Блокноте."));
}

}  // namespace
}  // namespace dw::ui
