// abstract2_render_test.cpp -- the metaball scene on the headless context with the generated data folder.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "assets/geometry.h"
#include "scenes/abstract_ii_scene.h"
#include "support/gl_context.h"
#include "support/scene_run.h"
#include "support/temp_dir.h"
#include "support/window_projection.h"

using namespace MorlenGL;
using testsupport::ProjectToWindow;
using testsupport::WindowPoint;

namespace {

bool HaveData() { return std::filesystem::exists(std::string(TOLVANE_BINARY_DIR) + "/data/treball.3ds"); }

// Only the checked frames are drawn; the rest only tick, which keeps all state but what Draw
// advances (the spiral, the camera's brake).
class SceneRun : public testsupport::SceneRun<cAbstractIIScene> {
 public:
  explicit SceneRun(const std::string& dataParent = TOLVANE_BINARY_DIR)
      : testsupport::SceneRun<cAbstractIIScene>(6400, dataParent) {}

  // One drawn frame; `seen` keeps the camera it was drawn with (Draw sets the next frame's).
  void DrawnFrame(int32_t stepCs) {
    Frame(stepCs, false);
    seen = scene->camera;
    DrawAgain();
  }
  // The frame just drawn, once more without a tick.
  void DrawAgain() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    scene->DrawIfActive();
  }
  // Ticks every tenth of a second up to just before `at`, then draws the frame at `at`.
  void DrawAt(int32_t at) {
    while (scene->m_clock.m_elapsed + 20 <= at) Frame(10, false);
    DrawnFrame(at - scene->m_clock.m_elapsed);
  }

  Camera seen;
};

// [SECTION] reading pictures back

struct Pixels {
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;  // rows bottom first
  const unsigned char* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
  int Luma(int x, int y) const { return (At(x, y)[0] + At(x, y)[1] + At(x, y)[2]) / 3; }
};

Pixels ReadFramebuffer(GLuint framebuffer, int width, int height) {
  Pixels p{width, height, std::vector<unsigned char>(static_cast<size_t>(width) * height * 4)};
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, p.rgba.data());
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  return p;
}
Pixels ReadTarget(const cRenderTextureSystem& t) { return ReadFramebuffer(t.framebuffer, t.width, t.height); }
Pixels ReadWindow() { return ReadFramebuffer(0, 1024, 768); }

Pixels ReadCubeFace(const cCubeMapping& cube, int face) {
  Pixels p{cube.width, cube.height, std::vector<unsigned char>(static_cast<size_t>(cube.width) * cube.height * 4)};
  glBindTexture(GL_TEXTURE_CUBE_MAP, cube.colourTexture);
  glGetTexImage(kCubeFaces[face], 0, GL_RGBA, GL_UNSIGNED_BYTE, p.rgba.data());
  glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
  return p;
}

// Eye distance of the surface a target holds at (x, y).
double SurfaceDistance(const cRenderTextureSystem& target, const Camera& camera, int x, int y) {
  float depth = 1;
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, target.framebuffer);
  glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  const double n = camera.zNear, f = camera.zFar, ndc = 2.0 * depth - 1.0;
  return 2 * n * f / ((f + n) - ndc * (f - n));
}

// Mean absolute difference of two equally sized pictures over 64 x 64 blocks, the second turned
// by half a circle when `turned`: small where the two show the same view.
double BlockDifference(const Pixels& a, const Pixels& b, bool turned) {
  const int blocks = a.width / 64;
  double sum = 0;
  for (int by = 0; by < blocks; ++by)
    for (int bx = 0; bx < blocks; ++bx) {
      double ma = 0, mb = 0;
      for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
          const int px = bx * 64 + x, py = by * 64 + y;
          ma += a.Luma(px, py);
          mb += turned ? b.Luma(a.width - 1 - px, a.height - 1 - py) : b.Luma(px, py);
        }
      sum += std::abs(ma - mb) / (64 * 64);
    }
  return sum / (blocks * blocks);
}

// Share of a region's pixels brighter than `level`.
double ShareAbove(const Pixels& p, int x0, int y0, int x1, int y1, int level) {
  int n = 0, above = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x, ++n) above += p.Luma(x, y) > level;
  return static_cast<double>(above) / n;
}

// The ball nearest the eye: the pixel its centre lands on and its distance in world units (the
// balls are drawn at a fifth of their grid units).
struct BallInView {
  int x, y;
  double eyeDistance;
};
BallInView NearestBall(const SceneRun& run) {
  BallInView best{0, 0, 1e9};
  for (const Metaball& b : run.scene->state.balls) {
    const WindowPoint p = ProjectToWindow(run.seen, 0.2 * b.x, 0.2 * b.y, 0.2 * b.z);
    if (p.eyeDistance < best.eyeDistance) best = {static_cast<int>(p.x), static_cast<int>(p.y), p.eyeDistance};
  }
  return best;
}

// [SECTION] frames at the scene's events

