// greeting_render_test.cpp -- the greeting scene on the headless context with the generated data folder.
#include <epoxy/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "scenes/greeting_scene.h"
#include "support/gl_context.h"
#include "support/scene_run.h"
#include "support/temp_dir.h"

using namespace MorlenGL;

namespace {

constexpr int kWidth = 1024, kHeight = 768;

using GreetingRun = testsupport::SceneRun<cGreetingScene>;

using testsupport::DrainGlErrors;

// The whole picture of the window (framebuffer 0) or a target, as bytes or as floats.
std::vector<uint8_t> Bytes(GLuint framebuffer = 0) {
  std::vector<uint8_t> p(size_t(kWidth) * kHeight * 4);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  return p;
}
std::vector<float> Floats(GLuint framebuffer) {
  std::vector<float> p(size_t(kWidth) * kHeight * 4);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_FLOAT, p.data());
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  return p;
}

// Pixels whose colour differs by more than `tolerance` in any channel, within a window rectangle.
int Differing(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int tolerance = 0, int x0 = 0,
              int y0 = 0, int x1 = kWidth, int y1 = kHeight) {
  int count = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      for (int c = 0; c < 3; ++c) {
        const size_t k = (size_t(y) * kWidth + x) * 4 + c;
        if (std::abs(int(a[k]) - int(b[k])) > tolerance) {
          ++count;
          break;
        }
      }
  return count;
}

// The eye distance of the surface target A holds at the middle of the picture.
double CentreDistance(const cGreetingScene& scene) {
  float depth = 1;
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, scene.targetA.framebuffer);
  glReadPixels(kWidth / 2, kHeight / 2, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  const double n = scene.camera.zNear, f = scene.camera.zFar, ndc = 2.0 * depth - 1.0;
  return 2 * n * f / ((f + n) - ndc * (f - n));
}
double EyeToOrigin(const cGreetingScene& scene) {
  const CameraPoint& e = scene.camera.eye;
  return std::sqrt(e.x * e.x + e.y * e.y + e.z * e.z);
}

// Sum of all colour channels of target A.
double Light(const std::vector<float>& p) {
  double sum = 0;
  for (size_t k = 0; k < p.size(); ++k)
    if (k % 4 != 3) sum += p[k];
  return sum;
}

class GreetingRender : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(std::string(TOLVANE_BINARY_DIR) + "/data/credring.3ds"))
        << "the build generates the data folder";
    if (!testsupport::EnsureGlContext()) return;
    DrainGlErrors();
    run = std::make_unique<GreetingRun>(3200);
  }
  // Advances without drawing to 10 hundredths before `at`, then draws the frame at `at`.
  void DrawAt(int32_t at) {
    run->RunTo(at - 10);
    run->Frame(at - run->scene->m_clock.m_elapsed);
    ASSERT_EQ(run->scene->m_clock.m_elapsed, at);
  }
  std::unique_ptr<GreetingRun> run;
};

// Start, 5 s, the first cut, 20 s and 31.8 s: the picture comes out of the fade picture and goes back.
TEST_F(GreetingRender, EventFramesComeOutOfTheFadePictureAndGoBack) {
  ASSERT_TRUE(run);
  cGreetingScene& scene = *run->scene;
  run->Frame(1);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  const std::vector<uint8_t> start = Bytes();
  std::vector<uint8_t> shown[2];
  int k = 0;
  for (int32_t at : {500, 2000}) {
    SCOPED_TRACE(at);
    DrawAt(at);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(scene.state.fadeLevel, 1.0f);
    shown[k++] = Bytes();
    // The tower stands in the middle: the middle of the picture is its near side, short of the origin.
    const double d = CentreDistance(scene), e = EyeToOrigin(scene);
    EXPECT_GT(d, e - 9);
    EXPECT_LT(d, e - 3);
  }
  // At the cut and from 30.5 s on the fade picture alone fills the window, whatever is behind it.
  DrawAt(800);
  EXPECT_EQ(scene.state.cutShift, 200);
  const std::vector<uint8_t> cut = Bytes();
  DrawAt(3180);
  EXPECT_LT(scene.state.fadeLevel, 0.0f);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  const std::vector<uint8_t> end = Bytes();
  EXPECT_EQ(Differing(cut, end), 0);
  // The first frame shows the picture at a hundredth's fade: next to nothing of it.
  EXPECT_EQ(Differing(start, end, 2), 0);
  for (const std::vector<uint8_t>& frame : shown) EXPECT_GT(Differing(frame, end, 40), kWidth * kHeight * 3 / 4);
}

