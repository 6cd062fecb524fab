// greeting_state_test.cpp -- the greeting scene's state over time, stepped on a hand-driven clock without OpenGL.
#include "scenes/greeting_state.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/crt_random.h"

using namespace MorlenGL;

namespace {

// The scene's Update on a clock that moves only when told. The clock may already have run for a
// while, as the scene's clock has when its window opens.
struct SteppedGreeting {
  GreetingState state;
  cSphereParticleSystem spheres;
  cSparksSystem sparks;
  Camera camera;
  float light[3] = {10, 5, 5};
  Timer clock;

  explicit SteppedGreeting(int32_t sinceStart = 0) {
    clock.m_timeShift = 0;
    clock.m_elapsed = clock.m_lastElapsed = sinceStart;
    ConfigureSpheres(spheres, &clock);
    ConfigureSparks(sparks, &clock);
    SetLookAt(camera, 0, 0, 0, 0, 0, -1, 0, 1, 0);
  }
  // One frame ending at cs hundredths.
  void FrameAt(int32_t cs) {
    clock.m_lastElapsed = clock.m_elapsed;
    clock.m_elapsed = cs;
    StepGreeting(state, spheres, sparks, camera, light, ReadSceneTime(clock));
  }
  void RunTo(int32_t to, int32_t step = 1) {
    while (clock.m_elapsed + step <= to) FrameAt(clock.m_elapsed + step);
  }
  // The orbit point the camera should be at for angle theta.
  void ExpectEyeAt(float theta) const {
    const float side = 40 * std::sin(theta);
    EXPECT_FLOAT_EQ(static_cast<float>(camera.eye.x), side);
    EXPECT_FLOAT_EQ(static_cast<float>(camera.eye.y), side);
    EXPECT_FLOAT_EQ(static_cast<float>(camera.eye.z), 40 * std::cos(theta));
    EXPECT_EQ(camera.centre.x, 0);
    EXPECT_EQ(camera.up.y, 1);
  }
};

}  // namespace

TEST(GreetingFade, RisesAtNineTenthsPerSecondToOneAndFallsBelowZeroFrom30_5Seconds) {
  SteppedGreeting s;
  s.RunTo(50, 10);
  EXPECT_NEAR(s.state.fadeLevel, 0.45f, 1e-5f);
  s.RunTo(110, 10);
  EXPECT_NEAR(s.state.fadeLevel, 0.99f, 1e-5f);
  s.RunTo(120, 10);
  EXPECT_EQ(s.state.fadeLevel, 1.0f);
  // The cuts fade in again; by 30.5 s everything is at 1.
  s.RunTo(3040, 10);
  EXPECT_EQ(s.state.fadeLevel, 1.0f);
  EXPECT_NEAR(s.state.sceneSeconds, 30.4, 1e-4);
  s.RunTo(3050, 10);
  EXPECT_NEAR(s.state.fadeLevel, 0.7f, 1e-5f);
  // No lower clamp: by 31.8 s it is far below 0 and keeps falling.
  s.RunTo(3180, 10);
  EXPECT_NEAR(s.state.fadeLevel, 1 - 3 * 1.4f, 1e-4f);
  const float before = s.state.fadeLevel;
  s.FrameAt(3190);
  EXPECT_LT(s.state.fadeLevel, before);
}

