// model_render_test.cpp -- a mapped 3DS cube lit and normal-mapped by cNPMultiLight, saved as a PNG.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "assets/geometry.h"
#include "assets/model_3ds.h"
#include "effects/lighting_shaders.h"
#include "lighting_harness.h"
#include "support/image_files.h"

namespace {

using namespace lightingtest;

constexpr int kWidth = 512, kHeight = 512;

// Rows arrive bottom-up from OpenGL; the file is written top-down.
void SavePng(const std::string& path, const std::vector<unsigned char>& rgba) {
  testimages::PngSpec spec;
  spec.width = kWidth;
  spec.height = kHeight;
  spec.channels = 4;
  for (int y = kHeight - 1; y >= 0; --y) {
    auto row = rgba.begin() + static_cast<std::ptrdiff_t>(y) * kWidth * 4;
    spec.pixels.insert(spec.pixels.end(), row, row + kWidth * 4);
  }
  testimages::WritePng(path, spec);
}

// Round dimples on a 4 x 4 grid, each tilting the normal away from its centre.
std::vector<float> DimpleNormals(int size) {
  std::vector<float> rgba;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float u = std::fmod(x * 4.0f / size, 1.0f) * 2 - 1, v = std::fmod(y * 4.0f / size, 1.0f) * 2 - 1;
      float r2 = u * u + v * v;
      float nx = r2 < 0.8f ? -u * 0.8f : 0, ny = r2 < 0.8f ? -v * 0.8f : 0;
      float len = std::sqrt(nx * nx + ny * ny + 1);
      rgba.insert(rgba.end(), {(nx / len + 1) / 2, (ny / len + 1) / 2, (1 / len + 1) / 2, 1});
    }
  return rgba;
}

std::vector<float> Checker(int size) {
  std::vector<float> rgba;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      bool light = ((x * 8 / size) + (y * 8 / size)) % 2 == 0;
      rgba.insert(rgba.end(), {light ? 0.95f : 0.9f, light ? 0.85f : 0.45f, light ? 0.7f : 0.1f, 1});
    }
  return rgba;
}

// Mean absolute channel difference of two pictures over a square of pixels.
float MeanDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, int x0, int y0,
                     int side) {
  double sum = 0;
  for (int y = y0; y < y0 + side; ++y)
    for (int x = x0; x < x0 + side; ++x)
      for (int c = 0; c < 3; ++c) {
        size_t i = (static_cast<size_t>(y) * kWidth + x) * 4 + c;
        sum += std::abs(int(a[i]) - int(b[i]));
      }
  return static_cast<float>(sum / (side * side * 3));
}

float MeanBrightness(const std::vector<unsigned char>& rgba, int x0, int y0, int side) {
  double sum = 0;
  for (int y = y0; y < y0 + side; ++y)
    for (int x = x0; x < x0 + side; ++x)
      for (int c = 0; c < 3; ++c) sum += rgba[(static_cast<size_t>(y) * kWidth + x) * 4 + c];
  return static_cast<float>(sum / (side * side));
}

TEST(ModelRender, LitNormalMappedCubeFromItsFileAndASphereWithoutTangents) {
  REQUIRE_GL();
  ResetState();
  c3DsModelSystem cube;
  ASSERT_TRUE(cube.Load(TOLVANE_3DS_SAMPLES "/3DS/cube_with_diffuse_texture.3DS"));
  ASSERT_FALSE(cube.objects.empty());
  ASSERT_FALSE(cube.objects[0].tangents.empty());
  // Centred on the origin with half side 0.8, whatever the file's own placement.
  const std::vector<float>& v = cube.objects[0].vertices;
  float lo[3] = {v[0], v[1], v[2]}, hi[3] = {v[0], v[1], v[2]};
  for (size_t i = 0; i < v.size(); ++i) {
    lo[i % 3] = std::min(lo[i % 3], v[i]);
    hi[i % 3] = std::max(hi[i % 3], v[i]);
  }
  ASSERT_GT(hi[0] - lo[0], 0);
  cube.scale = 1.6f / (hi[0] - lo[0]);
  cube.x = -cube.scale * (lo[0] + hi[0]) / 2;
  cube.y = -cube.scale * (lo[1] + hi[1]) / 2;
  cube.z = -cube.scale * (lo[2] + hi[2]) / 2;

  Texture2D bumps(128, 128, DimpleNormals(128)), flat(0.5f, 0.5f, 1, 1), colour(128, 128, Checker(128));
  Texture2D specular(0.6f, 0.6f, 0.6f, 1);
  MorlenGL::cNPMultiLight shader;
  ASSERT_TRUE(Build(shader));
  shader.colorMapTexture = colour.name;
  shader.specularMapTexture = specular.name;
  MorlenGL::Camera camera;
  MorlenGL::SetLookAt(camera, 2.6, 2.2, 4.6, 0.8, 0, 0, 0, 1, 0);
  camera.fovY = 45;
  camera.aspect = 1;
  camera.zNear = 0.01;
  camera.zFar = 100;

  FloatTarget target(kWidth, kHeight, GL_RGBA8, true);
  ASSERT_TRUE(target.Complete());
  auto render = [&](GLuint normalMap) {
    target.Clear(0.08f, 0.09f, 0.12f, 1);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    MorlenGL::Apply(camera);
    shader.normalMapTexture = normalMap;
    shader.Bind(camera);
    cube.Draw();
    // Drawn after the model under the same bind: no tangent array, so the current value serves.
    glPushMatrix();
    glTranslatef(1.9f, 0, -0.9f);
    MorlenGL::DrawIcosphere(2, 0.55f);
    glPopMatrix();
    shader.Unbind();
    glDisable(GL_DEPTH_TEST);
    return target.Bytes();
  };
  std::vector<unsigned char> smooth = render(flat.name);
  std::vector<unsigned char> bumpy = render(bumps.name);
  const std::string path = TOLVANE_BINARY_DIR "/lighting_model.png";
  SavePng(path, bumpy);
  EXPECT_GT(testimages::ReadBytes(path).size(), 1000u) << path;

  // Rows counted from the bottom: the cube's front face is around (130, 240), the sphere around (400, 272).
  const float background = 0.08f * 255 + 0.09f * 255 + 0.12f * 255;
  EXPECT_GT(MeanBrightness(bumpy, 110, 220, 40), background + 30) << "the cube is lit";
  EXPECT_GT(MeanBrightness(bumpy, 390, 262, 20), background + 30) << "the sphere is lit";
  EXPECT_GT(MeanDifference(bumpy, smooth, 110, 220, 40), 4) << "the dimples change the light";
  EXPECT_EQ(MeanDifference(bumpy, smooth, 0, 0, 40), 0) << "the background stays";
}

}  // namespace