// At 5 s the eye is high above y -10, so each ring is drawn twice, at 0.4 and 0.3 in silence.
TEST_F(GreetingRender, RingsAtSilenceSpheresBothWaysAndTheFrameOverlay) {
  ASSERT_TRUE(run);
  cGreetingScene& scene = *run->scene;
  run->Frame(1);  // the first drawn frame restarts the scene clock
  DrawAt(500);
  ASSERT_GT(scene.camera.eye.y, -10);
  const GLuint target = scene.targetA.framebuffer;
  float* bins = run->music.m_spectrum;

  // The light a ring adds grows with its alpha (target A is a float target: nothing clips).
  auto ringLight = [&](int bin, float level, float off) {
    bins[bin] = level;
    scene.Draw();
    const double lit = Light(Floats(target));
    bins[bin] = off;
    return lit;
  };
  bins[5] = -0.4f;  // ring A at alpha 0
  bins[1] = -0.3f;  // ring B at alpha 0
  scene.Draw();
  const double dark = Light(Floats(target));
  const double ringA = ringLight(5, 0.0f, -0.4f) - dark, ringAFull = ringLight(5, 0.6f, -0.4f) - dark;
  const double ringB = ringLight(1, 0.0f, -0.3f) - dark, ringBFull = ringLight(1, 0.7f, -0.3f) - dark;
  EXPECT_GT(ringAFull, 1000);
  EXPECT_GT(ringBFull, 1000);
  EXPECT_NEAR(ringA / ringAFull, 0.4, 0.01);
  EXPECT_NEAR(ringB / ringBFull, 0.3, 0.01);
  bins[1] = bins[5] = 0;

  // The prepared spheres draw the picture gluSphere draws, to the byte.
  scene.Draw();
  const std::vector<uint8_t> prepared = Bytes(target);
  SphereMesh mesh = std::move(scene.spheres.sphereMesh);
  scene.spheres.sphereMesh = SphereMesh{};
  scene.Draw();
  EXPECT_EQ(Differing(Bytes(target), prepared), 0);
  scene.spheres.sphereMesh = std::move(mesh);
  // ...and they are in the picture.
  const std::vector<Particle> kept = scene.spheres.particles;
  for (Particle& p : scene.spheres.particles) p.position = {0, -5000, 0};
  scene.Draw();
  EXPECT_GT(Differing(Bytes(target), prepared), 2000);
  scene.spheres.particles = kept;

  // The frame overlay reads right way up: the title at the top left, nothing at the bottom left.
  scene.Draw();
  const std::vector<uint8_t> withFrame = Bytes();
  GLuint clear = 0;
  const uint8_t transparent[4] = {0, 0, 0, 0};
  glGenTextures(1, &clear);
  glBindTexture(GL_TEXTURE_2D, clear);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, transparent);
  const uint32_t frame = scene.frameTexture.textureId;
  scene.frameTexture.textureId = clear;
  scene.Draw();
  scene.frameTexture.textureId = frame;
  const std::vector<uint8_t> withoutFrame = Bytes();
  glDeleteTextures(1, &clear);
  // The overlay's haze tints both corners alike, far less than its type.
  EXPECT_GT(Differing(withFrame, withoutFrame, 64, 48, kHeight - 100, 330, kHeight - 40), 500);
  EXPECT_EQ(Differing(withFrame, withoutFrame, 64, 100, 40, 330, 100), 0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Without a data folder the files are reported and every pass still draws, without OpenGL errors.
TEST(GreetingRenderWithoutData, DrawsEveryPassWithoutErrors) {
  REQUIRE_GL();
  DrainGlErrors();
  testsupport::TempDir empty;
  GreetingRun run(3200, empty.path());
  run.Frame(1);
  run.RunTo(800, 790);
  run.RunTo(3180, 3170);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