TEST(GreetingCuts, WindowsAreInclusiveJumpTheOrbitAndRestartTheFade) {
  for (int32_t cut : {795, 800}) {
    SteppedGreeting s;
    s.RunTo(790, 10);
    EXPECT_EQ(s.state.fadeLevel, 1.0f);
    s.FrameAt(cut);
    EXPECT_EQ(s.state.cutShift, 200) << cut;
    EXPECT_EQ(s.state.fadeLevel, 0.0f) << cut;
    s.ExpectEyeAt((cut / 100.0f + 200) / 5);
  }
  for (int32_t cut : {1195, 1200}) {
    SteppedGreeting s;
    s.RunTo(1190, 10);
    EXPECT_EQ(s.state.cutShift, 200);
    EXPECT_EQ(s.state.fadeLevel, 1.0f);
    s.FrameAt(cut);
    EXPECT_EQ(s.state.cutShift, 300) << cut;
    EXPECT_EQ(s.state.fadeLevel, 0.0f) << cut;
    s.ExpectEyeAt((cut / 100.0f + 300) / 5);
    // The next frame fades in again at 0.9 per second.
    s.FrameAt(cut + 10);
    EXPECT_NEAR(s.state.fadeLevel, 0.09f, 1e-6f);
  }
  // Frames that jump over both windows cut nowhere: the orbit runs on, the picture stays.
  SteppedGreeting skip;
  skip.RunTo(790, 10);
  skip.FrameAt(801);
  skip.RunTo(1190, 10);
  skip.FrameAt(1201);
  EXPECT_EQ(skip.state.cutShift, 0);
  EXPECT_EQ(skip.state.fadeLevel, 1.0f);
  skip.ExpectEyeAt(12.01f / 5);
  // One edge past each window is no cut either.
  SteppedGreeting late;
  late.RunTo(790, 10);
  late.FrameAt(794);
  EXPECT_EQ(late.state.cutShift, 0);
}

TEST(GreetingOrbit, FirstFrameUsesTheClockSinceItStartedAndTheLightTrailsOneFrame) {
  // The window opens 81.23 s after the application built the scene; its clock was never restarted.
  SteppedGreeting s(8121);
  s.FrameAt(8123);
  EXPECT_EQ(s.light[0], 0.0f);  // Init's eye
  EXPECT_EQ(s.light[1], 0.0f);
  EXPECT_EQ(s.light[2], 0.0f);
  s.ExpectEyeAt(81.23f / 5);
  const CameraPoint firstEye = s.camera.eye;
  // The base restarts the clock before the first Draw; from then on the angle is scene time.
  s.clock.m_elapsed = s.clock.m_lastElapsed = 0;
  s.FrameAt(2);
  EXPECT_EQ(s.light[0], static_cast<float>(firstEye.x));
  EXPECT_EQ(s.light[1], static_cast<float>(firstEye.y));
  EXPECT_EQ(s.light[2], static_cast<float>(firstEye.z));
  s.ExpectEyeAt(0.02f / 5);
  EXPECT_NEAR(s.state.sceneSeconds, 0.04, 1e-6);
}

TEST(GreetingParticles, FirstBirthFromInitsEmitterLaterOnesAt150AndEveryDrawInOrder) {
  SteppedGreeting s;
  plat::Srand(1);  // first draws: 41, 18467, 6334
  s.FrameAt(2);
  // The sphere born in the first Update comes from deep below and takes the acceleration of that
  // frame's three draws, last draw first.
  const Particle& first = s.spheres.particles[0];
  EXPECT_NEAR(first.position.y, -1110, 0.2f);
  EXPECT_NEAR(first.position.x, 0, 0.2f);
  EXPECT_FLOAT_EQ(first.acceleration.x, 0.34f);
  EXPECT_FLOAT_EQ(first.acceleration.y, 1.67f);
  EXPECT_FLOAT_EQ(first.acceleration.z, -2.59f);
  EXPECT_FLOAT_EQ(first.drift.y, -0.02f);
  EXPECT_EQ(s.spheres.emitter.y, 150.0f);
  // The unseen sparks still draw: 3 + 8 for the spheres (one birth), 3 + 3 + 8 + 2 for the sparks.
  const int next = plat::Rand();
  plat::Srand(1);
  for (int i = 0; i < 27; ++i) plat::Rand();
  EXPECT_EQ(next, plat::Rand());
  // Every later birth, one per frame, comes from (0, 150, 0).
  s.FrameAt(4);
  s.FrameAt(6);
  for (int k : {1, 2}) {
    EXPECT_NEAR(s.spheres.particles[k].position.y, 150, 0.3f) << k;
    EXPECT_NEAR(s.spheres.particles[k].position.z, 0, 0.3f) << k;
  }
  EXPECT_NEAR(s.spheres.particles[3].position.y, -1110, 0.2f);  // not yet reborn
}
