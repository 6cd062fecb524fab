// tree_render_test.cpp -- the planet tree scene on the headless context, at its event times.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "scenes/planet_tree_scene.h"
#include "support/gl_context.h"
#include "support/scene_run.h"
#include "support/window_projection.h"

using namespace MorlenGL;

namespace {

// The frame loop for the tree scene. Frames that are not drawn still place the leaf, as their
// normal pass would have, so the camera follows the same path as in the show.
class TreeRun {
 public:
  explicit TreeRun(const std::string& dataParent = TOLVANE_BINARY_DIR) : run_(6000, dataParent), scene(*run_.scene) {
    run_.Frame(1);  // the first drawn frame restarts the scene clock
  }
  void Redraw() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    scene.DrawIfActive();
  }
  // Tenths of a second up to the scene time `at` (hundredths), drawing only that frame.
  void DrawAt(int32_t at) {
    while (scene.m_clock.m_elapsed + 10 < at) {
      run_.Frame(10, false);
      if (scene.state.leafTimer > 0) PlaceLeaf(scene.state);
    }
    run_.Frame(at - scene.m_clock.m_elapsed);
  }

 private:
  testsupport::SceneRun<cPlanetTreeScene> run_;

 public:
  cPlanetTreeScene& scene;
};

struct Pixel {
  float r, g, b;
};

std::vector<Pixel> ReadAll(GLuint framebuffer) {
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
  std::vector<Pixel> p(1024 * 768);
  glReadPixels(0, 0, 1024, 768, GL_RGB, GL_FLOAT, p.data());
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  return p;
}

// Where a world point lands in the window (and in every 1024 x 768 target).
int IndexOf(const Camera& camera, double x, double y, double z) {
  const testsupport::WindowPoint w = testsupport::ProjectToWindow(camera, x, y, z);
  EXPECT_TRUE(w.x >= 0 && w.x < 1024 && w.y >= 0 && w.y < 768) << w.x << ", " << w.y;
  return std::clamp(static_cast<int>(w.y), 0, 767) * 1024 + std::clamp(static_cast<int>(w.x), 0, 1023);
}

// Pixels that differ between two pictures, with the box (GL window coordinates) they lie in.
struct Change {
  int count = 0;
  int minX = 1024, maxX = -1, minY = 768, maxY = -1;
};
Change Compare(const std::vector<Pixel>& a, const std::vector<Pixel>& b) {
  Change c;
  for (int i = 0; i < 1024 * 768; ++i) {
    const float d = std::abs(a[i].r - b[i].r) + std::abs(a[i].g - b[i].g) + std::abs(a[i].b - b[i].b);
    if (d < 0.05f) continue;
    ++c.count;
    c.minX = std::min(c.minX, i % 1024);
    c.maxX = std::max(c.maxX, i % 1024);
    c.minY = std::min(c.minY, i / 1024);
    c.maxY = std::max(c.maxY, i / 1024);
  }
  return c;
}

// The same frame drawn again with one part of the state changed; the state is restored after.
template <class Change>
std::vector<Pixel> RedrawnWith(TreeRun& run, GLuint framebuffer, Change change) {
  cPlanetTreeScene& scene = run.scene;
  const TreeState state = scene.state;
  const std::vector<Particle> trail = scene.trailFeathers.particles;
  change(scene);
  run.Redraw();
  std::vector<Pixel> picture = ReadAll(framebuffer);
  scene.state = state;
  scene.trailFeathers.particles = trail;
  return picture;
}

// Where nine points of a ring of radius 12 round the planet's centre, square to the view, land:
// all on the planet (radius 20), off the feathers that are born at its centre.
std::vector<int> PlanetRing(const Camera& c) {
  const double f[3] = {c.centre.x - c.eye.x, c.centre.y - c.eye.y, c.centre.z - c.eye.z};
  double r[3] = {f[1] * c.up.z - f[2] * c.up.y, f[2] * c.up.x - f[0] * c.up.z, f[0] * c.up.y - f[1] * c.up.x};
  double u[3] = {r[1] * f[2] - r[2] * f[1], r[2] * f[0] - r[0] * f[2], r[0] * f[1] - r[1] * f[0]};
  const double rl = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
  const double ul = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
  std::vector<int> at;
  for (int k = 0; k < 9; ++k) {
    const double a = k * 0.698, cr = 12 * std::cos(a) / rl, su = 12 * std::sin(a) / ul;
    at.push_back(IndexOf(c, cr * r[0] + su * u[0], cr * r[1] + su * u[1], cr * r[2] + su * u[2]));
  }
  return at;
}

// The tree's canopy: green above red and blue.
bool Canopy(const Pixel& p) { return p.g > p.r && p.g > p.b && p.g > 0.03f; }

template <class Test>
int CountAt(const std::vector<Pixel>& picture, const std::vector<int>& at, Test test) {
  int n = 0;
  for (int i : at) n += test(picture[i]);
  return n;
}

