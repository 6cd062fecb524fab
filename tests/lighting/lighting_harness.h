// lighting_harness.h -- float render target, textures, views and quads for the surface program tests.
#pragma once
#include <epoxy/gl.h>

#include <array>
#include <functional>
#include <vector>

#include "assets/camera.h"
#include "effects/lighting_shaders.h"
#include "support/gl_context.h"

namespace lightingtest {

constexpr int kSize = 64;
using Colour = std::array<float, 4>;

// A framebuffer object, bound while it lives. The default RGBA32F colour keeps values above 1,
// so an alpha of 1.2 reads back as it was written.
class FloatTarget {
 public:
  explicit FloatTarget(int width = kSize, int height = kSize, GLenum colourFormat = GL_RGBA32F, bool depth = false);
  ~FloatTarget();
  FloatTarget(const FloatTarget&) = delete;
  FloatTarget& operator=(const FloatTarget&) = delete;
  bool Complete() const;
  void Clear(float r, float g, float b, float a);
  Colour At(int x, int y) const;
  std::vector<float> All() const;
  std::vector<unsigned char> Bytes() const;  // RGBA8, rows from the bottom

 private:
  int width, height;
  GLuint fbo = 0, buffers[2] = {0, 0};
};

// An RGBA float 2D texture, linear filtering, clamped; freed with the object.
class Texture2D {
 public:
  Texture2D(int w, int h, const std::vector<float>& rgba);
  Texture2D(float r, float g, float b, float a);  // 1 x 1
  ~Texture2D();
  Texture2D(const Texture2D&) = delete;
  Texture2D& operator=(const Texture2D&) = delete;
  GLuint name = 0;
};

// A float cube map; face(f, s, t) gives the colour at face f (0 = +X ... 5 = -Z) and its s, t.
class CubeTexture {
 public:
  CubeTexture(int size, const std::function<Colour(int face, float s, float t)>& face);
  explicit CubeTexture(Colour everywhere);
  ~CubeTexture();
  CubeTexture(const CubeTexture&) = delete;
  CubeTexture& operator=(const CubeTexture&) = delete;
  GLuint name = 0;
};

// Flat normal map, grey height map, white specular map, a colour map C and a one-colour cube map E.
struct SurfaceMaps {
  explicit SurfaceMaps(Colour c, Colour e = {0, 0, 0, 1});
  Texture2D colour;
  Texture2D normal{0.5f, 0.5f, 1.0f, 1.0f};
  Texture2D height{0.5f, 0.5f, 0.5f, 1.0f};
  Texture2D specular{1.0f, 1.0f, 1.0f, 1.0f};
  CubeTexture cube;
  void Give(MorlenGL::cSurfaceProgram& shader) const;
};

// Programs off, every unit bare, the tangent's current value back to OpenGL's (0, 0, 0) so each
// program has to supply its own, blending and depth test off.
void ResetState();
// gluPerspective(45, 1, 0.1, 100) with an identity modelview: the eye at the origin looks down -z.
void PerspectiveView();
// glOrtho over the given box with an identity modelview.
void OrthoView(float left, float right, float bottom, float top);
// The camera record matching PerspectiveView.
MorlenGL::Camera EyeAtOrigin();
// A square of half size `half` centred on (cx, cy) at depth z with normal n and texture
// coordinates 0 to 1 across it.
void DrawQuad(float cx, float cy, float half, float z, float nx = 0, float ny = 0, float nz = 1);

GLint ActiveUnit();

// One facing square in perspective, filling the middle of the target; the bind must leave
// boundUnit active and the unbind unit 0. Returns the whole read-back.
template <class Shader>
std::vector<float> DrawFacing(Shader& shader, FloatTarget& target, int boundUnit = 4) {
  target.Clear(0, 0, 0, 0);
  PerspectiveView();
  shader.Bind(EyeAtOrigin());
  EXPECT_EQ(ActiveUnit(), boundUnit);
  DrawQuad(0, 0, 1.5f, -5);
  shader.Unbind();
  EXPECT_EQ(ActiveUnit(), 0);
  return target.All();
}

// InitProgram and both compile steps.
template <class Shader>
bool Build(Shader& shader) {
  return shader.InitProgram() && shader.CompileVertexShader() && shader.CompileFragmentShader();
}

// Fails the test when any channel differs by more than tolerance.
void ExpectColour(const Colour& got, const Colour& want, float tolerance, const char* what);
// The largest channel difference between two read-backs of the same size.
float MaxDifference(const std::vector<float>& a, const std::vector<float>& b);

}  // namespace lightingtest
