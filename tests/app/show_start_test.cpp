// show_start_test.cpp -- command-line times, scene names and the show's own arguments, read once for every tool.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "show/show_start.h"

using namespace MorlenGL;

namespace {

int32_t TimeOf(const char* text) {
  int32_t t = -1;
  std::string error;
  EXPECT_TRUE(ReadCommandLineTime(text, &t, &error)) << text << ": " << error;
  return t;
}

std::string RefusalOf(const char* text) {
  int32_t t = -1;
  std::string error;
  EXPECT_FALSE(ReadCommandLineTime(text, &t, &error)) << text << " read as " << t;
  EXPECT_EQ(t, -1) << text;
  return error;
}

}  // namespace

TEST(CommandLineTime, ReadsOrdinaryDecimals) {
  EXPECT_EQ(TimeOf("0:10.5"), 1050);
  EXPECT_EQ(TimeOf("1:20.01"), 8001);
  EXPECT_EQ(TimeOf("1:20.5"), 8050);
  EXPECT_EQ(TimeOf("1:20"), 8000);
  EXPECT_EQ(TimeOf("57"), 5700);
  EXPECT_EQ(TimeOf("90.25"), 9025);
  EXPECT_EQ(TimeOf("5:04.0"), 30400);
  EXPECT_EQ(TimeOf("0:00.0"), 0);
}

TEST(CommandLineTime, RefusesWhatIsNoTimeAndMoreThanTwoDecimals) {
  for (const char* text : {"", "abc", ":20", "1:", "1:20.", ".5", "-1:00", "1:2:3", "1:2x", "12345:00", "1:60",
                           "1:20.5s", "123456"})
    EXPECT_NE(RefusalOf(text).find(std::string("'") + text + "'"), std::string::npos) << text;
  EXPECT_NE(RefusalOf("1:20.001").find("--scene"), std::string::npos);
}

TEST(SceneNames, NumbersAndNamesFindTheSameSceneAndWindowsEndWithTheShow) {
  int byName = -1, byNumber = -1;
  std::string error;
  ASSERT_TRUE(FindScene("greeting", &byName, &error));
  ASSERT_TRUE(FindScene("3", &byNumber, &error));
  EXPECT_EQ(byName, 2);
  EXPECT_EQ(byNumber, 2);
  EXPECT_EQ(SceneSection(2).from, 8001);
  EXPECT_EQ(SceneSection(2).to, 11200);
  EXPECT_EQ(SceneSection(0).from, 0);
  EXPECT_EQ(SceneSection(6).from, 26001);
  EXPECT_EQ(SceneSection(6).to, kShowEnd);
  for (const char* bad : {"0", "8", "03", "", "green"}) {
    int index = -1;
    EXPECT_FALSE(FindScene(bad, &index, &error)) << bad;
    EXPECT_NE(error.find("7 water"), std::string::npos) << "the refusal lists the names: " << error;
  }
}

