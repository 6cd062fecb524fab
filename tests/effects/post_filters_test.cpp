// post_filters_test.cpp -- the six image filters under the driver's real GLSL compiler, checked by reading pixels back.
#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <vector>

#include "assets/geometry.h"
#include "effects/gl_driver.h"
#include "effects/post_filters.h"
#include "effects/render_texture.h"
#include "gl_harness.h"

using namespace MorlenGL;
using effectstest::FloatTexture;
using testsupport::Rgba;

namespace {

int Byte(float v) { return static_cast<int>(std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255.0f)); }

// 4 x 4 texels, each with its own colour, alpha 1.
std::vector<float> Distinct4x4() {
  std::vector<float> rgba;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) rgba.insert(rgba.end(), {x / 4.0f + y / 16.0f, y / 4.0f, (x * y) / 9.0f, 1.0f});
  return rgba;
}

class FilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::EnsureGlContext()) GTEST_SKIP() << "no OpenGL";
  }
  void TearDown() override {
    effectstest::ResetTextureUnits();
    glViewport(0, 0, 1024, 768);
  }

  template <class Shader>
  static void Build(Shader& shader) {
    ASSERT_TRUE(shader.InitProgram());
    ASSERT_TRUE(shader.CompileVertexShader());
    ASSERT_TRUE(shader.CompileFragmentShader());
  }

  // One full pass of the filter over a w x h viewport; the pixels come back row by row.
  template <class Shader>
  static std::vector<Rgba> Run(Shader& shader, int w, int h) {
    effectstest::QuadPassState(w, h);
    shader.Bind();
    DrawQuad();
    shader.Unbind();
    return effectstest::ReadRegion(w, h);
  }
};

void ExpectPixel(const Rgba& got, int r, int g, int b, int a, int tolerance = 1) {
  EXPECT_NEAR(got.r, r, tolerance);
  EXPECT_NEAR(got.g, g, tolerance);
  EXPECT_NEAR(got.b, b, tolerance);
  EXPECT_NEAR(got.a, a, tolerance);
}

// [SECTION] compile and link

TEST_F(FilterTest, EveryProgramCompilesAndLinksWithItsUniforms) {
  std::cout << "GL_RENDERER: " << glGetString(GL_RENDERER) << "\nGL_VERSION: " << glGetString(GL_VERSION)
            << "\nGL_SHADING_LANGUAGE_VERSION: " << glGetString(GL_SHADING_LANGUAGE_VERSION) << "\n";
  cGaussianBlurShader gaussian;
  ASSERT_TRUE(gaussian.InitProgram());
  ASSERT_TRUE(gaussian.CompileVertexShader());
  ASSERT_TRUE(gaussian.CompileFragmentShader(256.0f, 192.0f));
  EXPECT_EQ(gaussian.width, 256.0f);
  EXPECT_EQ(gaussian.height, 192.0f);
  for (GLint l : {gaussian.sampler0Location, gaussian.blurFactorLocation, gaussian.widthLocation,
                  gaussian.heightLocation, gaussian.alphaLocation, gaussian.bloomLocation})
    EXPECT_GE(l, 0);

  cRadialBlurShader radial;
  Build(radial);
  for (GLint l : {radial.sampler0Location, radial.centerLocation, radial.iterationsLocation,
                  radial.startLocation, radial.scaleLocation, radial.alphaLocation})
    EXPECT_GE(l, 0);

  cDoFShader dof;
  Build(dof);
  for (GLint l : {dof.sampler0Location, dof.blurLocation, dof.depthLocation, dof.sParamsLocation,
                  dof.dofAmountLocation})
    EXPECT_GE(l, 0);

  cDistortShader distort;
  Build(distort);
  EXPECT_EQ(distort.sampler0Location, -1);  // the program names its sampler "sampler"
  for (GLint l : {distort.distortProgramLocation, distort.psParametersLocation, distort.alphaLocation})
    EXPECT_GE(l, 0);

  cShadowCageShader cage;
  Build(cage);
  EXPECT_EQ(cage.sampler0Location, -1);  // declared, never read
  EXPECT_GE(cage.blurFactorLocation, 0);

  cBlurShader blur;
  Build(blur);
  EXPECT_GE(blur.sampler0Location, 0);
  EXPECT_GE(blur.blurFactorLocation, 0);
}

// [SECTION] gaussian blur

