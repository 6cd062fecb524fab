// particle_draw_test.cpp -- particle pools on the headless context, checked by pixel read-back.
#include <epoxy/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "effects/particle_system.h"
#include "support/gl_context.h"

using MorlenGL::cParticleSystem;
using MorlenGL::Vec3;
using testsupport::ReadPixel;
using testsupport::Rgba;

namespace {

void BeginFrame() {
  glViewport(0, 0, 1024, 768);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45, 1, 0.01, 10000);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// Draws the pool with all its particles moved to one point straight ahead.
Rgba DrawAt(cParticleSystem& s, Vec3 at, bool additive = false) {
  for (auto& p : s.particles) p.position = at;
  BeginFrame();
  if (additive) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  }
  s.DrawAll();
  glFinish();
  return ReadPixel(512, 384);
}

void Put16(std::string& s, uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}

std::string Chunk3ds(uint16_t id, const std::string& body) {
  std::string s;
  Put16(s, id);
  const uint32_t length = static_cast<uint32_t>(6 + body.size());
  Put16(s, length & 0xFFFF);
  Put16(s, length >> 16);
  return s + body;
}

// A closed octahedron of radius 2, so it covers the view axis from any spin.
std::string Octahedron3ds() {
  const float v[6][3] = {{2, 0, 0}, {-2, 0, 0}, {0, 2, 0}, {0, -2, 0}, {0, 0, 2}, {0, 0, -2}};
  const uint16_t faces[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                                {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
  std::string vertices, faceList, group = std::string("m") + '\0';
  Put16(vertices, 6);
  for (const auto& p : v) {
    for (float c : p) {
      char bytes[4];
      std::memcpy(bytes, &c, 4);
      vertices.append(bytes, 4);
    }
  }
  Put16(faceList, 8);
  Put16(group, 8);
  for (uint16_t f = 0; f < 8; ++f) {
    for (uint16_t i : faces[f]) Put16(faceList, i);
    Put16(faceList, 0);
    Put16(group, f);
  }
  const std::string mesh =
      Chunk3ds(0x4110, vertices) + Chunk3ds(0x4120, faceList + Chunk3ds(0x4130, group));
  const std::string object = std::string("f") + '\0' + Chunk3ds(0x4100, mesh);
  return Chunk3ds(0x4D4D, Chunk3ds(0x3D3D, Chunk3ds(0x4000, object)));
}

}  // namespace

TEST(ParticleDrawing, FeathersDrawTheirModelOncePerParticle) {
  REQUIRE_GL();
  const std::string bytes = Octahedron3ds();
  MorlenGL::cFeatherParticleSystem feathers;
  MorlenGL::cFeatherBParticleSystem feathersB;
  for (cParticleSystem* s : {static_cast<cParticleSystem*>(&feathers),
                             static_cast<cParticleSystem*>(&feathersB)}) {
    s->colour = {0.25f, 1, 0};
    s->Init(2);
  }
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  ASSERT_TRUE(feathers.model.LoadFromMemory(data, bytes.size(), "octahedron"));
  ASSERT_TRUE(feathersB.model.LoadFromMemory(data, bytes.size(), "octahedron"));
  Rgba c = DrawAt(feathers, {0, 0, -20});
  EXPECT_EQ(c.g, 255);
  EXPECT_EQ(c.r, 64);
  feathers.particles[0].life = feathers.particles[1].life = 0.5f;
  // Additive: two particles, each a front and a back face on the axis, each 0.25 x 0.5.
  EXPECT_NEAR(DrawAt(feathers, {0, 0, -20}, true).r, 128, 2);
  EXPECT_EQ(DrawAt(feathersB, {0, 0, -20}).g, 255);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ParticleDrawing, EachClassDrawsItsShapeInTheParticleColour) {
  REQUIRE_GL();
  cParticleSystem icospheres;
  icospheres.colour = {1, 0, 0};
  icospheres.Init(2);
  Rgba c = DrawAt(icospheres, {0, 0, -5});
  EXPECT_EQ(c.r, 255);
  EXPECT_EQ(c.g, 0);
  // Off to the side the small sphere leaves the picture alone.
  c = DrawAt(icospheres, {1, 0, -5});
  EXPECT_EQ(c.r, 0);

  MorlenGL::cSparksSystem sparks;
  sparks.colour = {0, 1, 0};
  sparks.Init(3);
  c = DrawAt(sparks, {0, 0, -20});
  EXPECT_EQ(c.g, 255);

  GLUquadric* quadric = gluNewQuadric();
  gluQuadricNormals(quadric, GLU_SMOOTH);
  gluQuadricTexture(quadric, GL_TRUE);
  MorlenGL::cSphereParticleSystem spheres;
  spheres.colour = {0, 0, 1};
  spheres.Init(1);
  EXPECT_EQ(DrawAt(spheres, {0, 0, -60}).b, 0);  // no quadric yet: nothing drawn
  spheres.quadric = quadric;
  EXPECT_EQ(DrawAt(spheres, {0, 0, -60}).b, 255);
  // The bounce belongs to the drawing.
  spheres.particles[0].velocity = {0, 3, 0};
  DrawAt(spheres, {0, 200, 0});
  EXPECT_FLOAT_EQ(spheres.particles[0].velocity.y, -2.0f);
  gluDeleteQuadric(quadric);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ParticleDrawing, HaloScaleSizesTheCubeAndCloseHalosDieAfterBeingDrawn) {
  REQUIRE_GL();
  MorlenGL::cHaloSystem halos;
  halos.colour = {1, 1, 1};
  halos.Init(1);
  halos.haloScale = 0;
  EXPECT_EQ(DrawAt(halos, {0, 0, -60}).r, 0);
  halos.haloScale = 3;
  EXPECT_EQ(DrawAt(halos, {0, 0, -60}).r, 255);
  EXPECT_FLOAT_EQ(halos.particles[0].life, 0.001f);

  halos.particles[0].life = 0.5f;
  halos.particles[0].r = 0.25f;
  halos.haloScale = 1;
  // Drawn once more with the alpha it had before dying: front and back face, each 0.25 x 0.5.
  EXPECT_NEAR(DrawAt(halos, {0, 0, -40}, true).r, 64, 2);
  EXPECT_EQ(halos.particles[0].life, 0.0f);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
