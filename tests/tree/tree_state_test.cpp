// tree_state_test.cpp -- the planet tree scene's state over time, stepped on a hand-driven clock without OpenGL.
#include "scenes/planet_tree_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "scenes/planet_tree_scene.h"

using namespace MorlenGL;

namespace {

// The scene's Update on a clock that moves only when told; the leaf is placed after each frame
// as the normal pass would place it while drawing.
struct SteppedTree {
  TreeState state;
  cFeatherParticleSystem treeFeathers, trailFeathers;
  Timer clock;
  Camera camera;

  SteppedTree() {
    clock.m_timeShift = 0;
    clock.m_elapsed = clock.m_lastElapsed = 0;
    for (cFeatherParticleSystem* f : {&treeFeathers, &trailFeathers}) {
      f->emitter = {0, 0, 0};
      f->colour = {1, 1, 1};
      f->clock = &clock;
    }
    treeFeathers.Init(200);
    treeFeathers.lifeScale = 1000;
    trailFeathers.Init(2000);
    SetSceneLens(camera);
    AimInitialCamera(state, camera);
  }
  void FrameAt(int32_t cs) {
    clock.m_lastElapsed = clock.m_elapsed;
    clock.m_elapsed = cs;
    StepTree(state, treeFeathers, trailFeathers, ReadSceneTime(clock), camera);
    if (state.leafTimer > 0) PlaceLeaf(state);
  }
  // Frames of step hundredths until the clock reaches to; check(*this) after each.
  template <class Check>
  void RunTo(int32_t to, int32_t step, Check check) {
    while (clock.m_elapsed + step <= to) {
      FrameAt(clock.m_elapsed + step);
      check(*this);
    }
  }
  void RunTo(int32_t to, int32_t step = 1) {
    RunTo(to, step, [](const SteppedTree&) {});
  }
};

void ExpectPoint(const CameraPoint& p, double x, double y, double z, double tolerance) {
  EXPECT_NEAR(p.x, x, tolerance);
  EXPECT_NEAR(p.y, y, tolerance);
  EXPECT_NEAR(p.z, z, tolerance);
}

}  // namespace

TEST(TreeCamera, StartsLevelAt100PullsInTowardsTheLeafThenOrbitsFromWhereItLeft) {
  SteppedTree s;
  ExpectPoint(s.camera.eye, 0, 0, 100, 0);
  ExpectPoint(s.camera.centre, 0, 0, 0, 0);
  ExpectPoint(s.camera.up, 0, 1, 0, 0);

  // Ten seconds: growth 1 and bloom 0.2; the camera aims at the leaf the last drawn frame placed.
  s.RunTo(999);
  const Vec3 L = s.state.leafPosition;
  s.FrameAt(1000);
  EXPECT_NEAR(s.state.growth, 1.0f, 1e-4f);
  EXPECT_NEAR(s.state.bloom, 0.2f, 2e-3f);
  const std::array<Vec3, 4>& p = s.state.leafPath;
  const Vec3 expected = BezierPoint(p[0], p[1], p[2], p[3], 0.2f);
  EXPECT_NEAR(L.x, expected.x, 0.5f);
  EXPECT_NEAR(L.y, expected.y, 0.5f);
  ExpectPoint(s.camera.eye, 30, 0.1 * L.y, 70, 0.01);
  ExpectPoint(s.camera.centre, 0.1 * L.x, 0.1 * L.y - 10, 0.1 * L.z, 0.01);
  ExpectPoint(TreeSavedView().eye, s.camera.eye.x, s.camera.eye.y, s.camera.eye.z, 0);

  // After 20 s the eye swings from the saved eye by 70 x the orbit ramp, round the knot point.
  s.RunTo(2000);
  const SavedView saved = TreeSavedView();
  s.RunTo(2600);
  EXPECT_EQ(s.state.orbitRamp, 1.0f);
  const SavedView after = TreeSavedView();
  ExpectPoint(after.eye, saved.eye.x, saved.eye.y, saved.eye.z, 0);
  const float T = 26;
  const Vec3 K = Scale(s.state.knotPosition, 0.2f);
  ExpectPoint(s.camera.eye, K.x + saved.eye.x + 70 * std::sin(T), K.y + saved.eye.y,
              K.z + saved.eye.z + 70 * std::cos(T), 1e-3);
  ExpectPoint(s.camera.up, 0, std::sin(T), std::cos(T), 1e-6);
}

TEST(TreeSky, NeverBelowPointThreeAndFullWhileGrowing) {
  SteppedTree s;
  s.RunTo(6000, 7, [](const SteppedTree& t) {
    ASSERT_GE(t.state.skyBrightness, 0.3f);
    if (t.state.growth < 1) {
      ASSERT_EQ(t.state.skyBrightness, 1.0f);
    }
  });
  EXPECT_EQ(s.state.skyBrightness, 0.3f);
}