TEST_F(FilterTest, GaussianIsTheBinomialAverageOfTheNeighbours) {
  const std::vector<float> texels = Distinct4x4();
  FloatTexture input(4, 4, texels);
  cGaussianBlurShader gaussian;
  ASSERT_TRUE(gaussian.InitProgram());
  ASSERT_TRUE(gaussian.CompileVertexShader());
  ASSERT_TRUE(gaussian.CompileFragmentShader(4.0f, 4.0f));
  gaussian.blurFactor = 1.0f;  // one step is one texel
  gaussian.sourceTexture = input.name;
  const std::vector<Rgba> out = Run(gaussian, 4, 4);

  const float weights[3][3] = {{1, 2, 1}, {2, 4, 2}, {1, 2, 1}};
  for (int y = 1; y <= 2; ++y)
    for (int x = 1; x <= 2; ++x) {
      float sum[3] = {0, 0, 0};
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          for (int c = 0; c < 3; ++c)
            sum[c] += weights[dy + 1][dx + 1] / 16.0f * texels[((y + dy) * 4 + (x + dx)) * 4 + c];
      SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
      ExpectPixel(out[y * 4 + x], Byte(sum[0]), Byte(sum[1]), Byte(sum[2]), 255);
    }

  gaussian.alpha = 0.5f;
  ExpectPixel(Run(gaussian, 4, 4)[5], out[5].r, out[5].g, out[5].b, 128);
}

TEST_F(FilterTest, GaussianBloomHalfTurnsMidGreyBlackAndKeepsWhite) {
  FloatTexture grey(4, 4, 0.5f, 0.5f, 0.5f, 1.0f);
  FloatTexture white(4, 4, 1.0f, 1.0f, 1.0f, 1.0f);
  cGaussianBlurShader gaussian;
  ASSERT_TRUE(gaussian.InitProgram());
  ASSERT_TRUE(gaussian.CompileVertexShader());
  ASSERT_TRUE(gaussian.CompileFragmentShader(4.0f, 4.0f));
  gaussian.bloom = 0.5f;
  gaussian.sourceTexture = grey.name;
  ExpectPixel(Run(gaussian, 4, 4)[5], 0, 0, 0, 255, 0);
  gaussian.sourceTexture = white.name;
  ExpectPixel(Run(gaussian, 4, 4)[10], 255, 255, 255, 255, 0);
}

// [SECTION] radial blur

TEST_F(FilterTest, RadialBlurWithScaleZeroReturnsTheInput) {
  const std::vector<float> texels = Distinct4x4();
  FloatTexture input(4, 4, texels);
  cRadialBlurShader radial;
  Build(radial);
  radial.scale = 0.0f;
  radial.center[0] = 0.25f;  // off the middle, so a lost centre offset shows
  radial.center[1] = 0.75f;
  radial.sourceTexture = input.name;
  const std::vector<Rgba> out = Run(radial, 4, 4);
  for (int i = 0; i < 16; ++i) {
    SCOPED_TRACE(i);
    ExpectPixel(out[i], Byte(texels[i * 4]), Byte(texels[i * 4 + 1]), Byte(texels[i * 4 + 2]), 255);
  }
}

// The share of radial taps that land on the white right half of an 8-texel-wide image.
float WhiteShare(int pixel, float centre, float start, float scale, int iterations) {
  const float u = (pixel + 0.5f) / 8.0f;
  int white = 0;
  for (int i = 0; i < iterations; ++i) {
    const float s = start + scale * (i / (iterations - 1.0f));
    if (((u - centre) * s + centre) * 8.0f >= 4.0f) ++white;
  }
  return static_cast<float>(white) / iterations;
}

TEST_F(FilterTest, RadialBlurAveragesTapsScaledAboutTheCentre) {
  std::vector<float> texels;
  for (int i = 0; i < 8 * 8; ++i) {
    const float v = (i % 8) >= 4 ? 1.0f : 0.0f;
    texels.insert(texels.end(), {v, v, v, 1.0f});
  }
  FloatTexture input(8, 8, texels);
  cRadialBlurShader radial;
  Build(radial);
  radial.scale = -0.9f;  // taps at scales 1.0 down to 0.1
  radial.center[0] = 0.45f;
  radial.sourceTexture = input.name;
  const std::vector<Rgba> out = Run(radial, 8, 8);
  // Chosen so that no tap falls near a texel edge: 10, 14 and 15 of the 16 taps are white.
  for (int x : {3, 4, 5, 6}) {
    SCOPED_TRACE(x);
    const int v = Byte(WhiteShare(x, 0.45f, 1.0f, -0.9f, 16));
    ExpectPixel(out[3 * 8 + x], v, v, v, 255);
  }
  EXPECT_NEAR(out[3 * 8 + 4].r, Byte(10 / 16.0f), 1);
}