class AbstractIIRender : public testing::Test {
 protected:
  void SetUp() override {
    if (!HaveData()) GTEST_SKIP() << "no generated data folder in " << TOLVANE_BINARY_DIR;
    if (!testsupport::EnsureGlContext()) return;
    testsupport::DrainGlErrors();
    run = std::make_unique<SceneRun>();
    run->DrawnFrame(1);  // the first frame restarts the scene clock
  }
  std::unique_ptr<SceneRun> run;
};

// 5 s: the balls at the centre of the room above the low water, the god-ray sphere behind them,
// both cube maps; and the frame's one mesh gives the same picture as meshing in every pass.
TEST_F(AbstractIIRender, AtFiveSecondsBallsRoomWaterGodRaysAndCubeMaps) {
  ASSERT_TRUE(run);
  run->DrawAt(500);
  ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  cAbstractIIScene& scene = *run->scene;
  const Camera& camera = run->seen;

  // The nearest ball's surface lies in front of its centre, lit in the ball's blue.
  const BallInView ball = NearestBall(*run);
  const double toSurface = SurfaceDistance(scene.targetS, camera, ball.x, ball.y);
  EXPECT_LT(toSurface, ball.eyeDistance - 0.4);
  EXPECT_GT(toSurface, ball.eyeDistance - 1.2);
  const Pixels sharp = ReadTarget(scene.targetS);
  EXPECT_GT(sharp.At(ball.x, ball.y)[2], 25);
  // The water plane two below the level eye: a pixel 200 rows below the centre meets it at a
  // depth of 2 / (200 / 384 tan 22.5 degrees), give or take its waves.
  EXPECT_NEAR(SurfaceDistance(scene.targetS, camera, 100, 184), 2 / (199.5 / 384 * std::tan(M_PI / 8)), 0.8);
  // The room: lit walls between 5 and 25 away in the upper corner.
  const double wall = SurfaceDistance(scene.targetS, camera, 60, 700);
  EXPECT_GT(wall, 5);
  EXPECT_LT(wall, 25);
  EXPECT_GT(sharp.Luma(60, 700), 8);
  // God-ray source: a white sphere with the balls black before it.
  const Pixels rays = ReadTarget(scene.targetG);
  EXPECT_GT(ShareAbove(rays, 0, 0, 1024, 768, 240), 0.005);
  EXPECT_EQ(rays.Luma(ball.x, ball.y), 0);
  EXPECT_EQ(scene.refraction.refractionIndex, 1.0f);  // not yet drawn with

  // The water's cube looks up from below the floor: four faces share one camera and are equal;
  // +y, one unit higher and turned, is not. The balls fill its middle, the room its rim.
  const Pixels up = ReadCubeFace(scene.waterCube, 1);
  for (int face : {3, 4, 5}) EXPECT_TRUE(ReadCubeFace(scene.waterCube, face).rgba == up.rgba) << face;
  EXPECT_FALSE(ReadCubeFace(scene.waterCube, 2).rgba == up.rgba);
  EXPECT_GT(ShareAbove(up, 192, 192, 320, 320, 8), 0.2);
  EXPECT_GT(ShareAbove(up, 0, 0, 512, 64, 8), 0.2);
  // The balls' cube: every face looks from the centre far along -z; +y and -y upright, the four
  // others upside down.
  const Pixels upright = ReadCubeFace(scene.envCube, 3);
  EXPECT_GT(ShareAbove(upright, 0, 0, 1024, 1024, 8), 0.3);
  for (int face : {0, 1, 2, 4, 5}) {
    const Pixels p = ReadCubeFace(scene.envCube, face);
    const bool turned = face != 2;
    EXPECT_LT(BlockDifference(p, upright, turned), 0.4 * BlockDifference(p, upright, !turned)) << face;
  }

  // The same frame again (no tick), meshing once and then in every pass: the same pixels. The cube maps of
  // the frame before feed the first passes (down to rounding in the ball program's mix), so one
  // more draw first makes the two draws' inputs equal.
  run->DrawAgain();
  run->DrawAgain();
  const Pixels once = ReadWindow();
  scene.meshOncePerFrame = false;
  run->DrawAgain();
  const Pixels everyPass = ReadWindow();
  scene.meshOncePerFrame = true;
  EXPECT_TRUE(once.rgba == everyPass.rgba);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Water patch, god-ray sphere and models drawn from what Init prepared, or sent to the driver as
// before: the same pixels to the byte. Each way draws the frame twice from the same scene state, so
// the cube maps it reads are its own.
void SetPrepared(cAbstractIIScene& scene, bool on) {
  scene.waterFromBuffer = scene.sphereFromBuffer = on;
  for (c3DsModelSystem* m : {&scene.roomModel, &scene.skySphereModel, &scene.treeBallModel, &scene.meteorCrackModel})
    m->fromBuffers = on;
}

TEST_F(AbstractIIRender, PreparedGeometryDrawsWhatTheDirectCallsDrew) {
  ASSERT_TRUE(run);
  cAbstractIIScene& scene = *run->scene;
  ASSERT_FALSE(scene.waterMesh.Empty());
  // Low water and the room; then the water over the eye, the spiral, the sky and the textured ball.
  for (int32_t at : {500, 4600}) {
    SCOPED_TRACE(at);
    run->DrawAt(at);
    const AbstractIIState state = scene.state;
    const Camera camera = scene.camera;
    Pixels drawn[2];
    for (int way = 0; way < 2; ++way) {
      scene.state = state;
      scene.camera = camera;
      SetPrepared(scene, way == 0);
      run->DrawAgain();
      run->DrawAgain();
      drawn[way] = ReadWindow();
    }
    SetPrepared(scene, true);
    EXPECT_TRUE(drawn[0].rgba == drawn[1].rgba);
    EXPECT_GT(ShareAbove(drawn[0], 0, 0, 1024, 768, 20), 0.05);
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// 13 s: the water has passed the eye and is seen from below; the balls refract from now on.
// Just before 32 s: the flash at its peak, its picture over the whole window.
TEST_F(AbstractIIRender, WaterAboveTheEyeAfterTwelveSecondsAndTheFlashAt32) {
  ASSERT_TRUE(run);
  run->DrawAt(1300);
  ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  const double waterHeight = run->scene->state.waterHeight;
  EXPECT_NEAR(waterHeight, 1.0, 0.15);  // the first frame past 10 s rises by its whole step
  EXPECT_NEAR(SurfaceDistance(run->scene->targetS, run->seen, 100, 583),
              waterHeight / (199.5 / 384 * std::tan(M_PI / 8)), 0.7);
  EXPECT_EQ(run->scene->refraction.refractionIndex, 1.333f);

  run->DrawAt(3190);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(run->scene->state.flashGate, 1.0f);
  const Pixels window = ReadWindow();
  EXPECT_GT(window.Luma(512, 384), 200);  // the glow in its middle...
  for (int x : {16, 1008})
    for (int y : {16, 752}) EXPECT_LT(window.Luma(x, y), 60);  // ...dusk at its corners, over any scene
}

// 45 s on: the black spiral winds out of the balls; by 63.75 s the picture is black and white,
// the textured ball, refracting the dark sky, black in the middle.
TEST_F(AbstractIIRender, SpiralFrom45SecondsAndBlackAndWhiteAtTheEnd) {
  ASSERT_TRUE(run);
  run->DrawAt(4500);
  run->DrawnFrame(200);
  run->DrawnFrame(200);  // each full-view pass adds 2: the sharp pass drew n = 200 (after the jump)
  ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  ASSERT_GE(run->scene->state.spiralTime, 20);
  // The pen's points under the balls' transform and the spiral's turns.
  RecordingEmitter spiral;
  LinePen pen;
  Spiral(pen, 200, 0.01f, 10, 0.005f, spiral);
  Apply(run->seen);
  glScalef(0.2f, 0.2f, 0.2f);
  glRotatef(90, 1, 0, 0);
  glRotatef(33, 0, 1, 0);
  const Pixels sharp = ReadTarget(run->scene->targetS);
  int samples = 0, dark = 0;
  for (size_t b = 100; b < spiral.batches.size(); b += 5) {  // the outer turns, clear of the balls
    const float* q = spiral.batches[b].vertices[1].position;
    const WindowPoint w = ProjectToWindow(q[0], q[1], q[2]);
    ++samples;
    dark += sharp.Luma(static_cast<int>(w.x), static_cast<int>(w.y)) < 25;
  }
  EXPECT_GT(dark, samples * 2 / 3) << dark << " of " << samples;

  run->DrawAt(6375);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(run->scene->state.bwMix, 1.0f);
  const Pixels window = ReadWindow();
  int black = 0, white = 0, grey = 0;
  for (int y = 0; y < 768; y += 4)
    for (int x = 0; x < 1024; x += 4) {
      const unsigned char* p = window.At(x, y);
      grey += p[0] == p[1] && p[1] == p[2];
      black += p[0] < 30;
      white += p[0] > 225;
    }
  const int n = 256 * 192;
  EXPECT_EQ(grey, n);
  EXPECT_GT(black, n / 10);
  EXPECT_GT(white, n / 10);
  EXPECT_GT(black + white, n * 95 / 100);
  EXPECT_LT(window.Luma(512, 384), 30);
}

// Without a data folder every file is reported once and every pass still draws.
TEST(AbstractIIRenderWithoutData, ReportsEachMissingFileAndDrawsWithoutErrors) {
  REQUIRE_GL();
  testsupport::DrainGlErrors();
  testsupport::TempDir empty;
  const std::vector<std::string> lines = testsupport::DiagnosticsOf([&] {
    SceneRun run(empty.path());
    run.DrawnFrame(1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    run.DrawAt(4600);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  });
  for (const char* name : {"pillarroom_diff.jpg", "og2.png", "skybox_bonjour.png", "treball.3ds", "pillarroom.3DS"})
    EXPECT_EQ(testsupport::Mentions(lines, name), 1) << name;
}

}  // namespace
