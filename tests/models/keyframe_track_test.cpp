// keyframe_track_test.cpp -- reading ".dkf" files, baking tables, per-frame evaluation on a clock.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "assets/keyframe_track.h"
#include "platform/counter.h"
#include "platform/diagnostics.h"
#include "support/temp_dir.h"

using MorlenGL::cKeyframeTrack;
using MorlenGL::Timer;

namespace {

constexpr int64_t kFrequency = 10000;  // 100 counts per hundredth

class Track : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::UseVirtualCounter(kFrequency, 0);
    clock = Timer();
    plat::CaptureDiagnostics(&reports);
  }
  void TearDown() override {
    plat::CaptureDiagnostics(nullptr);
    plat::UseRealCounter();
  }
  bool LoadText(const std::string& text, int32_t mode = 5) {
    std::istringstream in(text);
    bool ok = track.LoadFromStream(in, mode, "t.dkf");
    track.clock = &clock;
    return ok;
  }
  // Moves the clock on by n hundredths (one frame) and runs Update.
  void Frame(int32_t n) {
    plat::AdvanceVirtualCounter(n * kFrequency / 100);
    clock.Advance();
    track.Update();
  }
  // Sets the clock's time directly, frame step 1.
  void At(int32_t t) {
    clock.m_elapsed = t;
    clock.m_lastElapsed = t - 1;
    track.Update();
  }

  Timer clock;
  cKeyframeTrack track;
  std::vector<std::string> reports;
};

const char* kLinearTable = "0>0>0>0>4>\n100>10>0>0>4>\n200>10>10>0>4>\n";

TEST_F(Track, ReadsFieldsEndedByGreaterThan) {
  ASSERT_TRUE(LoadText("1500>10.5>-2>300>5>\n  0:12> 1>2>3>0>\n12>x>2e1>.5>1>"));
  ASSERT_EQ(track.keys.size(), 3u);
  EXPECT_EQ(track.recordCount, 4);  // the incomplete one at the end included
  const auto& k = track.keys[0];
  EXPECT_EQ(k.index, 0);
  EXPECT_EQ(k.time, 1500);
  EXPECT_DOUBLE_EQ(k.x, 10.5);
  EXPECT_DOUBLE_EQ(k.y, -2);
  EXPECT_DOUBLE_EQ(k.z, 300);
  EXPECT_EQ(k.interpolation, 5);
  EXPECT_EQ(track.keys[1].time, 1200);  // colon: time rule x 100
  EXPECT_EQ(track.keys[1].index, 1);
  EXPECT_EQ(track.keys[2].time, 12);
  EXPECT_DOUBLE_EQ(track.keys[2].x, 0.0);  // not a number
  EXPECT_DOUBLE_EQ(track.keys[2].y, 20.0);
  EXPECT_TRUE(reports.empty());
}

TEST_F(Track, IncompleteLastRecordIsDropped) {
  ASSERT_TRUE(LoadText("0>1>2>3>0>\n5>6>7>8>0"));  // last field lacks its '>'
  EXPECT_EQ(track.keys.size(), 1u);
  ASSERT_TRUE(LoadText("0>1>2>3>0>5>6>7>8>0>"));  // no line breaks at all
  EXPECT_EQ(track.keys.size(), 2u);
  EXPECT_DOUBLE_EQ(track.position[0], 1);
}

TEST_F(Track, FieldLongerThan31CharactersStopsReading) {
  ASSERT_TRUE(LoadText("0>1>2>3>0>\n5>" + std::string(40, '6') + ">7>8>0>\n9>9>9>9>0>\n"));
  EXPECT_EQ(track.keys.size(), 1u);
}