// [SECTION] depth of field

TEST_F(FilterTest, DepthOfFieldWithDefaultFocusIsAUniformHalfBlend) {
  FloatTexture sharp(4, 4, 1.0f, 0.0f, 0.0f, 0.25f);
  FloatTexture blurred(4, 4, 0.0f, 0.0f, 1.0f, 0.25f);
  // The depth texture as scenes get it: the window's depth copied into a target.
  cRenderTextureSystem target;
  target.Create(4, 4, 1);
  glClearDepth(0.3);
  glClear(GL_DEPTH_BUFFER_BIT);
  glClearDepth(1.0);
  target.CopyDepth();

  cDoFShader dof;
  Build(dof);
  dof.sceneTexture = sharp.name;
  dof.blurTexture = blurred.name;
  dof.depthTexture = target.depthTexture;
  for (const Rgba& p : Run(dof, 4, 4)) ExpectPixel(p, 128, 0, 128, 255, 1);

  dof.dofAmount = 0.25f;  // f = 0.5 - 0.25
  ExpectPixel(Run(dof, 4, 4)[0], 191, 0, 64, 255, 1);
  dof.dofAmount = 0.75f;  // below zero: all sharp
  ExpectPixel(Run(dof, 4, 4)[0], 255, 0, 0, 255, 0);

  // A real near plane makes the blend follow the depth: near 1 and far 2 give w = 2, so at
  // d = 0.3 the eye distance is (1 x 2) / (2 - 0.3) = 1.18; focus 0, range 2: f = 0.59.
  dof.dofAmount = 0.0f;
  dof.focusParams[0] = 0.0f;
  dof.focusParams[1] = 2.0f;
  dof.focusParams[2] = 1.0f;
  dof.focusParams[3] = 2.0f;
  const float f = (2.0f / 1.7f) / 2.0f;
  ExpectPixel(Run(dof, 4, 4)[0], Byte(1.0f - f), 0, Byte(f), 255, 2);
}

TEST_F(FilterTest, DepthOfFieldBindsThreeUnitsAndUnbindReleasesThem) {
  FloatTexture a(1, 1, 0, 0, 0, 1), b(1, 1, 0, 0, 0, 1), c(1, 1, 0, 0, 0, 1);
  cDoFShader dof;
  Build(dof);
  dof.sceneTexture = a.name;
  dof.blurTexture = b.name;
  dof.depthTexture = c.name;
  dof.Bind();
  GLint active = 0, bound = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(active, GL_TEXTURE2);
  const GLuint expected[3] = {a.name, b.name, c.name};
  for (GLuint unit = 0; unit < 3; ++unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), expected[unit]);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  }
  dof.Unbind();
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(active, GL_TEXTURE0);
  glGetIntegerv(GL_CURRENT_PROGRAM, &bound);
  EXPECT_EQ(bound, 0);
  for (GLuint unit = 0; unit < 3; ++unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
  }
}

// [SECTION] distortion

TEST_F(FilterTest, DistortionZeroWithUnitParametersLeavesTheImage) {
  const std::vector<float> texels = Distinct4x4();
  FloatTexture input(4, 4, texels);
  cDistortShader distort;
  Build(distort);
  distort.sourceTexture = input.name;
  distort.alpha = 0.5f;
  const std::vector<Rgba> out = Run(distort, 4, 4);
  for (int i = 0; i < 16; ++i) {
    SCOPED_TRACE(i);
    ExpectPixel(out[i], Byte(texels[i * 4]), Byte(texels[i * 4 + 1]), Byte(texels[i * 4 + 2]), 128);
  }
}

TEST_F(FilterTest, DistortionEightMirrorsTheRightHalfOntoTheLeft) {
  const std::vector<float> texels = Distinct4x4();
  FloatTexture input(4, 4, texels);
  cDistortShader distort;
  Build(distort);
  distort.sourceTexture = input.name;
  distort.distortProgram = 8.0f;
  const std::vector<Rgba> out = Run(distort, 4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const int from = y * 4 + (x < 2 ? 3 - x : x);
      SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
      ExpectPixel(out[y * 4 + x], Byte(texels[from * 4]), Byte(texels[from * 4 + 1]), Byte(texels[from * 4 + 2]),
                  255);
    }
}

