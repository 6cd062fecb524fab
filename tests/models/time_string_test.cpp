// time_string_test.cpp -- the time-text rule, its quirks kept.
#include <gtest/gtest.h>

#include "sequencing/time_string.h"

using MorlenGL::ParseTimeString;

TEST(TimeString, TimelineTexts) {
  EXPECT_EQ(ParseTimeString("0:00.0"), 0);
  EXPECT_EQ(ParseTimeString("0:0.0"), 0);
  EXPECT_EQ(ParseTimeString("5:04.0"), 30400);
  EXPECT_EQ(ParseTimeString("0:57.0"), 5700);
  EXPECT_EQ(ParseTimeString("1:20.001"), 8001);
  EXPECT_EQ(ParseTimeString("3:20.01"), 20001);
  EXPECT_EQ(ParseTimeString("4:20.01"), 26001);
  EXPECT_EQ(ParseTimeString("5:30.0"), 33000);
}

TEST(TimeString, Quirks) {
  EXPECT_EQ(ParseTimeString(""), 0);
  EXPECT_EQ(ParseTimeString("1:20"), 80);  // no point: not multiplied by 100
  EXPECT_EQ(ParseTimeString("0:12"), 12);
  EXPECT_EQ(ParseTimeString("12"), 12);
  EXPECT_EQ(ParseTimeString("0:01.5"), 105);  // ".5" is 5 hundredths
  EXPECT_EQ(ParseTimeString("1:"), 60);
  EXPECT_EQ(ParseTimeString("2."), 200);
  EXPECT_EQ(ParseTimeString("1:2:3"), 123);  // a later colon replaces the value
  EXPECT_EQ(ParseTimeString("x:y.z"), 0);
}

TEST(TimeString, AbsurdTextsSaturateInsteadOfOverflowing) {
  EXPECT_EQ(ParseTimeString("99999999999:0.0"), INT32_MAX);
  EXPECT_EQ(ParseTimeString("-99999999999:0.0"), INT32_MIN);
  EXPECT_EQ(ParseTimeString(std::string(5000, '9')), INT32_MAX);
}
