// water_state_test.cpp -- the planet water scene's state over time, stepped on a hand-driven clock without OpenGL.
#include "scenes/water_state.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/crt_random.h"

using namespace MorlenGL;

namespace {

// The scene's update steps on a clock that moves only when told, as the frame loop would move it.
struct SteppedScene {
  WaterState state;
  cFeatherBParticleSystem feathers;
  Camera camera;
  Timer clock;

  SteppedScene() {
    clock.m_timeShift = 0;
    clock.m_elapsed = clock.m_lastElapsed = 0;
    feathers.emitter = {0, 0, 0};
    feathers.Init(200);
    feathers.clock = &clock;
  }
  // One frame ending at cs hundredths.
  void FrameAt(int32_t cs) {
    clock.m_lastElapsed = clock.m_elapsed;
    clock.m_elapsed = cs;
    const SceneTime t = ReadSceneTime(clock);
    StepWater(state, feathers, t);
    SetOrbitCamera(camera, t.T);
  }
  void RunTo(int32_t to, int32_t step) {
    while (clock.m_elapsed + step <= to) FrameAt(clock.m_elapsed + step);
  }
};

void ExpectPoint(const CameraPoint& p, double x, double y, double z) {
  EXPECT_NEAR(p.x, x, 1e-4);
  EXPECT_NEAR(p.y, y, 1e-4);
  EXPECT_NEAR(p.z, z, 1e-4);
}

}  // namespace

TEST(WaterCamera, OpensAboveThePlanetThenCirclesItLevelAtHundred) {
  WaterState fresh;
  Camera camera;
  SetOpeningCamera(camera, fresh);
  ExpectPoint(camera.eye, 0, 50, 100);
  ExpectPoint(camera.centre, 0, 50, 0);
  EXPECT_EQ(camera.fovY, 45);
  EXPECT_EQ(camera.zFar, 10000);

  SteppedScene s;
  s.FrameAt(0);
  ExpectPoint(s.camera.eye, 0, 0, 100);
  ExpectPoint(s.camera.centre, 0, 0, 0);
  ExpectPoint(s.camera.up, 0, 1, 0);
  // A quarter turn takes 2.5 pi seconds.
  SetOrbitCamera(s.camera, 2.5f * 3.14159265f);
  ExpectPoint(s.camera.eye, 100, 0, 0);
}

TEST(WaterFeathers, EmitterStartsInFrontOfThePlanetAndBirthsUseThePreviousFramesEmitter) {
  SteppedScene s;
  s.FrameAt(0);
  const Vec3 e = s.feathers.emitter;
  EXPECT_NEAR(e.x, 0, 1e-4);
  EXPECT_NEAR(e.y, 0, 1e-4);
  EXPECT_NEAR(e.z, 150, 1e-4);
  const Vec3 later = FeatherEmitter(0.1f * 3.14159265f);  // 5T is a quarter turn
  EXPECT_NEAR(later.x, 150, 1e-3);
  EXPECT_NEAR(later.y, 150 * std::sin(0.1f * 3.14159265f), 1e-3);
  EXPECT_NEAR(later.z, 0, 1e-3);
  // The next frame's one birth happens before the emitter moves on: at (0, 0, 150), jittered.
  s.FrameAt(2);
  int bornThere = 0;
  for (const Particle& p : s.feathers.particles)
    bornThere += std::fabs(p.position.z - 150) < 0.2f && std::fabs(p.position.x) < 0.2f;
  EXPECT_EQ(bornThere, 1);
}

TEST(WaterFeathers, AccelerationTakesThreeDrawsFirstToZ) {
  plat::Srand(1234);
  float draws[3];
  for (float& d : draws) d = static_cast<float>((10 * plat::Rand()) % 200) / 1000.0f - 0.1f;
  SteppedScene s;  // constructing the feathers reseeds with the calendar time
  plat::Srand(1234);
  s.FrameAt(1);
  EXPECT_FLOAT_EQ(s.feathers.acceleration.z, draws[0]);
  EXPECT_FLOAT_EQ(s.feathers.acceleration.y, draws[1]);
  EXPECT_FLOAT_EQ(s.feathers.acceleration.x, draws[2]);
}

TEST(WaterFades, HalfAfterTenSecondsAndTheCageGoneAtTwenty) {
  for (int32_t step : {1, 2, 25}) {
    SCOPED_TRACE(step);
    SteppedScene s;
    s.RunTo(1000, step);
    EXPECT_NEAR(s.state.cageFade, 0.5f, 1e-3f);
    EXPECT_NEAR(s.state.skyFade, 0.5f, 1e-3f);
    s.RunTo(1975, step);
    EXPECT_TRUE(CageVisible(s.state));
    s.RunTo(2100, step);
    EXPECT_EQ(s.state.cageFade, 0.0f);
    EXPECT_EQ(s.state.skyFade, 0.0f);
    EXPECT_FALSE(CageVisible(s.state));
  }
}

TEST(WaterClosingImage, StaysOffUntilExactlyTwentyFiveSecondsThenGrowsWithDt) {
  SteppedScene s;
  s.RunTo(2475, 25);  // quarter seconds sum exactly
  EXPECT_EQ(s.state.endFade, 0.0f);
  s.FrameAt(2500);
  EXPECT_EQ(s.state.sceneSeconds, 25.0);
  EXPECT_EQ(s.state.endFade, 0.25f);
  s.RunTo(2600, 25);
  EXPECT_EQ(s.state.endFade, 1.25f);  // not clamped
  // Frames that straddle 25 s start the fade with their whole step.
  SteppedScene straddle;
  straddle.RunTo(2490, 10);
  EXPECT_EQ(straddle.state.endFade, 0.0f);
  straddle.FrameAt(2520);
  EXPECT_NEAR(straddle.state.endFade, 0.3f, 1e-6f);
}

TEST(WaterScroller, RisesAQuarterUnitASecondFromMinusFive) {
  SteppedScene s;
  EXPECT_EQ(s.state.scrollY, -5.0f);
  s.RunTo(400, 25);
  EXPECT_EQ(s.state.scrollY, -4.0f);
  // Near where the show ends: the scroller's lower edge (6 - 4.87) is above the middle of the window.
  s.RunTo(4400, 25);
  EXPECT_EQ(s.state.scrollY, 6.0f);
}
