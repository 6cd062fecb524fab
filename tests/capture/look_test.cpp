// look_test.cpp -- the look report: which frames count as pale, clipped or dark, the shares per scene, and the strip plot.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "look_report.h"

using capture::Frame;
using capture::FrameLook;

namespace {

// A frame whose first `bright` pixels (top rows first) have luma `high`, the rest `low`; grey, so luma is the value.
struct TestFrame {
  std::vector<uint8_t> rgba;
  Frame frame;
  TestFrame(int32_t time, int bright, uint8_t high, uint8_t low, int width = 100, int height = 96) {
    rgba.assign(static_cast<size_t>(width) * height * 4, 255);
    for (int i = 0; i < width * height; ++i)
      for (int c = 0; c < 3; ++c) rgba[static_cast<size_t>(i) * 4 + c] = i < bright ? high : low;
    frame = {0, time, width, height, rgba.data()};
  }
};

FrameLook Look(int32_t time, int bright, uint8_t high, uint8_t low) { return capture::LookAt(TestFrame(time, bright, high, low).frame); }

}  // namespace

TEST(LookReport, FramesArePaleClippedOrDarkAtTheirThresholds) {
  // Rec. 601 weights: pure red counts 0.299.
  std::vector<uint8_t> red = {255, 0, 0, 255};
  EXPECT_NEAR(capture::LookAt({0, 0, 1, 1, red.data()}).meanLuma, 76, 0.5);

  EXPECT_FALSE(Look(0, 0, 0, 170).Pale());
  EXPECT_TRUE(Look(0, 0, 0, 171).Pale());
  EXPECT_TRUE(Look(0, 0, 0, 7).Dark());
  EXPECT_FALSE(Look(0, 0, 0, 8).Dark());
  // 30 % of 9600 pixels is 2880: one fewer at 235 is not clipped, nor are all of them at 234.
  EXPECT_TRUE(Look(0, 2880, 235, 0).Clipped());
  EXPECT_FALSE(Look(0, 2879, 255, 0).Clipped());
  EXPECT_FALSE(Look(0, 9600, 234, 0).Clipped());
  const FrameLook half = Look(0, 4800, 200, 0);
  EXPECT_DOUBLE_EQ(half.meanLuma, 100);
  EXPECT_EQ(half.bands[0], 200);  // the top half of the rows is bright
  EXPECT_EQ(half.bands[capture::kStripBands - 1], 0);
}

TEST(LookReport, SharesAreCountedPerSceneAndForTheShowAndDrawnAsAStrip) {
  // Two planet frames (one pale, one clipped and pale), two of abstract1 (one dark, one plain).
  const std::vector<FrameLook> looks = {Look(100, 0, 0, 200), Look(5000, 9600, 250, 0), Look(5800, 0, 0, 3),
                                        Look(6000, 0, 0, 90)};
  const std::string report = capture::FormatLookReport(looks);
  EXPECT_NE(report.find("planet           2   100.0 %    50.0 %     0.0 %"), std::string::npos) << report;
  EXPECT_NE(report.find("abstract1        2     0.0 %     0.0 %    50.0 %"), std::string::npos) << report;
  EXPECT_NE(report.find("show             4    50.0 %    25.0 %    25.0 %"), std::string::npos) << report;
  EXPECT_EQ(report.find("greeting"), std::string::npos) << report;

  int width = 0, height = 0;
  const std::vector<uint8_t> strip = capture::DrawLookStrip(looks, &width, &height);
  ASSERT_EQ(static_cast<size_t>(width) * height * 4, strip.size());
  const int column = width / 4;
  EXPECT_EQ(width, 4 * column);
  EXPECT_GT(column, 1);
  auto at = [&](int x, int y) { return &strip[(static_cast<size_t>(y) * width + x) * 4]; };
  // Flags along the bottom: yellow, red, blue, none.
  EXPECT_EQ(at(0, height - 1)[2], 40);
  EXPECT_EQ(at(column, height - 1)[0], 230);
  EXPECT_EQ(at(2 * column, height - 1)[2], 230);
  EXPECT_EQ(at(3 * column, height - 1)[0], 0);
  // The scene band turns white where abstract1 begins, and its shade differs on either side.
  EXPECT_EQ(at(2 * column, 0)[0], 255);
  EXPECT_NE(at(column, 0)[0], at(2 * column + 1, 0)[0]);
  // The bright top half of the clipped frame, dark in the plain one.
  EXPECT_EQ(at(column, 8)[0], 250);
  EXPECT_EQ(at(3 * column, 8)[0], 90);
}