TEST(TreeRender, EventFramesShowPlanetGlowFeathersPanelLyricsWithoutGlErrors) {
  REQUIRE_GL();
  testsupport::DrainGlErrors();
  TreeRun run;
  cPlanetTreeScene& scene = run.scene;
  const GLenum kNone = GL_NO_ERROR;

  // 5 s: the textured planet in the middle of the sharp picture, under the sky at full strength.
  run.DrawAt(500);
  EXPECT_EQ(glGetError(), kNone);
  {
    const std::vector<Pixel> sharp = ReadAll(scene.targetA.framebuffer);
    EXPECT_GE(CountAt(sharp, PlanetRing(scene.camera), Canopy), 6);
    const Pixel sky = sharp[767 * 1024 + 512];  // top middle
    EXPECT_GT(sky.r + sky.g + sky.b, 0.1f);
  }

  // 18.5 s: the planet is light, drawn only into the glow source, and its rays reach the window.
  run.DrawAt(1850);
  EXPECT_EQ(glGetError(), kNone);
  {
    EXPECT_EQ(scene.state.bloom, 1.0f);
    const std::vector<int> ring = PlanetRing(scene.camera);
    auto white = [](const Pixel& p) { return std::min({p.r, p.g, p.b}) > 0.99f; };
    // The cage's struts, black in this pass, hide about half of it.
    EXPECT_GE(CountAt(ReadAll(scene.targetE.framebuffer), ring, white), 3);
    EXPECT_EQ(CountAt(ReadAll(scene.targetA.framebuffer), ring, Canopy), 0);
    const std::vector<Pixel> window = ReadAll(0);
    // The rays blur the struts' edges a little.
    EXPECT_GE(CountAt(window, ring, [](const Pixel& p) { return std::min({p.r, p.g, p.b}) > 0.8f; }), 4);
  }

  // 25 s: the second stream, where the camera looks, in the sharp picture.
  run.DrawAt(2500);
  EXPECT_EQ(glGetError(), kNone);
  {
    const std::vector<Pixel> with = ReadAll(scene.targetA.framebuffer);
    const Change c = Compare(with, RedrawnWith(run, scene.targetA.framebuffer, [](cPlanetTreeScene& s) {
                               for (Particle& p : s.trailFeathers.particles) p.life = 0;
                             }));
    EXPECT_GT(c.count, 200);
  }

  // 35.5 s: the first panel, fully in, in the lower right only.
  run.DrawAt(3550);
  EXPECT_EQ(glGetError(), kNone);
  {
    EXPECT_EQ(scene.state.infoIndex, 1);
    EXPECT_EQ(scene.state.infoAlpha, 1.0f);
    const std::vector<Pixel> with = ReadAll(0);
    const Change c = Compare(with, RedrawnWith(run, 0, [](cPlanetTreeScene& s) { s.state.infoIndex = 0; }));
    EXPECT_GT(c.count, 20000);
    EXPECT_GT(c.minX, 540);
    EXPECT_LT(c.maxY, 410);
  }

  // 37.75 s: the first lyric, full, over the whole picture.
  run.DrawAt(3775);
  EXPECT_EQ(glGetError(), kNone);
  {
    EXPECT_EQ(scene.state.lyricAlpha[0], 1.0f);
    EXPECT_EQ(scene.state.lyricAlpha[1], 0.0f);
    const std::vector<Pixel> with = ReadAll(0);
    const Change c = Compare(with, RedrawnWith(run, 0, [](cPlanetTreeScene& s) { s.state.lyricAlpha[0] = 0; }));
    EXPECT_GT(c.count, 5000);
    EXPECT_LT(c.minX, 512);
  }

  // 55 s: the fourth panel is info5's picture, the third lyric has risen, and no rays are left.
  run.DrawAt(5500);
  EXPECT_EQ(glGetError(), kNone);
  {
    EXPECT_EQ(scene.state.infoIndex, 4);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), scene.info[3].textureId);
    EXPECT_NEAR(scene.state.lyricAlpha[2], 1.0f, 1e-6f);
    EXPECT_FALSE(RaysShown(scene.state));
  }
}

// Without a data folder every file is reported once and every pass still draws.
TEST(TreeRenderWithoutData, ReportsEachMissingFileOnceAndDrawsWithoutErrors) {
  REQUIRE_GL();
  testsupport::DrainGlErrors();
  testsupport::TempDir empty;
  const std::vector<std::string> lines = testsupport::DiagnosticsOf([&] {
    TreeRun run(empty.path());
    for (int32_t at : {1000, 1900, 2500, 5500}) {
      run.DrawAt(at);
      EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << at;
    }
  });
  for (const char* name : {"treball.3DS", "leaf.3DS", "treeball_texno.jpg", "info5.png", "lyric3.png"})
    EXPECT_EQ(testsupport::Mentions(lines, name), 1) << name;
  EXPECT_EQ(testsupport::Mentions(lines, "feather.3DS"), 2);  // each stream loads its own copy
}

}  // namespace
