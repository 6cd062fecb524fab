// render_texture_test.cpp -- render targets and cube maps on the headless context: creation state and passes.
#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <vector>

#include "effects/gl_driver.h"
#include "effects/render_texture.h"
#include "support/gl_context.h"

using MorlenGL::cCubeMapping;
using MorlenGL::cRenderTextureSystem;

namespace {

GLint TexParam(GLenum target, GLenum name) {
  GLint v = 0;
  glGetTexParameteriv(target, name, &v);
  return v;
}

GLint LevelParam(GLenum target, GLenum name) {
  GLint v = 0;
  glGetTexLevelParameteriv(target, 0, name, &v);
  return v;
}

GLint Integer(GLenum name) {
  GLint v = 0;
  glGetIntegerv(name, &v);
  return v;
}

// The RGBA of texel (x, y) of a 2D texture's level 0.
std::vector<float> Texel(GLuint texture, int width, int x, int y, GLenum format = GL_RGBA) {
  GLint height = 0;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  const int channels = format == GL_RGBA ? 4 : 1;
  std::vector<float> all(static_cast<size_t>(width) * height * channels);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, format, GL_FLOAT, all.data());
  const size_t at = (static_cast<size_t>(y) * width + x) * channels;
  return std::vector<float>(all.begin() + at, all.begin() + at + channels);
}

class RenderTargetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::EnsureGlContext()) GTEST_SKIP() << "no OpenGL";
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glViewport(0, 0, 1024, 768);
    glClearColor(0, 0, 0, 0);
  }
  void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }
};

