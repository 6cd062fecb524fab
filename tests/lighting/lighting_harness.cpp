// lighting_harness.cpp -- float target, textures, views and quads for the surface program tests.
#include "lighting_harness.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "assets/vertex_attributes.h"

namespace lightingtest {

// [SECTION] render target

FloatTarget::FloatTarget(int width, int height, GLenum colourFormat, bool depth) : width(width), height(height) {
  glGenRenderbuffers(2, buffers);
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glBindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
  glRenderbufferStorage(GL_RENDERBUFFER, colourFormat, width, height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
  if (depth) {
    glBindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
  }
  glViewport(0, 0, width, height);
  glClampColor(GL_CLAMP_FRAGMENT_COLOR, GL_FALSE);
  glClampColor(GL_CLAMP_READ_COLOR, GL_FALSE);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
}

FloatTarget::~FloatTarget() {
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &fbo);
  glDeleteRenderbuffers(2, buffers);
  glViewport(0, 0, 1024, 768);
}

bool FloatTarget::Complete() const {
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void FloatTarget::Clear(float r, float g, float b, float a) {
  glClearColor(r, g, b, a);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Colour FloatTarget::At(int x, int y) const {
  Colour c{};
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_FLOAT, c.data());
  return c;
}

std::vector<float> FloatTarget::All() const {
  std::vector<float> rgba(static_cast<size_t>(width) * height * 4);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_FLOAT, rgba.data());
  return rgba;
}

std::vector<unsigned char> FloatTarget::Bytes() const {
  std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  return rgba;
}

// [SECTION] textures

namespace {

void Sampling(GLenum target) {
  glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(target, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
}

}  // namespace

Texture2D::Texture2D(int w, int h, const std::vector<float>& rgba) {
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, w, h, 0, GL_RGBA, GL_FLOAT, rgba.data());
  Sampling(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
}

Texture2D::Texture2D(float r, float g, float b, float a) : Texture2D(1, 1, {r, g, b, a}) {}

Texture2D::~Texture2D() { glDeleteTextures(1, &name); }

CubeTexture::CubeTexture(int size, const std::function<Colour(int, float, float)>& face) {
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_CUBE_MAP, name);
  for (int f = 0; f < 6; ++f) {
    std::vector<float> rgba;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        Colour c = face(f, (x + 0.5f) / size, (y + 0.5f) / size);
        rgba.insert(rgba.end(), c.begin(), c.end());
      }
    glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 0, GL_RGBA32F, size, size, 0, GL_RGBA, GL_FLOAT,
                 rgba.data());
  }
  Sampling(GL_TEXTURE_CUBE_MAP);
  glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}

CubeTexture::CubeTexture(Colour everywhere) : CubeTexture(1, [everywhere](int, float, float) { return everywhere; }) {}

CubeTexture::~CubeTexture() { glDeleteTextures(1, &name); }

SurfaceMaps::SurfaceMaps(Colour c, Colour e) : colour(c[0], c[1], c[2], c[3]), cube(e) {}

void SurfaceMaps::Give(MorlenGL::cSurfaceProgram& shader) const {
  shader.colorMapTexture = colour.name;
  shader.normalMapTexture = normal.name;
  shader.heightMapTexture = height.name;
  shader.specularMapTexture = specular.name;
  shader.cubeMapTexture = cube.name;
}

// [SECTION] state, views, geometry

void ResetState() {
  glUseProgram(0);
  for (int unit = 4; unit >= 0; --unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_CUBE_MAP);
  }
  glVertexAttrib4f(MorlenGL::kTangentAttribute, 0, 0, 0, 0);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glColor4f(1, 1, 1, 1);
  glFogCoordf(0);
}

void PerspectiveView() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 1.0, 0.1, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void OrthoView(float left, float right, float bottom, float top) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(left, right, bottom, top, -5, 5);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

MorlenGL::Camera EyeAtOrigin() {
  MorlenGL::Camera camera;
  MorlenGL::SetLookAt(camera, 0, 0, 0, 0, 0, -1, 0, 1, 0);
  camera.fovY = 45;
  camera.aspect = 1;
  camera.zNear = 0.1;
  camera.zFar = 100;
  return camera;
}

void DrawQuad(float cx, float cy, float half, float z, float nx, float ny, float nz) {
  glBegin(GL_QUADS);
  glNormal3f(nx, ny, nz);
  glTexCoord2f(0, 0);
  glVertex3f(cx - half, cy - half, z);
  glTexCoord2f(1, 0);
  glVertex3f(cx + half, cy - half, z);
  glTexCoord2f(1, 1);
  glVertex3f(cx + half, cy + half, z);
  glTexCoord2f(0, 1);
  glVertex3f(cx - half, cy + half, z);
  glEnd();
}

// [SECTION] comparisons

void ExpectColour(const Colour& got, const Colour& want, float tolerance, const char* what) {
  for (int i = 0; i < 4; ++i)
    EXPECT_NEAR(got[i], want[i], tolerance) << what << ", channel " << "rgba"[i];
}

float MaxDifference(const std::vector<float>& a, const std::vector<float>& b) {
  float worst = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    float d = std::fabs(a[i] - b[i]);
    if (!(d <= worst)) worst = std::isnan(d) ? INFINITY : d;
  }
  return worst;
}

GLint ActiveUnit() {
  GLint unit = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
  return unit - GL_TEXTURE0;
}

}  // namespace lightingtest
