// environment_test.cpp -- cube-map, water, chromatic refraction and ring wave programs on the headless context.
#include <gtest/gtest.h>

#include <cmath>

#include "effects/environment_shaders.h"
#include "lighting_harness.h"

namespace {

using namespace lightingtest;

// C and E for the cube-map family.
struct CubeMaps : SurfaceMaps {
  CubeMaps() : SurfaceMaps({0.5f, 0.25f, 0.125f, 0.5f}, {0.1f, 0.3f, 0.6f, 0.8f}) {}
};

template <class Shader>
Colour CentreOfFacing(Shader& shader, FloatTarget& target) {
  DrawFacing(shader, target);
  return target.At(32, 32);
}

// A light at 45 degrees (diffuse 0.707) and no specular: the lit factor is Ai + 0.707 = 0.907.
template <class Shader>
void Prepare(Shader& shader, const CubeMaps& maps) {
  ASSERT_TRUE(Build(shader));
  maps.Give(shader);
  shader.lightPosition[0] = 0;
  shader.lightPosition[1] = 1;
  shader.lightPosition[2] = 1;
  shader.specOverdrive = 0;
}

constexpr float kLit = 0.2f + 0.70710678f;

TEST(Environment, CubeMapFamilyShowsOnlyTheReflectionAtRZeroAndOnlyTheColourMapAtOne) {
  REQUIRE_GL();
  ResetState();
  FloatTarget target;
  CubeMaps maps;
  MorlenGL::cCubeMapShader plain;
  MorlenGL::cCubeMapShaderUW under;
  MorlenGL::cWaterShaderUW water;
  Prepare(plain, maps);
  Prepare(under, maps);
  Prepare(water, maps);
  under.isUW = -100;
  const Colour reflection{0.1f * kLit, 0.3f * kLit, 0.6f * kLit, 0.8f * 1.2f};
  const Colour colourMap{0.5f * kLit, 0.25f * kLit, 0.125f * kLit, 0.5f * 1.2f};
  plain.r = under.r = water.r = 0;
  ExpectColour(CentreOfFacing(plain, target), reflection, 1e-4f, "cCubeMapShader r 0");
  ExpectColour(CentreOfFacing(under, target), reflection, 1e-4f, "cCubeMapShaderUW r 0");
  Colour opaque = reflection;
  opaque[3] = 1;  // the water is always opaque
  ExpectColour(CentreOfFacing(water, target), opaque, 1e-4f, "cWaterShaderUW r 0");
  plain.r = under.r = water.r = 1;
  ExpectColour(CentreOfFacing(plain, target), colourMap, 1e-4f, "cCubeMapShader r 1");
  ExpectColour(CentreOfFacing(under, target), colourMap, 1e-4f, "cCubeMapShaderUW r 1");
  opaque = colourMap;
  opaque[3] = 1;
  ExpectColour(CentreOfFacing(water, target), opaque, 1e-4f, "cWaterShaderUW r 1");
}

TEST(Environment, CubeMapFogMixesBothTermsAndUnderwaterFogsOnlyBelowItsLevel) {
  REQUIRE_GL();
  ResetState();
  FloatTarget target;
  CubeMaps maps;
  MorlenGL::cCubeMapShader plain;
  MorlenGL::cCubeMapShaderUW under;
  Prepare(plain, maps);
  Prepare(under, maps);
  plain.r = under.r = 0.5f;
  plain.fogDensity = under.fogDensity = 5;
  plain.fogColor[1] = under.fogColor[1] = 1;
  ExpectColour(CentreOfFacing(plain, target), {0, 1, 0, 1}, 1e-4f, "dense fog");

  under.isUW = -100;
  Colour mixed{0.3f * kLit, 0.275f * kLit, 0.3625f * kLit, 0.65f * 1.2f};
  ExpectColour(CentreOfFacing(under, target), mixed, 1e-4f, "above the level");
  under.isUW = 100;
  under.timer = 0.7f;
  CentreOfFacing(under, target);
  std::vector<float> below = target.All();
  int fogged = 0;
  for (size_t i = 0; i < below.size(); i += 4)
    fogged += below[i + 3] > 0 && std::fabs(below[i + 1] - 1) < 1e-4f && below[i] < 1e-4f;
  EXPECT_GT(fogged, 100);
}

TEST(Environment, WaterAtTimerZeroStillRaisesTheSurfaceBySin2xSin2zOver15) {
  REQUIRE_GL();
  ResetState();
  FloatTarget target;
  CubeMaps maps;
  MorlenGL::cWaterShaderUW water;
  Prepare(water, maps);
  water.timer = 0;
  // 128 pixels per unit: x = pi/4 lands on column 36, y = 0 on row 32.
  auto draw = [&](float z) {
    target.Clear(0, 0, 0, 0);
    OrthoView(0.5f, 1.0f, -0.25f, 0.25f);
    water.Bind(EyeAtOrigin());
    DrawQuad(0.785398f, 0, 0.01f, z);
    water.Unbind();
  };
  draw(0);  // sin(2z) = 0: in place
  EXPECT_GT(target.At(36, 32)[3], 0.5f);
  EXPECT_EQ(target.At(36, 40)[3], 0.0f);
  draw(0.785398f);  // lifted by 1/15: 8.5 rows
  EXPECT_EQ(target.At(36, 32)[3], 0.0f);
  EXPECT_GT(target.At(36, 40)[3], 0.5f);
}

TEST(Environment, MLWaterAtTimerZeroLightsLikeTheTwoLightBase) {
  REQUIRE_GL();
  ResetState();
  FloatTarget target;
  // Normal and colour maps that vary, so any shift of the samples shows.
  std::vector<float> normals, colours;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      normals.insert(normals.end(), {0.5f + 0.4f * std::sin(x * 1.7f), 0.5f + 0.3f * std::cos(y * 2.3f), 0.9f, 1});
      colours.insert(colours.end(), {x / 8.0f, y / 8.0f, 0.5f, 1});
    }
  Texture2D normal(8, 8, normals), colour(8, 8, colours), specular(1, 1, 1, 1);
  MorlenGL::cNPMultiLight base;
  MorlenGL::cMLWaterShader water;
  ASSERT_TRUE(Build(base));
  ASSERT_TRUE(Build(water));
  auto draw = [&](auto& shader) {
    shader.colorMapTexture = colour.name;
    shader.normalMapTexture = normal.name;
    shader.specularMapTexture = specular.name;
    return DrawFacing(shader, target);
  };
  std::vector<float> reference = draw(base);
  EXPECT_LT(MaxDifference(draw(water), reference), 1e-5f);
  water.timer = 0.3f;
  EXPECT_GT(MaxDifference(draw(water), reference), 0.05f);
}

