// gl_harness.h -- drawing helpers for the effect tests: an exact-pixel quad pass and small float textures.
#pragma once
#include <epoxy/gl.h>

#include <vector>

#include "support/gl_context.h"

namespace effectstest {

// Projection and modelview that map DrawQuad exactly onto a w x h viewport at the window's corner,
// so pixel (x, y) samples texture coordinates ((x + 0.5) / w, (y + 0.5) / h).
void QuadPassState(int w, int h);

// Reads the w x h pixels at the window's corner, row by row from the bottom.
std::vector<testsupport::Rgba> ReadRegion(int w, int h);

// An RGBA float texture with nearest filtering and edge clamping; freed with the object.
struct FloatTexture {
  FloatTexture(int w, int h, const std::vector<float>& rgba);
  // A uniform texture of one colour.
  FloatTexture(int w, int h, float r, float g, float b, float a);
  ~FloatTexture();
  FloatTexture(const FloatTexture&) = delete;
  FloatTexture& operator=(const FloatTexture&) = delete;
  GLuint name = 0;
};

// Leaves texturing off on units 0 to 4 and unit 0 active, whatever a filter left behind.
void ResetTextureUnits();

}  // namespace effectstest
