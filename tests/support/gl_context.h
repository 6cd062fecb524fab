// gl_context.h -- one headless OpenGL context per test process, on the real EGL backend.
#pragma once
#include <gtest/gtest.h>

namespace testsupport {

// Creates (once) a 1024 x 768 headless context and makes it current.
// Returns false, with a test failure recorded, when no context can be made.
bool EnsureGlContext();

// Reads the RGBA8 pixel at (x, y) of the current read buffer.
struct Rgba { int r, g, b, a; };
Rgba ReadPixel(int x, int y);

}  // namespace testsupport

// Put at the top of a test that needs OpenGL.
#define REQUIRE_GL() \
  do { if (!testsupport::EnsureGlContext()) return; } while (0)