TEST_F(RenderTargetTest, CreateBuildsCompleteFloatTargetWithNearestDepthTexture) {
  cRenderTextureSystem target;
  ASSERT_TRUE(target.Create(1024, 768, 1));
  EXPECT_EQ(target.width, 1024);
  EXPECT_EQ(target.height, 768);
  EXPECT_EQ(Integer(GL_FRAMEBUFFER_BINDING_EXT), 0);
  EXPECT_EQ(Integer(GL_RENDERBUFFER_BINDING_EXT), 0);

  glBindTexture(GL_TEXTURE_2D, target.colourTexture);
  EXPECT_EQ(LevelParam(GL_TEXTURE_2D, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA16F_ARB);
  EXPECT_EQ(LevelParam(GL_TEXTURE_2D, GL_TEXTURE_RED_TYPE_ARB), GL_FLOAT);
  EXPECT_EQ(LevelParam(GL_TEXTURE_2D, GL_TEXTURE_WIDTH), 1024);
  EXPECT_EQ(LevelParam(GL_TEXTURE_2D, GL_TEXTURE_HEIGHT), 768);
  EXPECT_EQ(TexParam(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  EXPECT_EQ(TexParam(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  EXPECT_EQ(TexParam(GL_TEXTURE_2D, GL_GENERATE_MIPMAP), GL_TRUE);

  target.BindDepth();
  EXPECT_GT(LevelParam(GL_TEXTURE_2D, GL_TEXTURE_DEPTH_SIZE), 0);
  EXPECT_EQ(LevelParam(GL_TEXTURE_2D, GL_TEXTURE_WIDTH), 1024);
  EXPECT_EQ(TexParam(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
  EXPECT_EQ(TexParam(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
  EXPECT_EQ(TexParam(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S), GL_CLAMP);
  EXPECT_EQ(TexParam(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T), GL_CLAMP);
  target.Unbind();
  EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), 0);

  target.Begin();
  EXPECT_EQ(glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE_EXT));
  GLint depthBits = 0;
  glGetRenderbufferParameterivEXT(GL_RENDERBUFFER_EXT, GL_RENDERBUFFER_DEPTH_SIZE_EXT, &depthBits);
  EXPECT_GT(depthBits, 0);
  target.End();
}

TEST_F(RenderTargetTest, FilterModesNearestAndDefaults) {
  cRenderTextureSystem nearest, untouched;
  nearest.Create(64, 32, 0);
  untouched.Create(64, 32, 2);
  nearest.BindColour();
  EXPECT_EQ(TexParam(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
  EXPECT_EQ(TexParam(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
  untouched.BindColour();
  EXPECT_EQ(TexParam(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_LINEAR);
  EXPECT_EQ(TexParam(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  untouched.Unbind();
}

TEST_F(RenderTargetTest, EndReturnsDrawingToTheWindowWhateverWasBoundBefore) {
  cRenderTextureSystem a, b;
  a.Create(64, 32, 1);
  b.Create(64, 32, 1);
  b.Begin();  // another target is current when a's pass starts
  glClearColor(0, 1, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);

  MorlenGL::RenderToTarget(a, [] {
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  });
  EXPECT_EQ(Integer(GL_FRAMEBUFFER_BINDING_EXT), 0);
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);

  testsupport::Rgba window = testsupport::ReadPixel(700, 500);
  EXPECT_EQ(window.r, 255);
  EXPECT_EQ(window.b, 0);
  EXPECT_EQ(Texel(a.colourTexture, 64, 63, 31), (std::vector<float>{0, 0, 1, 1}));
  EXPECT_EQ(Texel(b.colourTexture, 64, 0, 0), (std::vector<float>{0, 1, 0, 1}));
}

TEST_F(RenderTargetTest, PassUsesTheTargetViewportAndRestoresTheWindowOne) {
  cRenderTextureSystem target;
  target.Create(64, 32, 0);
  glViewport(10, 20, 300, 200);
  GLint inside[4] = {};
  MorlenGL::RenderToTarget(target, [&] { glGetIntegerv(GL_VIEWPORT, inside); });
  EXPECT_EQ((std::vector<GLint>(inside, inside + 4)), (std::vector<GLint>{0, 0, 64, 32}));
  GLint after[4] = {};
  glGetIntegerv(GL_VIEWPORT, after);
  EXPECT_EQ((std::vector<GLint>(after, after + 4)), (std::vector<GLint>{10, 20, 300, 200}));
}

void ClearDepthRect(int x, int y, int w, int h, double depth) {
  glScissor(x, y, w, h);
  glClearDepth(depth);
  glClear(GL_DEPTH_BUFFER_BIT);
}

TEST_F(RenderTargetTest, CopyDepthTakesTheLowerLeftRegionOfTheWindowDepth) {
  cRenderTextureSystem target;
  target.Create(256, 192, 1);
  glEnable(GL_SCISSOR_TEST);
  ClearDepthRect(0, 0, 1024, 768, 0.5);
  ClearDepthRect(0, 0, 100, 100, 0.25);
  ClearDepthRect(100, 100, 156, 92, 0.75);   // up to the target's corner (256, 192)
  ClearDepthRect(256, 0, 768, 768, 0.125);   // right of the target: must not appear
  ClearDepthRect(0, 192, 1024, 576, 0.125);  // above it
  glDisable(GL_SCISSOR_TEST);
  glClearDepth(1.0);

  MorlenGL::CaptureDepth(target, [] {});
  const float tolerance = 1.0f / 256;
  EXPECT_NEAR(Texel(target.depthTexture, 256, 50, 50, GL_DEPTH_COMPONENT)[0], 0.25f, tolerance);
  EXPECT_NEAR(Texel(target.depthTexture, 256, 200, 150, GL_DEPTH_COMPONENT)[0], 0.75f, tolerance);
  EXPECT_NEAR(Texel(target.depthTexture, 256, 255, 191, GL_DEPTH_COMPONENT)[0], 0.75f, tolerance);
  EXPECT_NEAR(Texel(target.depthTexture, 256, 200, 50, GL_DEPTH_COMPONENT)[0], 0.5f, tolerance);
  EXPECT_NEAR(Texel(target.depthTexture, 256, 50, 150, GL_DEPTH_COMPONENT)[0], 0.5f, tolerance);
}

// The copy starts black and keeps the image of the moment it was taken while the target moves on.
TEST_F(RenderTargetTest, ColourCopyStartsBlackAndKeepsTheTargetsEarlierImage) {
  cRenderTextureSystem target;
  target.Create(64, 32, 1);
  const GLuint copy = MorlenGL::CreateColourCopy(target);
  EXPECT_EQ(Texel(copy, 64, 63, 31), (std::vector<float>{0, 0, 0, 0}));
  glClearColor(1, 0.5f, 0.25f, 1);
  MorlenGL::RenderToTarget(target, [] {});
  MorlenGL::CopyColour(target, copy);
  EXPECT_EQ(Integer(GL_FRAMEBUFFER_BINDING_EXT), 0);
  glClearColor(0, 1, 0, 1);
  MorlenGL::RenderToTarget(target, [] {});
  glClearColor(0, 0, 0, 0);
  EXPECT_EQ(Texel(copy, 64, 0, 0), (std::vector<float>{1, 0.5f, 0.25f, 1}));
  EXPECT_EQ(Texel(copy, 64, 63, 31), (std::vector<float>{1, 0.5f, 0.25f, 1}));
  EXPECT_EQ(Texel(target.colourTexture, 64, 63, 31), (std::vector<float>{0, 1, 0, 1}));
  glDeleteTextures(1, &copy);
}

TEST_F(RenderTargetTest, CreateCubeGivesSixLinearEdgeClampedRgbFacesAndLeavesCubeTexturingOff) {
  cCubeMapping cube;
  ASSERT_TRUE(cube.CreateCube(512, 512));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
  EXPECT_EQ(Integer(GL_TEXTURE_BINDING_CUBE_MAP), 0);
  EXPECT_EQ(Integer(GL_FRAMEBUFFER_BINDING_EXT), 0);

  cube.BindColour();
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
  for (GLenum face : MorlenGL::kCubeFaces) {
    EXPECT_EQ(LevelParam(face, GL_TEXTURE_WIDTH), 512);
    EXPECT_EQ(LevelParam(face, GL_TEXTURE_HEIGHT), 512);
    EXPECT_EQ(LevelParam(face, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
  }
  EXPECT_EQ(TexParam(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  EXPECT_EQ(TexParam(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  EXPECT_EQ(TexParam(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
  EXPECT_EQ(TexParam(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
  EXPECT_EQ(TexParam(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R), GL_CLAMP_TO_EDGE);
  cube.Unbind();
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
  EXPECT_EQ(Integer(GL_TEXTURE_BINDING_CUBE_MAP), 0);
}

TEST_F(RenderTargetTest, CubePassRendersEachFaceInOrderAndTheTextureDiesWithTheObject) {
  GLuint texture = 0;
  {
    cCubeMapping cube;
    cube.CreateCube(16, 16);
    texture = cube.colourTexture;
    std::vector<int> cameras, draws;
    MorlenGL::RenderToCube(
        cube, [&](int face) { cameras.push_back(face); },
        [&](int face) {
          draws.push_back(face);
          EXPECT_EQ(glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT),
                    static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE_EXT));
          glClearColor(face / 5.0f, 1.0f - face / 5.0f, 0.5f, 1.0f);
          glClear(GL_COLOR_BUFFER_BIT);
        });
    EXPECT_EQ(cameras, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(draws, cameras);
    EXPECT_EQ(Integer(GL_FRAMEBUFFER_BINDING_EXT), 0);

    glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
    for (int face = 0; face < 6; ++face) {
      unsigned char rgb[16 * 16 * 3];
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      glGetTexImage(MorlenGL::kCubeFaces[face], 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
      EXPECT_NEAR(rgb[0], face * 51, 1) << face;
      EXPECT_NEAR(rgb[1], 255 - face * 51, 1) << face;
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    ASSERT_TRUE(glIsTexture(texture));
  }
  EXPECT_FALSE(glIsTexture(texture));
}

TEST(RenderTargetDeathTest, NoFramebufferObjectsEndsTheProcessWith99) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto noFbo = [] {
    MorlenGL::SetGlDriver({[] { return "GL_ARB_shader_objects GL_EXT_framebuffer_object_blit"; },
                           [](const char*) -> void* { return nullptr; }, [] { return true; }});
  };
  EXPECT_EXIT(
      {
        noFbo();
        cRenderTextureSystem target;
        target.Create(1024, 768, 1);
      },
      ::testing::ExitedWithCode(99), "GL_EXT_framebuffer_object NOT supported . Upgrade your gfx motha fucka");
  EXPECT_EXIT(
      {
        noFbo();
        cCubeMapping cube;
        cube.CreateCube(512, 512);
      },
      ::testing::ExitedWithCode(99), "NOT supported");
}

}  // namespace
