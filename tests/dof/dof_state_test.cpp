// dof_state_test.cpp -- the planet scene's state over time, stepped on a hand-driven clock without OpenGL.
#include "scenes/dof_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/crt_random.h"

using namespace MorlenGL;

namespace {

// The scene's update steps on a clock that moves only when told, as the frame loop would move it.
struct SteppedScene {
  DofState state;
  cHaloSystem halo;
  Timer clock;

  SteppedScene() {
    ResetDofState(state);
    clock.m_timeShift = 0;
    clock.m_elapsed = clock.m_lastElapsed = 0;
    halo.clock = &clock;
    halo.Init(30);
  }
  // One frame ending at cs hundredths.
  void FrameAt(int32_t cs, float spectrumBin2 = 0.5f) {
    clock.m_lastElapsed = clock.m_elapsed;
    clock.m_elapsed = cs;
    StepDof(state, halo, ReadSceneTime(clock), spectrumBin2);
  }
  // Frames of step hundredths until cs reaches to.
  void RunTo(int32_t to, int32_t step = 1) {
    while (clock.m_elapsed + step <= to) FrameAt(clock.m_elapsed + step);
  }
};

}  // namespace

TEST(DofFlash, OpensFullAndFadesByFourHundredthsPerFrameWithinTwentyFiveFrames) {
  SteppedScene s;
  EXPECT_EQ(s.state.flashAlpha, 1.0f);
  s.FrameAt(1);
  EXPECT_FLOAT_EQ(s.state.flashAlpha, 0.96f);
  // Per frame, not per second: a long frame fades no faster.
  s.FrameAt(101);
  EXPECT_FLOAT_EQ(s.state.flashAlpha, 0.92f);
  for (int i = 0; i < 22; ++i) s.FrameAt(102 + i);
  EXPECT_GT(s.state.flashAlpha, 0.03f);  // 24 frames
  s.FrameAt(200);
  EXPECT_NEAR(s.state.flashAlpha, 0.0f, 1e-6f);
  s.FrameAt(201);
  EXPECT_EQ(s.state.flashAlpha, 0.0f);  // clamped, never negative
}

TEST(DofFlash, WindowsAreInclusiveAndALongFrameSkipsThem) {
  for (int32_t cs : {1595, 1602, 3200, 3210}) {
    SteppedScene s;
    s.RunTo(cs - 1, 50);
    s.FrameAt(cs);
    EXPECT_EQ(s.state.flashAlpha, 1.0f) << cs;
  }
  for (int32_t cs : {1594, 1603, 3199, 3211}) {
    SteppedScene s;
    s.RunTo(cs - 60, 50);
    s.FrameAt(cs);
    EXPECT_EQ(s.state.flashAlpha, 0.0f) << cs;
  }
  // The flash at 32 s fades from the frame after its window.
  SteppedScene s;
  s.RunTo(3210, 5);
  s.FrameAt(3211);
  EXPECT_FLOAT_EQ(s.state.flashAlpha, 0.96f);
  // Frames that jump over both windows get no flash.
  SteppedScene skip;
  skip.RunTo(1590, 10);
  skip.FrameAt(1610);
  skip.RunTo(3190, 10);
  skip.FrameAt(3215);
  EXPECT_EQ(skip.state.flashAlpha, 0.0f);
}

TEST(DofLogos, CountStepsOnceAtEachSinePeakAndStopsAtFour) {
  SteppedScene s;
  std::vector<float> stepTimes;
  float last = 0;
  for (int32_t cs = 1; cs <= 5700; ++cs) {
    s.FrameAt(cs);
    ASSERT_LE(s.state.logoCount, 4.0f) << cs;
    if (s.state.logoCount != last) stepTimes.push_back(cs / 100.0f);
    last = s.state.logoCount;
  }
  ASSERT_EQ(stepTimes.size(), 4u);
  const float expected[4] = {1.43f, 7.71f, 14.0f, 20.3f};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(stepTimes[i], expected[i], 0.02f) << i;
  EXPECT_EQ(s.state.logoCount, 4.0f);
}

