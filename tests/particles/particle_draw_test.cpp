// particle_draw_test.cpp -- particle pools drawn on the headless context, checked by reading pixels back.
#include <epoxy/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include "effects/particle_system.h"
#include "support/gl_context.h"

using MorlenGL::cParticleSystem;
using MorlenGL::ParticleVec;
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
Rgba DrawAt(cParticleSystem& s, ParticleVec at, bool additive = false) {
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

}  // namespace

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
