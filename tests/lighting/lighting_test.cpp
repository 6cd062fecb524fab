// lighting_test.cpp -- the two-light family and cNormalMapping drawn on the headless context.
#include <gtest/gtest.h>

#include <cmath>

#include "effects/lighting_shaders.h"
#include "lighting_harness.h"

namespace {

using namespace lightingtest;
using MorlenGL::cSurfaceProgram;

template <class Shader>
void SetLights(Shader& s, float r1, float g1, float b1, float r2, float g2, float b2) {
  float c1[3] = {r1, g1, b1}, c2[3] = {r2, g2, b2};
  std::copy(c1, c1 + 3, s.lightColor);
  std::copy(c2, c2 + 3, s.light2Color);
}

// Lights straight onto the facing square and along its surface, with the given colours.
template <class Shader>
void FacingLights(Shader& s) {
  float onto[3] = {0, 0, 3}, along[3] = {3, 0, 0};
  std::copy(onto, onto + 3, s.lightPosition);
  std::copy(along, along + 3, s.lightPosition2);
  SetLights(s, 0.6f, 0.4f, 0.2f, 1, 1, 1);
}

// Builds both programs and gives them the same maps and facing lights.
template <class A, class B>
void PrepareAlike(A& a, B& b, const SurfaceMaps& maps) {
  ASSERT_TRUE(Build(a));
  ASSERT_TRUE(Build(b));
  maps.Give(a);
  maps.Give(b);
  FacingLights(a);
  FacingLights(b);
}

TEST(MultiLight, BlackLightsLeaveAmbientColourAndAlphaTimesOnePointTwo) {
  REQUIRE_GL();
  ResetState();
  FloatTarget target;
  ASSERT_TRUE(target.Complete());
  MorlenGL::cNPMultiLight shader;
  ASSERT_TRUE(Build(shader));
  EXPECT_EQ(shader.tangentLocation, -1);
  EXPECT_EQ(shader.cubeMapLocation, -1);  // bound on unit 4, never declared
  EXPECT_GE(shader.colorMapLocation, 0);
  SurfaceMaps maps({0.5f, 0.25f, 0.75f, 1.0f});
  maps.Give(shader);
  SetLights(shader, 0, 0, 0, 0, 0, 0);
  shader.specOverdrive = 0;

  DrawFacing(shader, target);
  glActiveTexture(GL_TEXTURE4);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
  glActiveTexture(GL_TEXTURE3);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  glActiveTexture(GL_TEXTURE0);
  ExpectColour(target.At(32, 32), {0.1f, 0.05f, 0.15f, 1.2f}, 1e-4f, "ambient only");
  ExpectColour(target.At(20, 45), {0.1f, 0.05f, 0.15f, 1.2f}, 1e-4f, "ambient only, off centre");
}

TEST(MultiLight, LightPositionsAreDirectionsAndTheTwoLightsAreAveraged) {
  REQUIRE_GL();
  ResetState();
  FloatTarget target;
  MorlenGL::cNPMultiLight shader;
  ASSERT_TRUE(Build(shader));
  SurfaceMaps maps({0.5f, 0.5f, 0.5f, 0.5f});
  maps.Give(shader);
  shader.specOverdrive = 0;
  // As points, (3, 0, 0) would light the square at (0, 0, -5); as a direction it grazes it.
  FacingLights(shader);
  DrawFacing(shader, target);
  // rgb: C (Ai + lit1 + Ai + 0) / 2; alpha: C.a (Ai + 1 + Ai + 1) / 2.
  ExpectColour(target.At(32, 32), {0.25f, 0.2f, 0.15f, 0.6f}, 1e-4f, "diffuse");

  // A white specular highlight straight back to the eye saturates the first light.
  SetLights(shader, 0, 0, 0, 0, 0, 0);
  shader.specOverdrive = 1;
  DrawFacing(shader, target);
  ExpectColour(target.At(32, 32), {0.35f, 0.35f, 0.35f, 0.6f}, 2e-3f, "specular");
}

TEST(MultiLight, FogDensityZeroIgnoresFogColourAndDenseFogHidesTheSurface) {
  REQUIRE_GL();
  ResetState();
  FloatTarget target;
  MorlenGL::cNPMultiLight shader;
  ASSERT_TRUE(Build(shader));
  SurfaceMaps maps({0.5f, 0.25f, 0.75f, 1.0f});
  maps.Give(shader);
  FacingLights(shader);
  std::vector<float> clear = DrawFacing(shader, target);
  shader.fogColor[0] = 1;
  shader.fogColor[1] = 0.5f;
  EXPECT_LT(MaxDifference(DrawFacing(shader, target), clear), 1e-6f);  // mix may round once

  shader.fogDensity = 5;  // the fog distance is about 5: exp(-625) is 0
  DrawFacing(shader, target);
  ExpectColour(target.At(32, 32), {1, 0.5f, 0, 1}, 1e-4f, "fogged");
}

TEST(MultiLight, ShatterAtTimeZeroDrawsLikeTheBaseWithoutFog) {
  REQUIRE_GL();
  ResetState();
  FloatTarget target;
  MorlenGL::cNPMultiLight base;
  MorlenGL::cNPMultiLightShatter shatter;
  SurfaceMaps maps({0.4f, 0.6f, 0.8f, 1.0f});
  PrepareAlike(base, shatter, maps);
  shatter.time = 0;
  EXPECT_LT(MaxDifference(DrawFacing(shatter, target), DrawFacing(base, target)), 1e-5f);
}

TEST(MultiLight, ShatterPushesAllFourComponentsBackByTime) {
  REQUIRE_GL();
  ResetState();
  FloatTarget target;
  MorlenGL::cNPMultiLightShatter shatter;
  ASSERT_TRUE(Build(shatter));
  SurfaceMaps maps({1, 1, 1, 1});
  maps.Give(shatter);
  shatter.time = 0.5f;  // normal (0, 0, 1): every component drops by 0.5
  target.Clear(0, 0, 0, 0);
  OrthoView(-1, 1, -1, 1);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();  // clip space = object space, so w = 0.5 doubles the shifted square
  glMatrixMode(GL_MODELVIEW);
  shatter.Bind(EyeAtOrigin());
  DrawQuad(0, 0, 0.25f, 0.2f);
  shatter.Unbind();
  // x in [-0.25, 0.25] becomes (x - 0.5) / 0.5, in [-1.5, -0.5]; with w kept it would be [-0.75, -0.25].
  EXPECT_GT(target.At(4, 4)[3], 0.5f);
  EXPECT_EQ(target.At(20, 20)[3], 0.0f);
  EXPECT_EQ(target.At(32, 32)[3], 0.0f);
}

TEST(MultiLight, UnderwaterAboveTheLevelNeitherWobblesNorFogsBelowItDoesBoth) {
  REQUIRE_GL();
  ResetState();
  FloatTarget target;
  MorlenGL::cNPMultiLight base;
  MorlenGL::cNPMultiLightUW under;
  SurfaceMaps maps({0.4f, 0.6f, 0.8f, 1.0f});
  PrepareAlike(base, under, maps);
  under.fogDensity = 10;
  under.fogColor[0] = 1;
  under.timer = 1.3f;
  glFogCoordf(5);  // the fog distance comes from the fog coordinate here
  std::vector<float> reference = DrawFacing(base, target);

  under.isUW = -100;  // below every vertex
  EXPECT_LT(MaxDifference(DrawFacing(under, target), reference), 1e-5f);

  under.isUW = 100;  // above every vertex
  std::vector<float> wobbled = DrawFacing(under, target);
  int fogged = 0, coverageChanged = 0;
  for (size_t i = 0; i < wobbled.size(); i += 4) {
    if (wobbled[i + 3] > 0) fogged += std::fabs(wobbled[i] - 1) < 1e-4f && wobbled[i + 1] < 1e-4f;
    coverageChanged += (wobbled[i + 3] > 0) != (reference[i + 3] > 0);
  }
  EXPECT_GT(fogged, 100);
  EXPECT_GT(coverageChanged, 50);
}

TEST(MultiLight, VertexDistortAtTimeZeroMovesOnlyVerticesWithoutAZeroNormalComponent) {
  REQUIRE_GL();
  ResetState();
  FloatTarget target;
  MorlenGL::cNPMultiLight base;
  MorlenGL::cVertexDistort distort;
  SurfaceMaps maps({0.4f, 0.6f, 0.8f, 1.0f});
  PrepareAlike(base, distort, maps);
  EXPECT_LT(MaxDifference(DrawFacing(distort, target), DrawFacing(base, target)), 1e-5f);

  // n = (0.48, 0.6, 0.64): f = sin(0.96) sin(2.16) sin(1.92) = 0.640, so the square moves by
  // 0.640 n = (0.307, 0.384, 0.410): from the centre to pixel (41.8, 44.3).
  target.Clear(0, 0, 0, 0);
  OrthoView(-1, 1, -1, 1);
  distort.Bind(EyeAtOrigin());
  DrawQuad(0, 0, 0.05f, 0, 0.48f, 0.6f, 0.64f);
  distort.Unbind();
  EXPECT_GT(target.At(42, 44)[3], 0.5f);
  EXPECT_EQ(target.At(32, 32)[3], 0.0f);
}

TEST(MultiLight, NormalMappingWithNothingSetShowsTheAmbientFifth) {
  REQUIRE_GL();
  ResetState();
  FloatTarget target;
  MorlenGL::cNormalMapping shader;
  ASSERT_TRUE(Build(shader));
  EXPECT_EQ(shader.tangentLocation, -1);
  Texture2D colour(0.5f, 0.25f, 1.0f, 1.0f);
  shader.colorMap.textureId = colour.name;
  // SurfaceColor and SpecularFactor keep their zero defaults: only C x 0.2 + (0, 0, 0, 1) x C is left.
  DrawFacing(shader, target, 1);
  ExpectColour(target.At(32, 32), {0.1f, 0.05f, 0.2f, 1.2f}, 1e-4f, "normal mapping");
}

}  // namespace
