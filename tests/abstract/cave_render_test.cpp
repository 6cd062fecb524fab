// cave_render_test.cpp -- the two meteor-cave scenes on the headless context with the generated data.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "scenes/abstract_i_scene.h"
#include "scenes/abstract_iii_scene.h"
#include "support/gl_context.h"
#include "support/scene_run.h"
#include "support/temp_dir.h"

using namespace MorlenGL;
using testsupport::SceneRun;

namespace {

bool HaveData() { return std::filesystem::exists(std::string(TOLVANE_BINARY_DIR) + "/data/meteor.3ds"); }

using testsupport::DrainGlErrors;

// The scenes' windows in these tests: long enough for every event.
constexpr int32_t kOpenWindow = 1 << 30;

// The brightest channel of the window over a 16 x 12 grid: its maximum and its mean.
struct Brightness {
  int most = 0;
  double mean = 0;
};
Brightness WindowBrightness() {
  Brightness b;
  for (int j = 0; j < 12; ++j)
    for (int i = 0; i < 16; ++i) {
      const testsupport::Rgba p = testsupport::ReadPixel(32 + i * 64, 32 + j * 64);
      const int m = std::max(p.r, std::max(p.g, p.b));
      b.most = std::max(b.most, m);
      b.mean += m / 192.0;
    }
  return b;
}

// How far the window is from the closing texture drawn upright or upside down: the mean difference
// of the red channel over a grid. The quad stacks
// on the overlay's, so it is 2.08 x 2.08 times the quad that just covers the view: the window
// shows texture coordinates 0.5 +- 0.5 / 2.08 across and (upright) up.
struct Orientation {
  double upright = 0, flipped = 0;
};
Orientation CompareWithClosingTexture(GLuint texture) {
  GLint w = 0, h = 0;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  std::vector<unsigned char> texels(static_cast<size_t>(w) * h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  auto texel = [&](double s, double t) {
    const int x = std::clamp(static_cast<int>(s * w), 0, w - 1);
    const int y = std::clamp(static_cast<int>(t * h), 0, h - 1);
    return static_cast<int>(texels[(static_cast<size_t>(y) * w + x) * 4]);
  };
  const double reach = 0.5 * std::tan(22.5 * M_PI / 180) * 5 / (2.08 * 2.08);
  Orientation o;
  for (int j = 0; j < 24; ++j)
    for (int i = 0; i < 32; ++i) {
      const int x = 16 + i * 32, y = 16 + j * 32;
      const double s = 0.5 + reach * ((x + 0.5) / 512 - 1), up = reach * ((y + 0.5) / 384 - 1);
      const int seen = testsupport::ReadPixel(x, y).r;
      o.upright += std::abs(seen - texel(s, 0.5 + up));
      o.flipped += std::abs(seen - texel(s, 0.5 - up));
    }
  o.upright /= 32 * 24;
  o.flipped /= 32 * 24;
  return o;
}

template <class Scene>
class CaveRender : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(HaveData()) << "no generated data folder in " << TOLVANE_BINARY_DIR;
    if (!testsupport::EnsureGlContext()) return;
    DrainGlErrors();
    run = std::make_unique<SceneRun<Scene>>(kOpenWindow);
  }
  std::unique_ptr<SceneRun<Scene>> run;
};

// Ticks (drawing nothing) to just before `at`, then draws the frame at `at`.
template <class Scene>
void DrawAt(SceneRun<Scene>& run, int32_t at) {
  run.RunTo(at - 10);
  run.Frame(10);
}

using AbstractIRender = CaveRender<cAbstractIScene>;
using AbstractIIIRender = CaveRender<cAbstractIIIScene>;

TEST_F(AbstractIRender, BlackAtFirstLitByTheMusicThenUpsideDownUnderTheClosingTexture) {
  ASSERT_TRUE(run);
  run->music.m_spectrum[2] = 0.5f;
  run->Frame(1);
  EXPECT_LT(WindowBrightness().most, 4);
  DrawAt(*run, 1200);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  const Brightness lit = WindowBrightness();
  EXPECT_GT(lit.mean, 40);
  EXPECT_GT(lit.most, 100);
  DrawAt(*run, 2250);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  const Orientation o = CompareWithClosingTexture(run->scene->specularMapTexture.textureId);
  EXPECT_LT(o.flipped, 4);
  EXPECT_GT(o.upright, 5 * o.flipped);  // the marble is mostly dark: a wrong turn differs only at its veins
}

