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
void DrawPlaced(const Particle& p, Shape&& draw) {
  glPushMatrix();
  glTranslatef(p.position.x, p.position.y, p.position.z);
  glRotatef(p.angle, p.axis.x, p.axis.y, p.axis.z);
  draw();
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

// The shapes are the same vertices DrawIcosphere and DrawCube send, uploaded at the first draw.
void cParticleSystem::DrawParticle(Particle& p) {
  if (shape.Empty()) shape = PrepareIcosphere(1, 0.075f);
  DrawPlaced(p, [this] { DrawVertexStrips(shape); });
}

// The colour was set before this call, so a dying halo is still drawn once with its old alpha.
void cHaloSystem::DrawParticle(Particle& p) {
  ApplyHaloLifeRule(p);
  if (shape.Empty()) shape = PrepareCube();
  DrawPlaced(p, [this] {
    glScalef(haloScale, haloScale, haloScale);
    DrawVertexStrips(shape);
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
  if (shape.Empty()) shape = PrepareCube();
  DrawPlaced(p, [this] {
    glScalef(1, 1, 1);
    DrawVertexStrips(shape);
  });
}

}  // namespace MorlenGL