// The knot point holds the second stream at the origin until 20 s; then it moves. After 30 s
// the first stream, the shattered cage and the rays are gone and stop changing, whatever leafTimer
// holds.
TEST(TreeCourse, KnotAtTheOriginBefore20AndFirstStreamCageAndRaysEndAt30) {
  SteppedTree s;
  s.RunTo(1999, 3, [](const SteppedTree& t) {
    ASSERT_EQ(t.state.knotPosition.x, 0.0f);
    ASSERT_EQ(t.state.knotPosition.y, 0.0f);
    ASSERT_EQ(t.state.knotPosition.z, 0.0f);
  });
  EXPECT_GT(s.state.bloom, 0.8f);  // the second stream is already running
  EXPECT_EQ(s.trailFeathers.emitter.x, 0.0f);
  s.RunTo(2900, 3);
  EXPECT_TRUE(ShatteredCageShown(s.state) && FirstStreamShown(s.state) && RaysShown(s.state));
  EXPECT_GT(s.state.radialPhase, 0.0f);
  EXPECT_NE(s.trailFeathers.emitter.x, 0.0f);

  s.RunTo(3010, 3);
  const TreeState at30 = s.state;
  const Vec3 feather = s.treeFeathers.particles[0].position;
  s.RunTo(4000, 3);
  for (float leafTimer : {-5.0f, 1.0f}) {
    TreeState t = s.state;
    t.leafTimer = leafTimer;
    EXPECT_FALSE(FirstStreamShown(t) || ShatteredCageShown(t) || RaysShown(t)) << leafTimer;
  }
  EXPECT_TRUE(TrailShown(s.state));
  EXPECT_EQ(s.state.shatterPhase, at30.shatterPhase);
  EXPECT_EQ(s.state.radialPhase, at30.radialPhase);
  EXPECT_EQ(s.treeFeathers.particles[0].position.x, feather.x);
}

// Five seconds after 28 the first panel fades in over a second, stays four, fades out over one,
// and the next follows at once; the fifth step shows nothing.
TEST(TreePanels, FourPanelsFrom33To57EachSixSeconds) {
  TreeState s;
  int32_t lastIndex = 0;
  std::vector<double> starts;
  for (int i = 2801; i <= 6000; ++i) {
    s.sceneSeconds = i / 100.0;
    StepInfoPanels(s, 0.01f);
    if (s.infoIndex != lastIndex) starts.push_back(s.sceneSeconds);
    lastIndex = s.infoIndex;
    const double inPanel = starts.empty() ? -1 : s.sceneSeconds - starts.back();
    if (s.infoIndex >= 1 && s.infoIndex <= 4) {
      ASSERT_EQ(InfoPanel(s), s.infoIndex - 1) << s.sceneSeconds;
      float expected = 1;
      if (inPanel < 1) expected = static_cast<float>(inPanel);
      if (inPanel > 5) expected = static_cast<float>(6 - inPanel);
      ASSERT_NEAR(s.infoAlpha, expected, 0.021) << s.sceneSeconds;
    } else {
      ASSERT_EQ(InfoPanel(s), -1) << s.sceneSeconds;
    }
  }
  ASSERT_EQ(starts.size(), 5u);
  // Each change waits for the frame after its timer runs out: a hundredth late at most per step.
  for (size_t k = 0; k < starts.size(); ++k) EXPECT_NEAR(starts[k], 33 + 6 * k, 0.01 * (k + 1) + 1e-6) << k;
  EXPECT_EQ(s.infoIndex, 5);
  EXPECT_EQ(std::string(kTreeInfoFiles[3]), "Data\\info5.png");
}

// The lyric ranges share their ends: at 3800 the first image's rise and fall cancel while the
// second rises; at 4300 the second's cancel while the first falls and the third rises.
TEST(TreeLyrics, SharedEndsApplyBothBranches) {
  TreeState s;
  s.lyricAlpha = {0.5f, 0.25f, 0.0f};
  StepLyrics(s, 3800, 0.02f);
  EXPECT_FLOAT_EQ(s.lyricAlpha[0], 0.5f);
  EXPECT_FLOAT_EQ(s.lyricAlpha[1], 0.27f);
  EXPECT_EQ(s.lyricAlpha[2], 0.0f);
  StepLyrics(s, 4300, 0.02f);
  EXPECT_FLOAT_EQ(s.lyricAlpha[0], 0.48f);
  EXPECT_FLOAT_EQ(s.lyricAlpha[1], 0.27f);
  EXPECT_FLOAT_EQ(s.lyricAlpha[2], 0.02f);
}
