// cave_state_test.cpp -- the two meteor-cave scenes over time, their Update stepped on a hand-driven
// clock without OpenGL.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "platform/crt_random.h"
#include "scenes/abstract_i_scene.h"
#include "scenes/abstract_iii_scene.h"
#include "shell/music_track.h"

using namespace MorlenGL;

namespace {

// Update needs no OpenGL: the scene is constructed and stepped as the frame loop would step it.
template <class Scene>
struct SteppedCave {
  Scene scene;
  MusicTrack music;

  SteppedCave() {
    scene.m_music = &music;
    scene.m_clock.m_timeShift = 0;
    scene.m_clock.m_elapsed = scene.m_clock.m_lastElapsed = 0;
  }
  // One frame ending at cs hundredths, hearing bin2 in the music's third bin.
  void FrameAt(int32_t cs, float bin2 = 0) {
    music.m_spectrum[2] = bin2;
    scene.m_clock.m_lastElapsed = scene.m_clock.m_elapsed;
    scene.m_clock.m_elapsed = cs;
    scene.Update();
  }
  // Frames of step hundredths until cs reaches to.
  void RunTo(int32_t to, int32_t step = 10, float bin2 = 0) {
    while (scene.m_clock.m_elapsed + step <= to) FrameAt(scene.m_clock.m_elapsed + step, bin2);
  }
  const MeteorCaveState& s() const { return scene.state; }
};

// Frames land on odd twentieths, so the summed run time never sits on an event's boundary.
template <class Scene>
void FadesInAndCracksAt(int32_t crackCs) {
  SteppedCave<Scene> c;
  c.FrameAt(5);
  c.RunTo(505);
  EXPECT_NEAR(c.s().fadeIn, 0.505f, 1e-4f);
  c.RunTo(crackCs - 5);
  EXPECT_EQ(c.s().fadeIn, 1.0f);
  EXPECT_FALSE(MeteorCracked(c.s()));
  EXPECT_EQ(c.s().outroFade, 0.0f);
  c.FrameAt(crackCs + 5);
  EXPECT_TRUE(MeteorCracked(c.s()));
  // Opaque two seconds after the crack, and it keeps growing: nothing clamps it.
  c.RunTo(crackCs + 195);
  EXPECT_NEAR(c.s().outroFade, 1.0f, 1e-4f);
  c.RunTo(crackCs + 395);
  EXPECT_NEAR(c.s().outroFade, 2.0f, 1e-4f);
  EXPECT_EQ(c.s().fadeIn, 1.0f);
}

}  // namespace

TEST(MeteorCave, FadesInOverTenSecondsThenCracksAndClosesAtEachScenesTime) {
  {
    SCOPED_TRACE("abstract I");
    FadesInAndCracksAt<cAbstractIScene>(2000);
  }
  {
    SCOPED_TRACE("abstract III");
    FadesInAndCracksAt<cAbstractIIIScene>(2200);
  }
}

TEST(MeteorCave, JoltAtSevenSecondsMovesTheNextEyeDecaysInTwoSecondsAndIsMissedWhenSkipped) {
  SteppedCave<cAbstractIScene> c;
  c.RunTo(695, 5);
  EXPECT_EQ(c.s().shake, 0.0);
  c.FrameAt(700);
  EXPECT_NEAR(c.s().shake, 12 - 6 * 0.05, 1e-5);  // set, then this frame's decay
  c.FrameAt(705);
  c.FrameAt(710);
  EXPECT_NEAR(c.s().shake, 11.7, 1e-5);
  // The camera is set before the jolt step: the frame after it sees the shake.
  c.FrameAt(715);
  const double T = 7.15;
  EXPECT_NEAR(c.scene.camera.eye.x, 10 * std::sin(T) + 11.7, 1e-4);
  EXPECT_NEAR(c.scene.camera.eye.y, 10 * std::sin(T) + 11.7, 1e-4);
  EXPECT_NEAR(c.scene.camera.eye.z, 10 * std::cos(T), 1e-4);
  EXPECT_NEAR(c.scene.camera.up.y, 1 - std::cos(T), 1e-5);
  EXPECT_NEAR(c.scene.camera.up.z, std::cos(T), 1e-5);
  c.RunTo(810, 5);
  EXPECT_NEAR(c.s().shake, 11.7 - 6 * 1.0, 1e-3);
  c.RunTo(920, 5);
  EXPECT_EQ(c.s().shake, 0.0);  // clamped, never below 0

  // A frame that jumps over 7.00..7.10 gets no jolt; the window's ends belong to it.
  for (auto [before, after] : {std::pair{690, 712}, std::pair{699, 711}}) {
    SteppedCave<cAbstractIScene> skip;
    skip.RunTo(600);
    skip.FrameAt(before);
    skip.FrameAt(after);
    EXPECT_EQ(skip.s().shake, 0.0) << after;
  }
  SteppedCave<cAbstractIScene> edge;
  edge.RunTo(690, 10);
  edge.FrameAt(710);
  EXPECT_NEAR(edge.s().shake, 12 - 6 * 0.2, 1e-5);

  SteppedCave<cAbstractIIIScene> never;
  never.RunTo(720, 5);
  EXPECT_EQ(never.s().shake, 0.0);
  EXPECT_NEAR(never.scene.camera.eye.x, 10 * std::sin(7.2), 1e-4);
}

