// water_render_test.cpp -- the planet water scene on the headless context with the generated data folder.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "scenes/planet_water_scene.h"
#include "support/gl_context.h"
#include "support/scene_run.h"
#include "support/temp_dir.h"
#include "support/window_projection.h"

using namespace MorlenGL;
using testsupport::DrainGlErrors;

namespace {

bool HaveData() { return std::filesystem::exists(std::string(TOLVANE_BINARY_DIR) + "/data/waterplanet.3ds"); }

using WaterRun = testsupport::SceneRun<cPlanetWaterScene>;
constexpr int32_t kWindowLength = 7000;

struct Pixels {
  int width = 0, height = 0;
  std::vector<float> rgba;
  const float* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
  float Brightest(int x, int y) const { return std::max({At(x, y)[0], At(x, y)[1], At(x, y)[2]}); }
};

// framebuffer 0 is the window.
Pixels ReadFramebuffer(GLuint framebuffer, int width, int height) {
  Pixels p;
  p.width = width;
  p.height = height;
  p.rgba.resize(static_cast<size_t>(width) * height * 4);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_FLOAT, p.rgba.data());
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  return p;
}

Pixels ReadTarget(const cRenderTextureSystem& target) {
  return ReadFramebuffer(target.framebuffer, target.width, target.height);
}

