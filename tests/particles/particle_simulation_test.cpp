// particle_simulation_test.cpp -- births, life, motion, jitter, halo and sphere rules, without GL.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "effects/particle_system.h"
#include "platform/counter.h"
#include "platform/crt_random.h"
#include "platform/diagnostics.h"

using MorlenGL::cHaloSystem;
using MorlenGL::cParticleSystem;
using MorlenGL::Particle;
using MorlenGL::Vec3;
using MorlenGL::Timer;

namespace {

constexpr int64_t kFrequency = 10000;  // 100 counts per hundredth

// Declared before the clock so the clock is built on the virtual counter.
struct VirtualCounterScope {
  VirtualCounterScope() { plat::UseVirtualCounter(kFrequency, 5000); }
  ~VirtualCounterScope() { plat::UseRealCounter(); }
};

class ParticleTest : public ::testing::Test {
 protected:
  void TearDown() override { plat::ClearCalendarTimeOverride(); }
  // One frame of the owning scene: its clock moves on, then the system updates.
  void Frame(cParticleSystem& s, int hundredths) {
    plat::AdvanceVirtualCounter(hundredths * kFrequency / 100);
    clock.Advance();
    s.Update();
  }
  // A particle that will not die during a short test, at rest at a known place.
  static void Revive(Particle& p, Vec3 at) {
    p.life = 1;
    p.fade = 0;
    p.position = at;
    p.velocity = p.acceleration = p.drift = {};
  }
  // Init with the clock set, as every scene does.
  void Start(cParticleSystem& s, int count, int lifeScale = 100) {
    s.clock = &clock;
    s.lifeScale = lifeScale;
    s.Init(count);
  }
  VirtualCounterScope counter;
  Timer clock;
};

// The float nearest to some k / 100.
bool IsMultipleOfHundredth(float v) {
  const float k = std::round(v * 100.0f);
  return v == k / 100.0f;
}

}  // namespace

TEST_F(ParticleTest, FreshPoolComesToLifeOneParticlePerFrame) {
  cParticleSystem s;
  Start(s, 3, 1);
  ASSERT_EQ(s.particleCount, 3);
  ASSERT_EQ(s.particles.size(), 3u);
  for (const Particle& p : s.particles) EXPECT_TRUE(p.active && p.life == 0.001f);
  for (int frame = 0; frame < 3; ++frame) {
    Frame(s, 50);
    EXPECT_TRUE(s.respawnedThisFrame);
    // Reborn earlier and fading, reborn just now, still waiting.
    for (int i = 0; i < 3; ++i) {
      const float life = s.particles[i].life;
      const bool expected = i < frame ? (life > 0 && life < 1) : i == frame ? life == 1 : life < 0;
      EXPECT_TRUE(expected) << "particle " << i << " at frame " << frame << ": life " << life;
    }
  }
  Frame(s, 50);
  EXPECT_FALSE(s.respawnedThisFrame);
}

TEST_F(ParticleTest, LifeFallsByFadeOverStepTimesLifeScale) {
  EXPECT_FLOAT_EQ(MorlenGL::LifeDecrement(0.005f, 0.02f, 100), 0.0025f);
  EXPECT_FLOAT_EQ(MorlenGL::LifeDecrement(0.005f, 0.01f, 100), 0.005f);
  cParticleSystem s;
  Start(s, 1);
  Revive(s.particles[0], {0, 0, 0});
  s.particles[0].fade = 0.005f;
  Frame(s, 2);
  EXPECT_FLOAT_EQ(s.particles[0].life, 0.9975f);
  Frame(s, 1);
  EXPECT_FLOAT_EQ(s.particles[0].life, 0.9925f);
}

TEST_F(ParticleTest, ZeroFrameStepKillsAtOnce) {
  // Even a particle that never fades must not get a NaN life, which would never fall below 0.
  EXPECT_TRUE(std::isinf(MorlenGL::LifeDecrement(0.0f, 0.0f, 100)));
  cParticleSystem s;
  Start(s, 3);
  for (Particle& p : s.particles) Revive(p, {0, 0, 0});
  s.particles[0].fade = s.particles[1].fade = 0.001f;
  Frame(s, 0);
  EXPECT_EQ(s.particles[0].life, 1.0f);  // reborn
  EXPECT_NE(s.particles[0].fade, 0.0f);
  EXPECT_TRUE(std::isinf(s.particles[1].life) && s.particles[1].life < 0);
  EXPECT_TRUE(std::isinf(s.particles[2].life) && s.particles[2].life < 0);
  Frame(s, 1);
  EXPECT_EQ(s.particles[1].life, 1.0f);  // the next free rebirth
}