TEST(DofLogos, EachOpeningLogoIsInvisibleWhenTheCountStepsAndNoneAfterTheThird) {
  DofState s;
  LogoLook look;
  EXPECT_FALSE(OpeningLogo(s, &look));
  const int logoFor[3] = {0, 1, 2};
  for (int count = 1; count <= 3; ++count) {
    s.logoCount = static_cast<float>(count);
    s.spinTime = 1.5707964f;  // sine peak
    ASSERT_TRUE(OpeningLogo(s, &look));
    EXPECT_EQ(look.logo, logoFor[count - 1]);
    EXPECT_NEAR(look.alpha, 0.0f, 1e-6f);
    EXPECT_NEAR(look.blurFactor, 12.2f, 1e-5f);
    s.spinTime = -1.5707964f;  // trough: fully shown, unblurred
    ASSERT_TRUE(OpeningLogo(s, &look));
    EXPECT_NEAR(look.alpha, 1.0f, 1e-6f);
    EXPECT_NEAR(look.bloom, 0.0f, 1e-6f);
    EXPECT_NEAR(look.blurFactor, 0.2f, 1e-5f);
  }
  s.logoCount = 4;
  EXPECT_FALSE(OpeningLogo(s, &look));
}

TEST(DofFocus, PullsFrom22Point8SecondsOfSummedStepsAndClamps) {
  SteppedScene s;
  s.RunTo(2270, 10);
  EXPECT_EQ(s.state.focusDistance, 30.0f);
  EXPECT_EQ(s.state.focusRange, 40.0f);
  EXPECT_EQ(s.state.skyDrop, 0.0f);
  EXPECT_EQ(s.state.holeSpin, 0.0f);
  s.RunTo(2370, 10);  // ten frames of 0.1 s, the first ending at 22.8 s
  EXPECT_NEAR(s.state.focusDistance, 30 + 8.0f, 1e-3f);
  EXPECT_NEAR(s.state.focusRange, 40 + 8.0f, 1e-3f);
  EXPECT_NEAR(s.state.skyDrop, 60.0f, 1e-3f);
  EXPECT_NEAR(s.state.holeSpin, 30.0f, 1e-3f);
  s.RunTo(3100, 10);
  EXPECT_EQ(s.state.skyDrop, 120.0f);
  EXPECT_EQ(s.state.focusRange, 100.0f);
  EXPECT_LT(s.state.focusDistance, 200.0f);
  s.RunTo(4500, 10);
  EXPECT_EQ(s.state.focusDistance, 200.0f);

  // The gate is the summed frame steps, not the clock reading.
  SteppedScene early;
  early.state.sceneSeconds = 22.8;
  early.FrameAt(10);
  EXPECT_NEAR(early.state.focusDistance, 30.8f, 1e-4f);
}

TEST(DofCage, FadesInAndBrakesTheSpinFrom32Seconds) {
  SteppedScene s;
  s.RunTo(3190, 10);
  EXPECT_EQ(s.state.cageFade, 0.0f);
  EXPECT_EQ(s.state.spinBrake, 0.0f);
  const float spinBefore = s.state.holeSpin;
  s.RunTo(3300, 10);  // 31.9 -> 33.0: eleven frames, ten of them from 32 s
  EXPECT_NEAR(s.state.cageFade, 0.11f, 1e-4f);
  EXPECT_NEAR(s.state.spinBrake, 5.5f, 1e-3f);
  EXPECT_LT(s.state.holeSpin - spinBefore, 30 * 1.1f);
  s.RunTo(3800, 10);
  EXPECT_EQ(s.state.spinBrake, 30.0f);
  // The net spin has stopped: 30 degrees a second up, spinBrake down.
  const float stopped = s.state.holeSpin;
  s.RunTo(4000, 10);
  EXPECT_NEAR(s.state.holeSpin, stopped, 1e-3f);
  EXPECT_LT(s.state.cageFade, 1.0f);
  s.RunTo(4250, 10);
  EXPECT_EQ(s.state.cageFade, 1.0f);
}

TEST(DofHalo, EmitterAndColourComeFromFourDrawsInOrder) {
  plat::Srand(1);  // 41, 18467, 6334, 26500, ...
  const Vec3 e = RandomHaloEmitter();
  EXPECT_NEAR(e.z, 0.41f - 60, 1e-4f);
  EXPECT_NEAR(e.y, 64.67f - 60, 1e-4f);
  EXPECT_NEAR(e.x, 3.34f - 120, 1e-4f);
  EXPECT_NEAR(RandomHaloColour(0).x, 0.9f, 1e-6f);
}

TEST(DofHalo, StaysGreyBefore40SecondsAndTurnsYellowAt40) {
  SteppedScene s;
  s.RunTo(3999, 50);
  s.FrameAt(3999, 0.25f);
  Vec3 c = s.halo.colour;
  EXPECT_GE(c.x, 0.9f);
  EXPECT_LE(c.x, 0.99f + 1e-6f);
  EXPECT_EQ(c.y, c.x);
  EXPECT_EQ(c.z, c.x);
  EXPECT_EQ(s.halo.haloScale, 0.25f);
  EXPECT_EQ(s.halo.lifeScale, 6);
  for (int i = 0; i < 50; ++i) {
    s.FrameAt(4000 + i);
    c = s.halo.colour;
    ASSERT_EQ(c.z, 0.0f);
    ASSERT_EQ(c.y, c.x);
    ASSERT_GE(c.x, 0.9f);
    const Vec3 e = s.halo.emitter;
    ASSERT_TRUE(e.x >= -120 && e.x < -60 && e.y >= -60 && e.y < 60 && e.z >= -60 && e.z < -50);
  }
}

