// readback_test.cpp -- the window read back the right way up, whatever framebuffer the show left bound.
#include <gtest/gtest.h>
#include <epoxy/gl.h>

#include <vector>

#include "capture_gl.h"
#include "support/gl_context.h"

namespace {

void FillRows(int y, int height, float r, float g, float b) {
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, y, 1024, height);
  glClearColor(r, g, b, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
}

const uint8_t* Pixel(const std::vector<uint8_t>& rgba, int x, int row) { return &rgba[(row * 1024 + x) * 4]; }

}  // namespace

TEST(Readback, TopRowComesFirstAndTheBoundFramebufferSurvives) {
  REQUIRE_GL();
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  FillRows(0, 384, 0, 0, 1);    // OpenGL's lower half: blue
  FillRows(384, 384, 1, 0, 0);  // upper half: red
  FillRows(767, 1, 0, 1, 0);    // the very top row: green

  // A render target left bound, as a scene's last pass might leave it.
  GLuint texture = 0, framebuffer = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 16, 16, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);

  std::vector<uint8_t> rgba;
  capture::ReadWindow(1024, 768, &rgba);
  ASSERT_EQ(rgba.size(), 1024u * 768 * 4);
  EXPECT_EQ(Pixel(rgba, 5, 0)[1], 255);    // green on top
  EXPECT_EQ(Pixel(rgba, 5, 0)[0], 0);
  EXPECT_EQ(Pixel(rgba, 700, 1)[0], 255);  // then red
  EXPECT_EQ(Pixel(rgba, 700, 383)[0], 255);
  EXPECT_EQ(Pixel(rgba, 3, 384)[2], 255);  // blue below
  EXPECT_EQ(Pixel(rgba, 1023, 767)[2], 255);
  EXPECT_EQ(Pixel(rgba, 1023, 767)[0], 0);

  GLint bound = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), framebuffer);
  EXPECT_TRUE(capture::TakeGlErrors().empty());
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &framebuffer);
  glDeleteTextures(1, &texture);
}

TEST(Readback, GpuTimerMeasuresOnlyBetweenBeginAndEnd) {
  REQUIRE_GL();
  capture::GpuTimer timer;
  EXPECT_LT(timer.End(), 0) << "no Begin: no figure";
  if (!timer.Available()) GTEST_SKIP() << "driver without timer queries";
  timer.Begin();
  for (int i = 0; i < 20; ++i) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  double ms = timer.End();
  EXPECT_GE(ms, 0);
  EXPECT_LT(ms, 10000);
  EXPECT_LT(timer.End(), 0) << "a second End reuses nothing";
  EXPECT_TRUE(capture::TakeGlErrors().empty());
}