TEST_F(AbstractIIIRender, DarkInSilenceUntilTheLightSwellsAfterTenSecondsThenUprightClosingTexture) {
  ASSERT_TRUE(run);
  run->Frame(1);
  EXPECT_LT(WindowBrightness().most, 4);
  // Before 10 s only the specular glints, which no light colour scales, show in silence.
  DrawAt(*run, 950);
  const Brightness dark = WindowBrightness();
  DrawAt(*run, 1250);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  const Brightness lit = WindowBrightness();
  EXPECT_LT(dark.mean, 20);
  EXPECT_GT(lit.mean, 5 * dark.mean);
  DrawAt(*run, 2410);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  const Orientation o = CompareWithClosingTexture(run->scene->specularMapTexture.textureId);
  EXPECT_LT(o.upright, 4);
  EXPECT_GT(o.flipped, 5 * o.upright);
}

// Draws the god-ray source three times and compares the last two, so the program parameters that
// carry from one call to the next are the same for both.
bool GodRaySourceRepeats(cMeteorCaveScene& scene) {
  std::vector<float> images[3];
  for (std::vector<float>& image : images) {
    RenderToTarget(scene.targetB, [&] {
      scene.DrawSceneContent(cMeteorCaveScene::kGodRaySource, scene.targetA.colourTexture);
    });
    image.resize(1024 * 768 * 4);
    scene.targetB.Begin();
    glReadPixels(0, 0, 1024, 768, GL_RGBA, GL_FLOAT, image.data());
    scene.targetB.End();
  }
  return images[1] == images[2];
}

float RedAt(cRenderTextureSystem& target, int x, int y) {
  float rgba[4] = {};
  target.Begin();
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_FLOAT, rgba);
  target.End();
  return rgba[0];
}

TEST_F(AbstractIRender, SilenceHidesTheStrandsAndAddsTheGodRaySourceUnblurred) {
  ASSERT_TRUE(run);
  run->Frame(1);
  DrawAt(*run, 500);
  cMeteorCaveScene& scene = *run->scene;
  // The strands take new random points every pass: any that show make two passes differ. Even
  // transparent they write depth, so the wheels drawn after them are left out of this comparison.
  scene.wheelModel.visible = false;
  EXPECT_TRUE(GodRaySourceRepeats(scene));
  scene.state.musicLevel = 0.5f;
  EXPECT_FALSE(GodRaySourceRepeats(scene));
  scene.wheelModel.visible = true;

  // A white square in target B, nothing in A and C: target D holds B's god rays alone.
  glClearColor(0, 0, 0, 1);
  RenderToTarget(scene.targetA, [] {});
  RenderToTarget(scene.targetC, [] {});
  RenderToTarget(scene.targetB, [] {
    glEnable(GL_SCISSOR_TEST);
    glScissor(448, 320, 128, 128);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
  });
  // At T = 0 the rays converge on (0.505, 0.51) of the picture, inside the square.
  for (float level : {0.0f, 0.5f}) {
    SCOPED_TRACE(level);
    scene.state.musicLevel = level;
    RenderToTarget(scene.targetD, [&] { scene.ComposeGodRays(0); });
    EXPECT_FLOAT_EQ(RedAt(scene.targetD, 452, 384), 1.0f);
    EXPECT_FLOAT_EQ(RedAt(scene.targetD, 300, 384), 0.0f);
    if (level == 0)
      EXPECT_EQ(RedAt(scene.targetD, 444, 384), 0.0f);  // four pixels outside: untouched
    else
      EXPECT_GT(RedAt(scene.targetD, 444, 384), 0.2f);  // the square smeared outward
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Without a data folder every file is reported and both scenes still run every pass.
TEST(CaveRenderWithoutData, ReportsEachMissingFileOnceAndDrawsWithoutErrors) {
  REQUIRE_GL();
  DrainGlErrors();
  testsupport::TempDir empty;
  const std::vector<std::string> lines = testsupport::DiagnosticsOf([&] {
    SceneRun<cAbstractIScene> first(kOpenWindow, empty.path());
    first.Frame(1);
    DrawAt(first, 2110);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    SceneRun<cAbstractIIIScene> third(kOpenWindow, empty.path());
    third.Frame(1);
    DrawAt(third, 2310);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  });
  // Files both visits load are reported by each, except a track, whose lines are said once.
  for (const char* name : {"meteor.3ds", "wheel.3ds", "wheel_spec.jpg"})
    EXPECT_EQ(testsupport::Mentions(lines, name), 2) << name;
  EXPECT_EQ(testsupport::Mentions(lines, "dof_kf_pos.dkf"), 1);
  EXPECT_EQ(testsupport::Mentions(lines, "og1.png"), 1);
  EXPECT_EQ(testsupport::Mentions(lines, "og2.png"), 1);
}

}  // namespace