TEST(MeteorCave, ThirdVisitLevelLeavesTheMusicAtTenSecondsAndReachesOneWithinTwo) {
  SteppedCave<cAbstractIIIScene> quiet;
  quiet.FrameAt(5);
  quiet.RunTo(995);
  EXPECT_EQ(quiet.s().musicLevel, 0.0f);
  quiet.RunTo(1095);
  EXPECT_NEAR(quiet.s().musicLevel, 0.5f, 1e-5f);
  quiet.RunTo(1195);
  EXPECT_NEAR(quiet.s().musicLevel, 1.0f, 1e-5f);
  quiet.RunTo(1500, 10, 0.3f);
  EXPECT_EQ(quiet.s().musicLevel, 1.0f);

  // From the value the music last gave, whatever it plays afterwards.
  SteppedCave<cAbstractIIIScene> loud;
  loud.FrameAt(5);
  loud.RunTo(995, 10, 0.6f);
  EXPECT_EQ(loud.s().musicLevel, 0.6f);
  loud.RunTo(1045, 10, 0.1f);
  EXPECT_NEAR(loud.s().musicLevel, 0.85f, 1e-5f);
  loud.RunTo(1085, 10, 0.1f);
  EXPECT_EQ(loud.s().musicLevel, 1.0f);

  // The first visit follows the music throughout.
  SteppedCave<cAbstractIScene> first;
  first.RunTo(1500, 10, 0.6f);
  first.FrameAt(1510, 0.2f);
  EXPECT_EQ(first.s().musicLevel, 0.2f);
}

TEST(MeteorCave, ThirdVisitSwellsTheGodRaysAndBurstsTheMeteorAfterTwentyTwoSeconds) {
  SteppedCave<cAbstractIIIScene> c;
  c.FrameAt(5);
  c.RunTo(2195);
  EXPECT_EQ(c.s().glowPulse, 0.0f);
  EXPECT_EQ(GodRayScale(c.s()), 2.0f);
  EXPECT_EQ(c.scene.shatter.time, 0.0f);
  c.RunTo(2395);
  // 1.5 a second in scale; the burst follows the same value.
  EXPECT_NEAR(c.s().glowPulse, 1.0f, 1e-4f);
  EXPECT_NEAR(GodRayScale(c.s()), 5.0f, 1e-3f);
  EXPECT_EQ(c.scene.shatter.time, c.s().glowPulse);

  SteppedCave<cAbstractIScene> first;
  first.RunTo(2300);
  EXPECT_TRUE(MeteorCracked(first.s()));
  EXPECT_EQ(GodRayScale(first.s()), 2.0f);
  EXPECT_EQ(first.scene.shatter.time, 0.0f);
}

TEST(MeteorCaveStrands, TwoDrawsAPointFirstForTheAxisAcrossThenXAndTheFirstWidensWithBin1) {
  plat::Srand(7);
  std::vector<int> draws;
  for (int i = 0; i < 25; ++i) draws.push_back(plat::Rand());
  plat::Srand(7);
  const std::array<CaveStrand, 4> strands = RandomStrands(0.25f);
  EXPECT_EQ(plat::Rand(), draws[24]);  // exactly 24 draws

  const float ends[4] = {5, -5, -5, 5};
  size_t next = 0;
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    const bool alongZ = k < 2;
    const float spread = k == 0 ? 0.75f : 0.5f;
    const int modulus = k == 0 ? 1500 : 1000;
    auto along = [&](const Vec3& p) { return alongZ ? p.z : p.y; };
    auto across = [&](const Vec3& p) { return alongZ ? p.y : p.z; };
    const CaveStrand& s = strands[k];
    EXPECT_EQ(along(s[0]), ends[k]);
    EXPECT_EQ(across(s[0]), 0.0f);
    for (int i = 1; i <= 3; ++i) {
      EXPECT_EQ(along(s[i]), ends[k] / 5 * (5 - i));
      EXPECT_FLOAT_EQ(across(s[i]), (10 * draws[next++] % modulus) / 1000.0f - spread);
      EXPECT_FLOAT_EQ(s[i].x, (10 * draws[next++] % modulus) / 1000.0f - spread);
    }
    EXPECT_EQ(along(s[4]), ends[k] / 10);
    EXPECT_EQ(s[4].x, 0.0f);
    EXPECT_EQ(s[5].x + s[5].y + s[5].z, 0.0f);
  }

  // A loud or broken bin neither divides by zero nor overflows the modulus: still two draws a point.
  for (float bin : {1e12f, std::nanf("")}) {
    plat::Srand(7);
    const std::array<CaveStrand, 4> wide = RandomStrands(bin);
    EXPECT_EQ(plat::Rand(), draws[24]);
    EXPECT_FLOAT_EQ(wide[1][1].x, (10 * draws[7] % 1000) / 1000.0f - 0.5f);
  }
}
