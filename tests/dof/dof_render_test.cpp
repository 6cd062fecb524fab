// dof_render_test.cpp -- the planet scene on the headless context with the generated data folder.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "scenes/dof_scene.h"
#include "support/gl_context.h"
#include "support/scene_run.h"
#include "support/temp_dir.h"
#include "support/window_projection.h"

using namespace MorlenGL;

namespace {

bool HaveData() { return std::filesystem::exists(std::string(TOLVANE_BINARY_DIR) + "/data/planet01.3ds"); }

using testsupport::DrainGlErrors;

// The scene inside its window 0:00.0 to 0:57.0, with a steady third spectrum bin.
class SceneRun : public testsupport::SceneRun<cDoF> {
 public:
  explicit SceneRun(const std::string& dataParent = TOLVANE_BINARY_DIR)
      : testsupport::SceneRun<cDoF>(5700, dataParent) {
    music.m_spectrum[2] = 0.5f;
  }
};

int Darkest(const testsupport::Rgba& p) { return std::min(p.r, std::min(p.g, p.b)); }

// The window pixel at (x, y) in 16 x 12 sample points over the frame, reduced by `pick`.
template <class Pick, class Reduce>
int OverGrid(Pick pick, Reduce reduce, int start) {
  int result = start;
  for (int j = 0; j < 12; ++j)
    for (int i = 0; i < 16; ++i) result = reduce(result, pick(testsupport::ReadPixel(32 + i * 64, 32 + j * 64)));
  return result;
}

// What the sharp pass (target B) holds at the window position where a world point lands.
struct SharpSample {
  float rgb[3];
  double distance;  // eye distance of the surface there
  double eyeToOrigin;
};
SharpSample SharpAt(cDoF& scene, double x, double y, double z) {
  const testsupport::WindowPoint w = testsupport::ProjectToWindow(scene.camera, x, y, z);
  const int wx = static_cast<int>(w.x), wy = static_cast<int>(w.y);
  SharpSample s{};
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, scene.targetB.framebuffer);
  float rgba[4] = {0, 0, 0, 0}, depth = 1;
  glReadPixels(wx, wy, 1, 1, GL_RGBA, GL_FLOAT, rgba);
  glReadPixels(wx, wy, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  for (int i = 0; i < 3; ++i) s.rgb[i] = rgba[i];
  const double n = scene.camera.zNear, f = scene.camera.zFar, ndc = 2.0 * depth - 1.0;
  s.distance = 2 * n * f / ((f + n) - ndc * (f - n));
  const CameraPoint& e = scene.camera.eye;
  s.eyeToOrigin = std::sqrt(e.x * e.x + e.y * e.y + e.z * e.z);
  return s;
}

class DofRender : public testing::Test {
 protected:
  void SetUp() override {
    if (!HaveData()) GTEST_SKIP() << "no generated data folder in " << TOLVANE_BINARY_DIR;
    if (!testsupport::EnsureGlContext()) return;
    DrainGlErrors();
    run = std::make_unique<SceneRun>();
  }
  std::unique_ptr<SceneRun> run;
};

TEST_F(DofRender, OpensOnTheFlashPictureThatFadesWithin25Frames) {
  ASSERT_TRUE(run);
  // The first Update has already taken one step off the flash, so its picture is 0.96 over the
  // scene: a warm glow in the middle, dusk at the corners.
  run->Frame(1);
  const testsupport::Rgba middle = testsupport::ReadPixel(512, 384), corner = testsupport::ReadPixel(8, 8);
  EXPECT_GT(middle.r, 220);
  EXPECT_LT(corner.r + corner.g + corner.b, 3 * 80);
  for (int i = 1; i < 25; ++i) run->Frame(1);
  EXPECT_NEAR(run->scene->state.flashAlpha, 0.0f, 1e-6f);
  const int darkestSum = OverGrid(Darkest, [](int a, int b) { return a + b; }, 0);
  EXPECT_LT(darkestSum, 16 * 12 * 180);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DofRender, EventFramesShowPlanetThenCageAndBlackSphere) {
  ASSERT_TRUE(run);
  run->Frame(1);
  for (int32_t at : {1000, 2500, 3500}) {
    run->RunTo(at - 10);
    run->Frame(10);
    SCOPED_TRACE(run->Time());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // The planet (radius 45) is the first surface on the line of sight through its upper half.
    const SharpSample s = SharpAt(*run->scene, 0, 20, 0);
    EXPECT_LT(s.distance, s.eyeToOrigin - 25);
    EXPECT_GT(s.distance, s.eyeToOrigin - 50);
    EXPECT_GT(std::max(s.rgb[0], std::max(s.rgb[1], s.rgb[2])), 0.05f);
  }
  // From 48 s the black sphere grows out of the closed black shell (radius 48).
  run->RunTo(4800);
  run->RunTo(5100, 4800);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(run->scene->state.cageFade, 1.0f);
  const SharpSample s = SharpAt(*run->scene, 0, 0, 0);
  EXPECT_LT(std::max(s.rgb[0], std::max(s.rgb[1], s.rgb[2])), 0.02f);
  EXPECT_LT(s.distance, s.eyeToOrigin - 50);
  EXPECT_GT(run->scene->state.holeGrowth, 30.0f);
}

// Without a data folder every file is reported once and the scene still runs its passes.
TEST(DofRenderWithoutData, ReportsEachMissingFileAndDrawsWithoutErrors) {
  REQUIRE_GL();
  DrainGlErrors();
  testsupport::TempDir empty;
  const std::vector<std::string> lines = testsupport::DiagnosticsOf([&] {
    SceneRun run(empty.path());
    run.Frame(1);
    run.RunTo(5000, 4990);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  });
  for (const char* name : {"planet01.3ds", "sky_ring.3ds", "specular.jpg", "logo4.png", "dof_kf_pos.dkf"})
    EXPECT_EQ(testsupport::Mentions(lines, name), 1) << name;
}

}  // namespace