TEST_F(FilterTest, DistortionNineThresholdsBetweenTheBoundsAndFadesByZ) {
  // One row of greys: 0.2 (below), 0.5 (inside), 0.9 (above), and a coloured texel averaging 0.5.
  const std::vector<float> texels = {0.2f, 0.2f, 0.2f, 1, 0.5f, 0.5f, 0.5f, 1,
                                     0.9f, 0.9f, 0.9f, 1, 0.9f, 0.6f, 0.0f, 1};
  FloatTexture input(4, 1, texels);
  cDistortShader distort;
  Build(distort);
  distort.sourceTexture = input.name;
  distort.distortProgram = 9.0f;
  distort.psParameters[0] = 0.3f;
  distort.psParameters[1] = 0.7f;
  distort.psParameters[2] = 1.0f;
  std::vector<Rgba> out = Run(distort, 4, 1);
  ExpectPixel(out[0], 0, 0, 0, 255, 0);
  ExpectPixel(out[1], 255, 255, 255, 255, 0);
  ExpectPixel(out[2], 0, 0, 0, 255, 0);
  ExpectPixel(out[3], 255, 255, 255, 255, 0);

  distort.psParameters[2] = 0.5f;  // half faded in
  out = Run(distort, 4, 1);
  ExpectPixel(out[0], Byte(0.1f), Byte(0.1f), Byte(0.1f), 255);
  ExpectPixel(out[1], Byte(0.75f), Byte(0.75f), Byte(0.75f), 255);
}

// [SECTION] shadow cage and Poisson blur

TEST_F(FilterTest, ShadowCageIsOpaqueBlackBelowTheEdgeAndClearAbove) {
  FloatTexture input(1, 1, 1.0f, 1.0f, 1.0f, 1.0f);  // bound but never read
  cShadowCageShader cage;
  Build(cage);
  cage.sourceTexture = input.name;
  cage.blurFactor = 0.5f;
  const std::vector<Rgba> out = Run(cage, 1, 100);  // pixel j sits at y = (j + 0.5) / 100
  for (int j = 0; j <= 48; ++j) ExpectPixel(out[j], 0, 0, 0, 255, 0);
  for (int j = 51; j < 100; ++j) ExpectPixel(out[j], 0, 0, 0, 0, 0);
  // y = 0.495 and 0.505 inside the band: t = 0.75 and 0.25, a = t^2 (3 - 2t).
  EXPECT_NEAR(out[49].a, Byte(0.84375f), 1);
  EXPECT_NEAR(out[50].a, Byte(0.15625f), 1);
}

TEST_F(FilterTest, PoissonBlurOfUniformGreyIsThirteenTenths) {
  FloatTexture grey(8, 8, 0.5f, 0.5f, 0.5f, 0.5f);
  cBlurShader blur;
  Build(blur);
  blur.sourceTexture = grey.name;
  blur.blurFactor = 0.1f;
  for (const Rgba& p : Run(blur, 8, 8)) ExpectPixel(p, Byte(0.65f), Byte(0.65f), Byte(0.65f), Byte(0.65f));
}

// [SECTION] failure fallback

TEST_F(FilterTest, FilterWithoutShaderSupportDrawsTheInputUnfiltered) {
  FloatTexture grey(4, 4, 0.5f, 0.25f, 0.5f, 1.0f);
  MorlenGL::SetGlDriver({[] { return "GL_EXT_framebuffer_object"; }, [](const char*) -> void* { return nullptr; },
                         [] { return true; }});
  cBlurShader blur;
  const bool initialised = blur.InitProgram();
  MorlenGL::UseRealGlDriver();
  EXPECT_FALSE(initialised);
  EXPECT_FALSE(blur.CompileVertexShader());
  EXPECT_FALSE(blur.CompileFragmentShader());
  blur.sourceTexture = grey.name;
  // Fixed-function texturing, white colour, modulate: the texture as it is.
  for (const Rgba& p : Run(blur, 4, 4)) ExpectPixel(p, 128, 64, 128, 255);
}

}  // namespace