TEST_F(Track, LinearTableBakesOneSamplePerStepExceptAtKeys) {
  ASSERT_TRUE(LoadText(kLinearTable, 0));
  ASSERT_EQ(track.keys.size(), 3u);
  ASSERT_EQ(track.samples.size(), 198u);
  EXPECT_NEAR(track.samples[0].x, 0.1, 1e-12);
  EXPECT_EQ(track.samples[0].time, 1);
  EXPECT_EQ(track.samples[98].time, 99);
  EXPECT_NEAR(track.samples[98].x, 9.9, 1e-9);
  EXPECT_EQ(track.samples[99].time, 101);
  EXPECT_NEAR(track.samples[99].y, 0.1, 1e-9);
  for (const auto& s : track.samples) EXPECT_LT(s.x, 10.0);
  EXPECT_EQ(track.mode, 4);  // the keys' own type won over the mode given
}

TEST_F(Track, TableUpdateLooksUpSampleByTime) {
  ASSERT_TRUE(LoadText(kLinearTable));
  At(0);
  EXPECT_NEAR(track.position[0], 0.1, 1e-12);
  EXPECT_DOUBLE_EQ(track.position[1], 0.0);
  At(150);
  EXPECT_DOUBLE_EQ(track.position[1], track.samples[150].y);
  At(197);
  double last[3];
  track.GetPosition(last);
  EXPECT_NEAR(last[1], 9.9, 1e-9);
  At(198);
  At(5000);
  At(-3);
  EXPECT_DOUBLE_EQ(track.position[0], last[0]);
  EXPECT_DOUBLE_EQ(track.position[1], last[1]);
}

TEST_F(Track, CosineTableEasesBetweenKeys) {
  ASSERT_TRUE(LoadText("0>0>0>0>5>\n100>10>0>0>5>\n"));
  ASSERT_EQ(track.samples.size(), 99u);
  EXPECT_NEAR(track.samples[49].x, 5.0, 1e-5);  // i = 50: halfway
  EXPECT_LT(track.samples[0].x, 0.1);           // slow start
}

TEST_F(Track, StepTrackAdvancesAtKeyTimesWithoutMovingAndFinishes) {
  ASSERT_TRUE(LoadText("0>1>0>0>0>\n10>2>0>0>0>\n20>3>0>0>0>\n"));
  EXPECT_TRUE(track.samples.empty());
  At(1);
  EXPECT_EQ(track.current, 0u);
  EXPECT_DOUBLE_EQ(track.position[0], 1);
  At(10);  // exactly the next key's time: advance, no move
  EXPECT_EQ(track.current, 1u);
  EXPECT_DOUBLE_EQ(track.position[0], 1);
  At(11);
  EXPECT_DOUBLE_EQ(track.position[0], 2);
  At(20);
  EXPECT_EQ(track.current, 2u);
  EXPECT_DOUBLE_EQ(track.position[0], 2);
  EXPECT_FALSE(track.finished);
  At(21);  // the frame after: the last key's position, then finished
  EXPECT_DOUBLE_EQ(track.position[0], 3);
  EXPECT_TRUE(track.finished);
  track.position[0] = -1;
  At(22);
  EXPECT_DOUBLE_EQ(track.position[0], -1);
}

TEST_F(Track, StepTrackOutsideItsSegmentAdvancesOneKeyPerFrame) {
  ASSERT_TRUE(LoadText("0>1>0>0>0>\n10>2>0>0>0>\n20>3>0>0>0>\n"));
  At(0);  // not strictly inside the first segment
  EXPECT_EQ(track.current, 1u);
  At(5);  // before the segment 10..20: still advances
  EXPECT_EQ(track.current, 2u);
  EXPECT_DOUBLE_EQ(track.position[0], 1);
}

TEST_F(Track, LinearTrackMovesBySlopeTimesFrameStep) {
  ASSERT_TRUE(LoadText("0>0>0>0>1>\n100>10>0>-20>1>\n"));
  Frame(5);
  EXPECT_NEAR(track.position[0], 0.5, 1e-12);
  Frame(3);
  EXPECT_NEAR(track.position[0], 0.8, 1e-12);
  EXPECT_NEAR(track.position[2], -1.6, 1e-12);
  Frame(92);  // t = 100: boundary, nothing moves
  EXPECT_NEAR(track.position[0], 0.8, 1e-12);
  EXPECT_EQ(track.current, 1u);
  Frame(10);  // past the last key: nothing
  EXPECT_NEAR(track.position[0], 0.8, 1e-12);
}

