// window_gl_test.cpp -- cWindowsSystem on the real headless context: projection read back, objects kept across F1.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "shell/windows_system.h"

using MorlenGL::cWindowsSystem;

namespace {

// A window system on its own headless context; g_pWindowsSystem points at it meanwhile.
struct HeadlessSystem : cWindowsSystem {
  HeadlessSystem() {
    SetBackend(plat::CreateHeadlessBackend());
    m_fullscreen = false;
    m_askFullscreen = false;
    m_width = 1024;
    m_height = 768;
    m_zNear = 0.1f;
    MorlenGL::g_pWindowsSystem = this;
  }
  ~HeadlessSystem() override { DestroyWindowAndContext(); }
};

TEST(WindowOnHeadlessContext, SizeWithZeroHeightGivesAViewportOfOneAndAFiniteProjection) {
  HeadlessSystem sys;
  ASSERT_TRUE(sys.CreateWindowAndContext());
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 1024);
  EXPECT_EQ(viewport[3], 768);

  cWindowsSystem::StaticWndProc(sys.m_hWnd, plat::kMsgSize, 0, plat::SizeParam(640, 0));
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[0], 0);
  EXPECT_EQ(viewport[1], 0);
  EXPECT_EQ(viewport[2], 640);
  EXPECT_EQ(viewport[3], 1);
  GLfloat m[16];
  glGetFloatv(GL_PROJECTION_MATRIX, m);
  for (float v : m) EXPECT_TRUE(std::isfinite(v));
  // 45 degrees vertically: m[5] = cot(22.5 deg), m[0] = m[5] / aspect.
  const float f = static_cast<float>(1.0 / std::tan(22.5 * M_PI / 180.0));
  EXPECT_NEAR(m[5], f, 1e-5);
  EXPECT_NEAR(m[0], f / 640.0f, 1e-7);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
}

// Frame 1 makes a texture and presses F1; frame 2 checks it and ends the loop.
struct TogglingSystem : HeadlessSystem {
  GLuint texture = 0;
  bool textureAfterToggle = false;
  void* contextAfterToggle = nullptr;
  int frames = 0;

  bool UpdateFrame() override {
    if (++frames == 1) {
      glGenTextures(1, &texture);
      glBindTexture(GL_TEXTURE_2D, texture);
      const unsigned char white[4] = {255, 255, 255, 255};
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
      m_keys[plat::kVkF1] = true;
    } else {
      textureAfterToggle = glIsTexture(texture) == GL_TRUE;
      contextAfterToggle = m_hRC;
    }
    return true;
  }
  bool DrawFrame() override { return frames < 2; }
};

TEST(WindowOnHeadlessContext, TextureMadeBeforeF1IsStillValidAfterIt) {
  TogglingSystem sys;
  ASSERT_TRUE(sys.CreateWindowAndContext());
  void* context = sys.m_hRC;
  EXPECT_EQ(sys.MessageLoop(), 0);
  EXPECT_EQ(sys.frames, 2);
  EXPECT_TRUE(sys.m_fullscreen);
  EXPECT_NE(sys.texture, 0u);
  EXPECT_TRUE(sys.textureAfterToggle);
  EXPECT_EQ(sys.contextAfterToggle, context);
}

}  // namespace