TEST(DofFinalLogo, FadesInFrom42OutAfterTheSphereGrewAndIsNotClampedBelow) {
  DofState s;
  LogoLook look;
  EXPECT_FALSE(StepFinalLogo(s, 41.99f, 0.1f, &look));
  EXPECT_FALSE(StepFinalLogo(s, 60.01f, 0.1f, &look));
  EXPECT_EQ(s.finalLogoFade, 0.0f);
  ASSERT_TRUE(StepFinalLogo(s, 42.0f, 0.1f, &look));
  EXPECT_NEAR(s.finalLogoFade, 0.025f, 1e-6f);
  EXPECT_EQ(look.logo, 3);
  EXPECT_NEAR(look.alpha, 0.025f, 1e-6f);
  EXPECT_NEAR(look.bloom, 0.975f, 1e-6f);
  EXPECT_NEAR(look.blurFactor, 1.95f, 1e-6f);
  for (int i = 0; i < 60; ++i) StepFinalLogo(s, 42.1f + i * 0.1f, 0.1f, &look);
  EXPECT_EQ(s.finalLogoFade, 1.0f);
  s.holeGrowth = 29.9f;
  StepFinalLogo(s, 48.2f, 0.1f, &look);
  EXPECT_EQ(s.finalLogoFade, 1.0f);
  s.holeGrowth = 30.0f;
  for (int i = 0; i < 80; ++i) StepFinalLogo(s, 50.0f + i * 0.1f, 0.1f, &look);
  // 1 - 0.05 once, then 0.025 net per frame.
  EXPECT_NEAR(s.finalLogoFade, 1.0f - 0.05f - 79 * 0.025f, 1e-4f);
  EXPECT_LT(look.alpha, 0.0f);
  EXPECT_GT(look.bloom, 1.0f);
}

TEST(DofCurves, TrailsGrowOneSegmentPerPassFromTheirFirstDirection) {
  DofState s;
  ResetDofState(s);
  for (const auto& trail : s.trails) ASSERT_EQ(trail.size(), 1u);
  std::array<Vec3, 4> next = NextTrailDirections(s, 0);
  // The first three add the stored (1, 1, 0); the fourth appends its vector bare.
  EXPECT_NEAR(next[0].x, 1, 1e-6f);
  EXPECT_NEAR(next[0].y, 1, 1e-6f);
  EXPECT_NEAR(next[0].z, 0.1f, 1e-6f);
  EXPECT_NEAR(next[1].x, 1, 1e-6f);
  EXPECT_NEAR(next[1].y, 1, 1e-6f);
  EXPECT_NEAR(next[2].x, -4, 1e-6f);
  EXPECT_NEAR(next[2].y, 1, 1e-6f);
  EXPECT_NEAR(next[3].x, 0, 1e-6f);
  EXPECT_NEAR(next[3].y, 0, 1e-6f);
  EXPECT_NEAR(next[3].z, 0, 1e-6f);

  s.trails[3] = {{1, 1, 0}, {1, 0, 0}};
  RecordingEmitter out;
  DrawTrail(s, 3, 0.5f, out);
  ASSERT_EQ(out.batches.size(), 1u);
  const auto& v = out.batches[0].vertices;
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(out.batches[0].mode, Primitive::Lines);
  EXPECT_FLOAT_EQ(v[1].position[0], 0.5f);
  EXPECT_FLOAT_EQ(v[1].position[1], 0.5f);
  EXPECT_FLOAT_EQ(v[2].position[0], 0.5f);  // the next segment starts where the last ended
  EXPECT_FLOAT_EQ(v[3].position[0], 1.0f);
  EXPECT_FLOAT_EQ(v[3].position[1], 0.5f);
  EXPECT_FLOAT_EQ(s.trailPoint[3].x, 1.0f);
  EXPECT_FLOAT_EQ(s.trailPoint[3].y, 0.5f);

  next = NextTrailDirections(s, 2.0f);
  AppendTrail(s, 1, next);
  ASSERT_EQ(s.trails[1].size(), 2u);
  EXPECT_EQ(s.trails[1][1].x, next[1].x);
  EXPECT_EQ(s.trails[0].size(), 1u);
}