// One Fresnel step as the refraction program takes it: reflectance, transmittance and the
// refracted ray for incoming I against the normal (0, 0, 1).
struct FresnelResult {
  float reflectance, transmittance;
  float refraction[3];
};
FresnelResult FresnelAgainstZ(const float I[3], float nIn) {
  float eta = 1.0f / nIn, c1 = I[2];
  float c2 = std::sqrt(1 - eta * eta * (1 - c1 * c1));
  float rs = (c1 - nIn * c2) / (c1 + nIn * c2), rp = (nIn * c1 - c2) / (nIn * c1 + c2);
  return {(rs * rs + rp * rp) / 2, ((1 - rs) * (1 - rs) + (1 - rp) * (1 - rp)) / 2,
          {eta * I[0], eta * I[1], eta * I[2] + (c2 - eta * c1)}};
}

// s on the -Z face for a direction leaving the eye (x, y, -|z|).
float MinusZFaceS(float x, float z) { return (-x / std::fabs(z) + 1) / 2; }

TEST(Environment, ChromaticIndexOneLeavesTheRedRayUnbentWhileGreenAndBlueBend) {
  REQUIRE_GL();
  ResetState();
  FloatTarget target;
  // The -Z face ramps along s in every channel; every other face is black. Reflections of a
  // facing square go back through +Z, so only the refracted rays show.
  CubeTexture cube(256, [](int face, float s, float) {
    return face == 5 ? Colour{s, s, s, 1} : Colour{0, 0, 0, 1};
  });
  Texture2D flat(0.5f, 0.5f, 1.0f, 1.0f);  // nN = 0.5 (N + (0, 0, 1)) = (0, 0, 1)
  MorlenGL::cChromaticRefractShader shader;
  ASSERT_TRUE(Build(shader));
  shader.colorMapTexture = flat.name;
  shader.cubeMapTexture = cube.name;
  shader.refractionIndex = 1.0f;
  target.Clear(0, 0, 0, 0);
  PerspectiveView();
  shader.Bind(EyeAtOrigin());
  EXPECT_EQ(ActiveUnit(), 1);
  const float half = 2.5f, depth = -5;
  DrawQuad(0, 0, half, depth);
  shader.Unbind();
  EXPECT_EQ(ActiveUnit(), 0);
  glActiveTexture(GL_TEXTURE1);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
  glActiveTexture(GL_TEXTURE0);

  // View at a fragment is (-x, -y, 5) / |corner|: the corners' unit vectors interpolate linearly.
  const float length = std::sqrt(2 * half * half + depth * depth);
  const float tanHalf = std::tan(22.5f * 3.14159265f / 180);
  for (int px : {4, 16, 48, 60}) {
    float x = ((px + 0.5f) / kSize * 2 - 1) * -depth * tanHalf;
    float y = ((32 + 0.5f) / kSize * 2 - 1) * -depth * tanHalf;
    float view[3] = {-x / length, -y / length, -depth / length};
    FresnelResult blue = FresnelAgainstZ(view, 1.1f), green = FresnelAgainstZ(view, 1.05f);
    float weight = blue.transmittance * 0.5f;
    Colour got = target.At(px, 32);
    // Red: the ray leaves along -View, straight through the square.
    EXPECT_NEAR(got[0], MinusZFaceS(x, depth) * weight, 1e-3f) << "red at " << px;
    EXPECT_NEAR(got[1], MinusZFaceS(-green.refraction[0], -green.refraction[2]) * weight, 1e-3f);
    EXPECT_NEAR(got[2], MinusZFaceS(-blue.refraction[0], -blue.refraction[2]) * weight, 1e-3f);
    EXPECT_GT(std::fabs(got[0] - got[2]), 4e-3f) << "blue bends toward the normal at " << px;
    EXPECT_NEAR(got[3], (blue.reflectance + blue.transmittance) * 0.5f, 1e-4f);  // both colours have alpha 1
  }
}

TEST(Environment, RingWaveLeavesTransparentBlackWhereItDraws) {
  REQUIRE_GL();
  ResetState();
  FloatTarget target;
  MorlenGL::cRingWaveShader shader;
  ASSERT_TRUE(shader.InitProgram() && shader.CompileVertexShader() && shader.CompileFragmentShader(256, 128));
  EXPECT_EQ(shader.width, 256.0f);  // stored, not used
  Texture2D source(1, 1, 1, 1);
  shader.sourceTexture = source.name;
  shader.time = 0;
  target.Clear(0.3f, 0.6f, 0.9f, 1);
  OrthoView(-1, 1, -1, 1);
  shader.Bind();
  DrawQuad(0, 0, 0.5f, 0);
  shader.Unbind();
  EXPECT_EQ(ActiveUnit(), 0);
  ExpectColour(target.At(32, 32), {0, 0, 0, 0}, 0, "inside");
  ExpectColour(target.At(20, 44), {0, 0, 0, 0}, 0, "inside");
  ExpectColour(target.At(4, 4), {0.3f, 0.6f, 0.9f, 1}, 1e-6f, "outside");
}

}  // namespace
