#include "ras/advice.h"

#include <gtest/gtest.h>

#include <set>

#include "text/texts.h"

namespace dw::ras {
namespace {

TEST(Advice, TheCommonCodesHaveTheirOwnAndTheRestTheGeneral) {
  // The codes subscribers meet most, each with its own words.
  std::set<std::string> advice;
  for (const Dword code : {619u, 628u, 629u, 633u, 678u, 680u, 691u, 692u, 711u, 718u, 734u, 777u, 797u}) {
    EXPECT_TRUE(HasOwnAdvice(code)) << code;
    EXPECT_NE(Advice(code), Text(TextId::AdviceOther)) << code;
    EXPECT_NE(AdviceCause(code), Text(TextId::CauseOther)) << code;
    EXPECT_TRUE(advice.insert(Advice(code)).second) << code << " shares another code's advice";
  }
  for (const Dword code : {0u, 600u, 620u, 690u, 735u, 12345u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(HasOwnAdvice(code)) << code;
    EXPECT_EQ(Advice(code), Text(TextId::AdviceOther)) << code;
    EXPECT_EQ(AdviceCause(code), Text(TextId::CauseOther)) << code;
  }
  const auto codes = AdvisedCodes();
  EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end()));
  for (const Dword code : codes) EXPECT_TRUE(HasOwnAdvice(code));
}

TEST(Advice, WhatToDoFollowsTheSystemsText) {
  EXPECT_EQ(ErrorDetailsWithAdvice("Access denied.", 691),
            "Access denied.\r\n\r\n" + Text(TextId::AdviceLabel) + Advice(691));
  // Without the system's text (Wine's stub gives none) the advice stands alone.
  EXPECT_EQ(ErrorDetailsWithAdvice("", 633), Text(TextId::AdviceLabel) + Advice(633));
}

}  // namespace
}  // namespace dw::ras