TEST_F(ParticleTest, OnlyTheAccelerationIsScaledByTheStep) {
  cParticleSystem s;
  Start(s, 1);
  Particle& p = s.particles[0];
  Revive(p, {1, 2, 3});
  p.acceleration = {0, -1, 0};
  p.drift = {0, 0, 0.25f};
  const float angle = p.angle;
  Frame(s, 50);
  Frame(s, 50);
  EXPECT_FLOAT_EQ(p.velocity.y, -1.0f);
  EXPECT_FLOAT_EQ(p.position.y, 2.0f - 1.5f);
  EXPECT_FLOAT_EQ(p.velocity.z, 0.5f);
  EXPECT_FLOAT_EQ(p.position.z, 3.0f + 0.25f + 0.5f);
  EXPECT_FLOAT_EQ(p.position.x, 1.0f);
  EXPECT_FLOAT_EQ(p.angle, angle + 1.0f);
}

TEST_F(ParticleTest, FixedSeedGivesTheDocumentedBirth) {
  plat::OverrideCalendarTime(1);  // seed 1: 41, 18467, 6334, 26500, 19169, 15724, 11478, 29358
  plat::Srand(999);  // construction must reseed
  cParticleSystem s;
  s.emitter = {10, 20, 30};
  s.colour = {0.5f, 0.25f, 0.125f};
  s.drift = {0, 0.001f, 0};
  s.acceleration = {1, 2, 3};
  s.Init(1);
  const Particle& p = s.particles[0];
  EXPECT_FLOAT_EQ(p.fade, 0.003f);
  EXPECT_FLOAT_EQ(p.axis.x, 184.67f);
  EXPECT_FLOAT_EQ(p.axis.y, 63.34f);
  EXPECT_FLOAT_EQ(p.axis.z, 265.0f);
  EXPECT_NEAR(p.position.x, 10 - 0.01f, 1e-5);
  EXPECT_NEAR(p.position.y, 20 - 0.06f, 1e-5);
  EXPECT_NEAR(p.position.z, 30 + 0.08f, 1e-5);
  EXPECT_FLOAT_EQ(p.angle, 293.58f);
  EXPECT_TRUE(p.r == 0.5f && p.g == 0.25f && p.b == 0.125f);
  EXPECT_TRUE(p.drift.y == 0.001f && p.acceleration.z == 3.0f && p.velocity.x == 0.0f);
}

TEST_F(ParticleTest, BirthValuesStayOnTheirGrids) {
  plat::OverrideCalendarTime(1700000000);
  cParticleSystem s;
  s.emitter = {0, -1110, 0};
  s.Init(2000);
  for (const Particle& p : s.particles) {
    bool known = false;
    for (float f : {0.001f, 0.003f, 0.005f, 0.007f}) known = known || std::fabs(p.fade - f) < 1e-7f;
    ASSERT_TRUE(known) << p.fade;
    for (float v : {p.angle, p.axis.x, p.axis.y, p.axis.z}) {
      ASSERT_TRUE(v >= 0 && v < 327.68f && IsMultipleOfHundredth(v)) << v;
    }
    ASSERT_TRUE(p.position.x >= -0.1f - 1e-6f && p.position.x <= 0.09f + 1e-6f) << p.position.x;
    ASSERT_TRUE(p.position.y >= -1110.1f && p.position.y <= -1109.9f) << p.position.y;
  }
}

TEST_F(ParticleTest, ConfigurationReachesParticlesAtTheirNextBirth) {
  cParticleSystem s;
  Start(s, 2, 1);
  s.colour = {1, 0, 0};
  s.emitter = {0, 150, 0};
  Frame(s, 50);
  EXPECT_EQ(s.particles[0].r, 1.0f);
  EXPECT_NEAR(s.particles[0].position.y, 150, 0.11);
  EXPECT_EQ(s.particles[1].r, 0.2f);  // still waiting for its birth
  EXPECT_NEAR(s.particles[1].position.z, -100, 0.11);
}

