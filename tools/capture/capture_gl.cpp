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
  if (mode_ == Mode::kUndecided) {
    if (epoxy_gl_version() >= 33 || epoxy_has_gl_extension("GL_ARB_timer_query"))
      mode_ = Mode::kTimestamps;
    else if (epoxy_has_gl_extension("GL_EXT_timer_query"))
      mode_ = Mode::kElapsed;
    else
      mode_ = Mode::kNone;
  }
  return mode_ != Mode::kNone;
}

// Two timestamps where the driver has them: an elapsed-time query over a stretch that
// draws nothing comes back as garbage on some drivers (llvmpipe reports its uptime).
void GpuTimer::Begin() {
  if (!Available() || running_) return;
  if (!queries_[0]) glGenQueries(2, queries_);
  if (mode_ == Mode::kTimestamps)
    glQueryCounter(queries_[0], GL_TIMESTAMP);
  else
    glBeginQuery(GL_TIME_ELAPSED, queries_[0]);
  running_ = true;
}

double GpuTimer::End() {
  if (!running_) return -1;
  running_ = false;
  GLuint64 start = 0, end = 0;
  if (mode_ == Mode::kTimestamps) {
    glQueryCounter(queries_[1], GL_TIMESTAMP);
    glGetQueryObjectui64v(queries_[0], GL_QUERY_RESULT, &start);
    glGetQueryObjectui64v(queries_[1], GL_QUERY_RESULT, &end);
  } else {
    glEndQuery(GL_TIME_ELAPSED);
    glGetQueryObjectui64v(queries_[0], GL_QUERY_RESULT, &end);
  }
  return end >= start ? (end - start) / 1e6 : 0.0;
}

bool CanDiscardRasterization() {
  return epoxy_gl_version() >= 30 || epoxy_has_gl_extension("GL_EXT_transform_feedback");
}

void DiscardRasterization(bool on) {
  if (on)
    glEnable(GL_RASTERIZER_DISCARD);
  else
    glDisable(GL_RASTERIZER_DISCARD);
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
