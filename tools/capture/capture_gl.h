// capture_gl.h -- the OpenGL calls of the capture: reading the window back, timer queries, errors.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace capture {

// The default framebuffer as RGBA, top row first, whatever framebuffer the show left bound.
void ReadWindow(int width, int height, std::vector<uint8_t>* rgba);

// GPU time of the commands between Begin and End, where the driver has timer queries.
class GpuTimer {
 public:
  bool Available();  // decided on first use, with a context current
  void Begin();
  // Milliseconds, waiting for the result; negative without a timer or without a Begin.
  double End();

 private:
  enum class Mode { kUndecided, kNone, kTimestamps, kElapsed };
  Mode mode_ = Mode::kUndecided;
  unsigned queries_[2] = {0, 0};
  bool running_ = false;
};

// Frames replayed on the way to a later start are drawn with rasterisation switched off
// (GL_RASTERIZER_DISCARD, from OpenGL 3.0): every command still changes the state it
// changes, but no pixel is written, so such a frame costs little more than its CPU work.
// The show never touches that switch itself.
bool CanDiscardRasterization();
void DiscardRasterization(bool on);

// Every pending OpenGL error code, oldest first.
std::vector<unsigned> TakeGlErrors();

struct GlDescription {
  std::string renderer, vendor, version;
};
GlDescription DescribeGl();

}  // namespace capture
