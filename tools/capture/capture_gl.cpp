// capture_gl.cpp -- readback, GL_TIME_ELAPSED queries and glGetError, through libepoxy.
#include "capture_gl.h"

#include <epoxy/gl.h>

#include <cstring>

namespace capture {

void ReadWindow(int width, int height, std::vector<uint8_t>* rgba) {
  GLint framebuffer = 0, alignment = 4;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  if (framebuffer) glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  size_t row = static_cast<size_t>(width) * 4;
  rgba->resize(row * height);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba->data());
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
  if (framebuffer) glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  // OpenGL's first row is the bottom one.
  std::vector<uint8_t> swap(row);
  for (int y = 0; y < height / 2; ++y) {
    uint8_t* top = rgba->data() + y * row;
    uint8_t* bottom = rgba->data() + (height - 1 - y) * row;
    memcpy(swap.data(), top, row);
    memcpy(top, bottom, row);
    memcpy(bottom, swap.data(), row);
  }
}

bool GpuTimer::Available() {
  if (available_ < 0)
    available_ = epoxy_gl_version() >= 33 || epoxy_has_gl_extension("GL_ARB_timer_query") ||
                 epoxy_has_gl_extension("GL_EXT_timer_query");
  return available_ > 0;
}

void GpuTimer::Begin() {
  if (!Available() || running_) return;
  if (!query_) glGenQueries(1, &query_);
  glBeginQuery(GL_TIME_ELAPSED, query_);
  running_ = true;
}

double GpuTimer::End() {
  if (!running_) return -1;
  glEndQuery(GL_TIME_ELAPSED);
  running_ = false;
  GLuint64 nanoseconds = 0;
  glGetQueryObjectui64v(query_, GL_QUERY_RESULT, &nanoseconds);
  return nanoseconds / 1e6;
}

std::vector<unsigned> TakeGlErrors() {
  std::vector<unsigned> errors;
  // Bounded: a lost context can report the same error forever.
  for (GLenum e; errors.size() < 16 && (e = glGetError()) != GL_NO_ERROR;) errors.push_back(e);
  return errors;
}

GlDescription DescribeGl() {
  auto text = [](GLenum name) {
    const GLubyte* s = glGetString(name);
    return s ? std::string(reinterpret_cast<const char*>(s)) : std::string("unknown");
  };
  return {text(GL_RENDERER), text(GL_VENDOR), text(GL_VERSION)};
}

}  // namespace capture
