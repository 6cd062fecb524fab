// gl_harness.cpp -- the quad pass state, region readback and float textures for the effect tests.
#include "gl_harness.h"

namespace effectstest {

void QuadPassState(int w, int h) {
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  glViewport(0, 0, w, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1, 1, -1, 1, -2, 2);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glColor4f(1, 1, 1, 1);
  glClearColor(0.2f, 0.2f, 0.2f, 0.2f);
  glClear(GL_COLOR_BUFFER_BIT);
}

std::vector<testsupport::Rgba> ReadRegion(int w, int h) {
  std::vector<unsigned char> bytes(static_cast<size_t>(w) * h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
  std::vector<testsupport::Rgba> pixels;
  for (size_t i = 0; i < bytes.size(); i += 4)
    pixels.push_back({bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]});
  return pixels;
}

FloatTexture::FloatTexture(int w, int h, const std::vector<float>& rgba) {
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F_ARB, w, h, 0, GL_RGBA, GL_FLOAT, rgba.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glBindTexture(GL_TEXTURE_2D, 0);
}

static std::vector<float> Uniform(int w, int h, float r, float g, float b, float a) {
  std::vector<float> rgba;
  for (int i = 0; i < w * h; ++i) rgba.insert(rgba.end(), {r, g, b, a});
  return rgba;
}

FloatTexture::FloatTexture(int w, int h, float r, float g, float b, float a)
    : FloatTexture(w, h, Uniform(w, h, r, g, b, a)) {}

FloatTexture::~FloatTexture() { glDeleteTextures(1, &name); }

void ResetTextureUnits() {
  for (int unit = 4; unit >= 0; --unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_CUBE_MAP);
  }
  glUseProgram(0);
}

}  // namespace effectstest