// The closing image as the full-screen quad shows it at window pixel (x, y): the quad is 2.08 units
// high at distance 5, where the square view is 2.0711 high.
struct ClosingImage {
  int width = 0, height = 0;
  std::vector<unsigned char> texels;
  explicit ClosingImage(GLuint texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    texels.resize(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
  }
  bool Matches(const Pixels& window, int x, int y) const {
    auto texel = [](int p, int size, int texSize) {
      const double s = 0.5 + 0.5 * ((p + 0.5) / (size / 2.0) - 1) * (2.0711 / 2.08);
      return std::clamp(static_cast<int>(s * texSize), 0, texSize - 1);
    };
    const unsigned char* t =
        &texels[(static_cast<size_t>(texel(y, window.height, height)) * width + texel(x, window.width, width)) * 4];
    for (int c = 0; c < 3; ++c)
      if (std::fabs(window.At(x, y)[c] * 255 - t[c]) > 16) return false;
    return true;
  }
  // The share of window pixels in rows [y0, y1) (from the bottom) that show the image.
  double Share(const Pixels& window, int y0, int y1) const {
    int same = 0, all = 0;
    for (int y = y0; y < y1; y += 3)
      for (int x = 0; x < window.width; x += 3, ++all) same += Matches(window, x, y);
    return all ? static_cast<double>(same) / all : 0;
  }
};

// The share of pixels in the central box of a target that are black: the cage's struts over the planet.
double BlackShareOverPlanet(const Pixels& p) {
  int black = 0, all = 0;
  for (int y = p.height / 2 - 100; y < p.height / 2 + 100; y += 2)
    for (int x = p.width / 2 - 140; x < p.width / 2 + 140; x += 2, ++all) black += p.Brightest(x, y) < 0.01f;
  return static_cast<double>(black) / all;
}

// The brightest channel over a box of a target, in fractions of its width and height from the
// lower left.
float BrightestIn(const Pixels& p, double x0, double x1, double y0, double y1) {
  float brightest = 0;
  for (int y = static_cast<int>(y0 * p.height); y < static_cast<int>(y1 * p.height); ++y)
    for (int x = static_cast<int>(x0 * p.width); x < static_cast<int>(x1 * p.width); ++x)
      brightest = std::max(brightest, p.Brightest(x, y));
  return brightest;
}
// Only sky reaches the upper corners, left and right of the planet.
float UpperCornersBrightest(const Pixels& p) {
  return std::max(BrightestIn(p, 0.0, 0.1, 0.88, 1.0), BrightestIn(p, 0.9, 1.0, 0.88, 1.0));
}
// Just above the planet and its cage, where the sun sprite's rays stand out.
float AbovePlanetBrightest(const Pixels& p) { return BrightestIn(p, 0.3, 0.7, 0.84, 0.92); }

class WaterRender : public testing::Test {
 protected:
  void SetUp() override {
    if (!HaveData()) GTEST_SKIP() << "no generated data folder in " << TOLVANE_BINARY_DIR;
    if (!testsupport::EnsureGlContext()) return;
    DrainGlErrors();
    run = std::make_unique<WaterRun>(kWindowLength);
  }
  // Updates every tenth of a second and draws only the frame at scene time `cs`.
  void DrawAt(int32_t cs) {
    run->RunTo(cs - 10);
    run->Frame(cs - run->scene->m_clock.m_elapsed);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "at " << cs;
  }
  std::unique_ptr<WaterRun> run;
};

TEST_F(WaterRender, EventFramesShowCageSunAndClosingImageAsTheyCome) {
  ASSERT_TRUE(run);
  cPlanetWaterScene& scene = *run->scene;
  // 0 s: the first frame draws at scene time 0. The black cage stands over the planet; the sun
  // sprite is black, so the glow source (no sky) is dark above the planet.
  run->Frame(1);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_GT(BlackShareOverPlanet(ReadTarget(scene.targetA)), 0.03);
  EXPECT_LT(AbovePlanetBrightest(ReadTarget(scene.targetE)), 0.02f);
  const ClosingImage closing(scene.endImage.textureId);
  // 10 s: half faded; the cage still there.
  DrawAt(1000);
  EXPECT_TRUE(CageVisible(scene.state));
  // 20 s: the cage is gone, the sun sprite shines at full strength around the planet.
  DrawAt(2000);
  EXPECT_LT(BlackShareOverPlanet(ReadTarget(scene.targetA)), 0.005);
  EXPECT_GT(AbovePlanetBrightest(ReadTarget(scene.targetE)), 0.2f);
  EXPECT_LT(closing.Share(ReadFramebuffer(0, 1024, 768), 0, 768), 0.3);
  // 27 s: the closing image is opaque and covers the whole window, but for the scroller's lines.
  DrawAt(2700);
  EXPECT_GE(scene.state.endFade, 1.0f);
  EXPECT_GT(closing.Share(ReadFramebuffer(0, 1024, 768), 0, 768), 0.6);
  // 43.9 s: the scroller's last lines stand in the top fifth; below it the closing image alone.
  DrawAt(4390);
  const Pixels window = ReadFramebuffer(0, 1024, 768);
  EXPECT_GT(closing.Share(window, 0, 580), 0.97);
  EXPECT_LT(closing.Share(window, 620, 740), 0.9);
}

TEST_F(WaterRender, GlowPassHasNoSkySpheres) {
  ASSERT_TRUE(run);
  run->Frame(1);
  // Sharp pass: the sky reaches the upper corners; glow source: nothing does.
  EXPECT_GT(UpperCornersBrightest(ReadTarget(run->scene->targetA)), 0.05f);
  EXPECT_LT(UpperCornersBrightest(ReadTarget(run->scene->targetE)), 0.02f);
}

// A flat square model facing the eye at 10 s, 60 units out from the planet's centre toward the eye
// and 12 across, with texture height 0 at its bottom edge and 1 at its top, in cage model units.
c3DsModelSystem FacingSquare(const Camera& camera, double* bottom, double* top) {
  const double cageScale = 0.105, d = 60, half = 6;
  const double len = std::hypot(camera.eye.x, camera.eye.z);
  const double dx = camera.eye.x / len, dz = camera.eye.z / len;
  const double rx = dz, rz = -dx;  // to the right, seen from the eye
  MeshObject o;
  o.vertexCount = o.texCoordCount = 4;
  o.hasTexCoords = true;
  for (int corner = 0; corner < 4; ++corner) {
    const double sx = corner == 1 || corner == 2 ? 1 : -1, sy = corner >= 2 ? 1 : -1;
    for (double v : {d * dx + half * sx * rx, half * sy, d * dz + half * sx * rz})
      o.vertices.push_back(static_cast<float>(v / cageScale));
    for (double n : {dx, 0.0, dz}) o.normals.push_back(static_cast<float>(n));
    o.texCoords.push_back(sx > 0 ? 1.0f : 0.0f);
    o.texCoords.push_back(sy > 0 ? 1.0f : 0.0f);
  }
  FaceGroup g;
  g.indices = {0, 1, 2, 0, 2, 3};
  g.indexCount = 6;
  o.groups.push_back(g);
  c3DsModelSystem model;
  model.objects.push_back(o);
  model.objectCount = 1;
  // Where its bottom and top edge midpoints land in the window, in rows from the bottom.
  *bottom = testsupport::ProjectToWindow(camera, d * dx, -half, d * dz).y;
  *top = testsupport::ProjectToWindow(camera, d * dx, half, d * dz).y;
  return model;
}

TEST_F(WaterRender, CageIsBlackBelowTextureHeightOfItsFadeWithASoftBandOf002) {
  ASSERT_TRUE(run);
  cPlanetWaterScene& scene = *run->scene;
  run->Frame(1);
  run->RunTo(990);
  SetOrbitCamera(scene.camera, 10.0f);  // the camera the next Update sets
  double bottom = 0, top = 0;
  scene.cageModel = FacingSquare(scene.camera, &bottom, &top);
  DrawAt(1000);
  ASSERT_NEAR(scene.state.cageFade, 0.5f, 1e-3f);
  // Behind the square is the lit planet: what is not black there is the planet showing through.
  const Pixels sharp = ReadTarget(scene.targetA);
  int blackRows = 0, clearRows = 0;
  for (int y = static_cast<int>(bottom) + 2; y < static_cast<int>(top) - 2; ++y) {
    const double v = (y + 0.5 - bottom) / (top - bottom);
    if (v > 0.485 && v < 0.515) continue;
    float brightest = 0, darkest = 1;
    for (int x = 490; x < 534; ++x) {
      brightest = std::max(brightest, sharp.Brightest(x, y));
      darkest = std::min(darkest, sharp.Brightest(x, y));
    }
    if (v < 0.5) {
      EXPECT_LT(brightest, 0.002f) << "texture height " << v;
      blackRows += brightest < 0.002f;
    } else {
      EXPECT_GT(darkest, 0.015f) << "texture height " << v;
      clearRows += darkest > 0.015f;
    }
  }
  EXPECT_GT(blackRows, 50);
  EXPECT_GT(clearRows, 50);
}

// Without a data folder every missing file is reported once and every pass still draws.
TEST(WaterRenderWithoutData, ReportsEachMissingFileOnceAndDrawsWithoutErrors) {
  REQUIRE_GL();
  DrainGlErrors();
  testsupport::TempDir empty;
  const std::vector<std::string> lines = testsupport::DiagnosticsOf([&] {
    WaterRun run(kWindowLength, empty.path());
    run.Frame(1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    run.RunTo(2700, 2690);  // the closing image opaque
    EXPECT_GE(run.scene->state.endFade, 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  });
  for (const char* name : {"waterplanet.3DS", "feather.3DS", "donetreabstrakt.jpg", "scroller.png", "waternormal.JPG"})
    EXPECT_EQ(testsupport::Mentions(lines, name), 1) << name;
}

}  // namespace
