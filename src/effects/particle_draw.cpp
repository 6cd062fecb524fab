// particle_draw.cpp -- sending particle pools to OpenGL, one matrix push and one primitive each.
#include <epoxy/gl.h>
#include <GL/glu.h>

#include <cstdlib>

#include "assets/geometry.h"
#include "effects/particle_system.h"

namespace MorlenGL {

namespace {

// Every particle is placed the same way; only the shape drawn inside differs.
template <typename Shape>
void DrawPlaced(const Particle& p, Shape&& shape) {
  glPushMatrix();
  glTranslatef(p.position.x, p.position.y, p.position.z);
  glRotatef(p.angle, p.axis.x, p.axis.y, p.axis.z);
  shape();
  glPopMatrix();
}

}  // namespace

void cParticleSystem::DrawAll() {
  // Drawing an unallocated pool is a programming error the show treats as fatal.
  if (!initialised) std::exit(10);
  for (Particle& p : particles) {
    if (!p.active) continue;
    glColor4f(p.r, p.g, p.b, p.life);
    DrawParticle(p);
  }
}

void cParticleSystem::DrawParticle(Particle& p) {
  DrawPlaced(p, [] { DrawIcosphere(1, 0.075f); });
}

// The colour was set before this call, so a dying halo is still drawn once with its old alpha.
void cHaloSystem::DrawParticle(Particle& p) {
  ApplyHaloLifeRule(p);
  DrawPlaced(p, [this] {
    glScalef(haloScale, haloScale, haloScale);
    DrawCube();
  });
}

void cFeatherParticleSystem::DrawParticle(Particle& p) {
  DrawPlaced(p, [this] { model.Draw(); });
}

void cSphereParticleSystem::DrawParticle(Particle& p) {
  BounceSphere(p);
  // Without a mesh or a quadric there is nothing to draw with; the bounce still happens.
  if (sphereMesh.Empty() && quadric == nullptr) return;
  DrawPlaced(p, [this] {
    glScalef(5, 5, 5);
    if (!sphereMesh.Empty())
      DrawSphereMesh(sphereMesh);
    else
      gluSphere(quadric, 1, 64, 64);
  });
}

void cSparksSystem::DrawParticle(Particle& p) {
  DrawPlaced(p, [] {
    glScalef(1, 1, 1);
    DrawCube();
  });
}

}  // namespace MorlenGL