TEST_F(ParticleTest, JitterRerandomisesEveryParticleAfterItsMove) {
  cParticleSystem s;
  s.jitter = 1;
  Start(s, 200);
  for (Particle& p : s.particles) Revive(p, {0, 0, 0});
  Frame(s, 5);
  bool accelerationChanged = false;
  for (const Particle& p : s.particles) {
    EXPECT_EQ(p.life, 1.0f);
    EXPECT_TRUE(p.fade >= 0 && p.fade <= 0.0285f) << p.fade;
    for (float a : {p.acceleration.x, p.acceleration.y, p.acceleration.z}) {
      EXPECT_TRUE(a >= -1 && a <= 0.991f) << a;
      accelerationChanged = accelerationChanged || a != 0.0f;
    }
  }
  EXPECT_TRUE(accelerationChanged);
  // The move used the acceleration from before the re-randomising.
  EXPECT_EQ(s.particles[5].velocity.x, 0.0f);
}

TEST_F(ParticleTest, HaloDiesWithinFiftyOfTheOriginAndIsRebornAtTheNextFreeFrame) {
  Particle p;
  p.life = 0.7f;
  p.position = {30, 40, 0.5f};
  MorlenGL::ApplyHaloLifeRule(p);
  EXPECT_EQ(p.life, 0.7f);
  p.position = {30, 40, 0};  // exactly 50
  MorlenGL::ApplyHaloLifeRule(p);
  EXPECT_EQ(p.life, 0.0f);

  cHaloSystem h;
  h.emitter = {-100, 0, -55};
  Start(h, 2);
  Revive(h.particles[0], {0, 0, 500});
  Revive(h.particles[1], {0, 0, 0});
  h.particles[1].fade = 0.001f;
  MorlenGL::ApplyHaloLifeRule(h.particles[1]);
  Frame(h, 2);
  EXPECT_EQ(h.particles[1].life, 1.0f);
  EXPECT_NEAR(h.particles[1].position.x, -100, 0.11);
}

TEST(SphereBounce, WallsDampAndTheInnerBallReflects) {
  Particle p;
  p.position = {0, 200, 0};
  p.velocity = {0, 3, 0};
  MorlenGL::BounceSphere(p);
  EXPECT_FLOAT_EQ(p.velocity.y, -2.0f);

  p.position = {-190, 0, 190};
  p.velocity = {-3, 1, 4.5f};
  MorlenGL::BounceSphere(p);
  EXPECT_FLOAT_EQ(p.velocity.x, 2.0f);
  EXPECT_FLOAT_EQ(p.velocity.y, 1.0f);
  EXPECT_FLOAT_EQ(p.velocity.z, -3.0f);

  p.position = {0, 30, 0};
  p.velocity = {1, -4, 1};
  MorlenGL::BounceSphere(p);
  EXPECT_TRUE(p.velocity.y == 4.0f && p.velocity.x == 1.0f);
  p.position = {30, 20, 20};  // just outside radius 40
  MorlenGL::BounceSphere(p);
  EXPECT_EQ(p.velocity.y, 4.0f);
}

TEST_F(ParticleTest, MisuseIsSurvivedWithOneLineEach) {
  std::vector<std::string> lines;
  plat::CaptureDiagnostics(&lines);
  cParticleSystem s;
  s.Init(-5);
  EXPECT_TRUE(s.particleCount == 0 && s.particles.empty());
  s.Init(4);
  const Vec3 before = s.particles[0].position;
  s.Update();  // no clock yet
  EXPECT_EQ(s.particles[0].position.y, before.y);
  EXPECT_EQ(s.particles[0].life, 0.001f);
  plat::CaptureDiagnostics(nullptr);
  EXPECT_EQ(lines.size(), 2u);
}

// The show ends silently there: nothing may reach stderr.
TEST(ParticleDeathTest, DrawingBeforeInitEndsWithCodeTen) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  cParticleSystem s;
  EXPECT_EXIT(s.DrawAll(), ::testing::ExitedWithCode(10), "^$");
  cHaloSystem h;
  EXPECT_EXIT(h.DrawAll(), ::testing::ExitedWithCode(10), "^$");
}
