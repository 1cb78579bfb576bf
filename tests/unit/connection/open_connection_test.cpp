#include <gtest/gtest.h>

#include "connection/open_connection.h"
#include "text/texts.h"

namespace dw::connection {
namespace {

TEST(OpenConnectionReport, CaptionAndDetailsFollowTheErrorCode) {
  const ErrorReport none = ErrorReportFor(0);
  EXPECT_EQ(none.caption, Text(TextId::ConnError));
  EXPECT_EQ(TextUtf8(TextId::ConnError), "Ошибка при соединении.");
  const ErrorReport unavailable = ErrorReportFor(734);
  EXPECT_EQ(unavailable.caption, Text(TextId::ConnServiceUnavailable));
  EXPECT_FALSE(unavailable.keepDetails) << "734 never offers the details";
  EXPECT_EQ(TextUtf8(TextId::ConnServiceUnavailable), "Ошибка. Услуга недоступна");
  const ErrorReport code = ErrorReportFor(691);
  EXPECT_EQ(code.caption, Text(TextId::ConnErrorCode) + "691");
  EXPECT_TRUE(code.keepDetails);
  EXPECT_EQ(TextUtf8(TextId::ConnErrorCode), "Ошибка при соединении. Код ");
  // Only the Cyrillic first letter of the APN word.
  const std::string update = Text(TextId::ConnApnUpdate);
  EXPECT_NE(update.find("\xC0PN"), std::string::npos);
}

}  // namespace
}  // namespace dw::connection