TEST_F(Track, CosineTrackFromAbsoluteTime) {
  ASSERT_TRUE(LoadText("0>0>0>0>2>\n100>10>0>0>2>\n"));
  Frame(50);
  EXPECT_NEAR(track.position[0], 5.0, 1e-5);
  Frame(25);
  EXPECT_NEAR(track.position[0], 10 * (1 - std::cos(0.75 * 3.1415927)) / 2, 1e-9);
}

TEST_F(Track, ModeGivenToLoadSurvivesOnlyWithoutLaterKeys) {
  ASSERT_TRUE(LoadText("0>4>5>6>0>\n", 2));
  EXPECT_EQ(track.mode, 2);
  ASSERT_TRUE(LoadText("0>4>5>6>0>\n5>0>0>0>1>\n", 2));
  EXPECT_EQ(track.mode, 0);
}

TEST_F(Track, EmptyOrUnreadableTrackIsReportedAndStaysAtOrigin) {
  EXPECT_FALSE(LoadText(""));
  EXPECT_FALSE(LoadText("1>2>3>"));
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_NE(reports[0].find("t.dkf"), std::string::npos);
  At(10);
  EXPECT_DOUBLE_EQ(track.position[0], 0);

  cKeyframeTrack missing;
  EXPECT_FALSE(missing.Load("data\\no_such_track.dkf", 5));
  missing.clock = &clock;
  missing.Update();
  EXPECT_EQ(reports.size(), 3u);
  EXPECT_TRUE(missing.keys.empty());
  EXPECT_DOUBLE_EQ(missing.position[1], 0);
}

TEST_F(Track, LoadsFromDataPathAndKeepsStreamOpen) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("Data/Cam.DKF"), kLinearTable);
  testsupport::ScopedChdir here(dir.path());
  ASSERT_TRUE(track.Load("data\\cam.dkf", 5));
  EXPECT_EQ(track.fileName, "data\\cam.dkf");
  EXPECT_EQ(track.samples.size(), 198u);
  EXPECT_TRUE(track.file.is_open());
}

TEST_F(Track, TablesBakeUpToOneHourAndNoFurther) {
  ASSERT_EQ(MorlenGL::kMaxBakedTime, 60 * 60 * 100);
  ASSERT_EQ(track.bakeLimit, MorlenGL::kMaxBakedTime);
  // A last key at exactly one hour is baked whole, quietly.
  ASSERT_TRUE(LoadText("0>0>0>0>4>\n360000>360000>0>0>4>\n"));
  ASSERT_EQ(track.samples.size(), 359999u);
  EXPECT_EQ(track.samples.back().time, 359999);
  EXPECT_NEAR(track.samples.back().x, 359999, 1e-3);
  EXPECT_TRUE(reports.empty());
  // One hundredth later, the tables stop at the hour with one line.
  ASSERT_TRUE(LoadText("0>0>0>0>4>\n360001>360001>0>0>4>\n"));
  ASSERT_EQ(track.samples.size(), size_t(MorlenGL::kMaxBakedTime));
  EXPECT_EQ(track.samples.back().time, MorlenGL::kMaxBakedTime);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("past 360000 hundredths"), std::string::npos) << reports[0];
  // Keys at the ends of the 32-bit range: still one hour of samples, then any time is safe.
  ASSERT_TRUE(LoadText("-2147483648>0>0>0>4>\n2147483647>10>0>0>4>\n"));
  EXPECT_EQ(track.samples.size(), size_t(MorlenGL::kMaxBakedTime));
  At(2000000000);
  ASSERT_TRUE(LoadText("99999999999:0>0>0>0>3>\n"));
}

TEST_F(Track, ALoweredBakeLimitStopsTheTablesThere) {
  track.bakeLimit = 50;
  ASSERT_TRUE(LoadText(kLinearTable));
  ASSERT_EQ(track.samples.size(), 50u);
  EXPECT_NEAR(track.samples.back().x, 5, 1e-9);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("past 50 hundredths"), std::string::npos) << reports[0];
}

}  // namespace
