// particle_system.h -- particle pools: birth, motion, fading, and the ways of drawing one particle.
#pragma once
#include <cstdint>
#include <vector>

#include "assets/camera.h"
#include "assets/geometry.h"
#include "assets/model_3ds.h"
#include "sequencing/timer.h"

struct GLUquadric;

namespace MorlenGL {

// One pool entry; the pool owns it and rewrites it at every birth.
struct Particle {
  bool active = false;  // set for every particle at Init, never cleared
  float life = 0;       // 1 at birth, falls below 0; also the drawing alpha
  float fade = 0;       // rate of fall
  float r = 0, g = 0, b = 0;
  float angle = 0;      // spin, degrees
  Vec3 position;
  Vec3 acceleration;  // scaled by the frame step
  Vec3 drift;         // added to the velocity once per frame
  Vec3 axis;          // spin axis, not normalised
  Vec3 velocity;
};

// Owned by value by a scene, which writes the configuration fields between frames;
// they reach a particle at its next birth. The pool is allocated once, by Init.
class cParticleSystem {
 public:
  cParticleSystem();  // reseeds the shared random generator with the calendar time
  virtual ~cParticleSystem() = default;

  int32_t jitter = 0;               // 1: re-randomise every particle after each move
  const Timer* clock = nullptr;     // the owning scene's clock; set before the first Update
  int32_t particleCount = 0;
  int32_t lifeScale = 100;          // divides the life decrement
  bool respawnedThisFrame = false;  // at most one birth per Update
  bool initialised = false;
  Vec3 drift;
  Vec3 emitter{0, 0, -100};
  Vec3 acceleration;
  Vec3 colour{0.2f, 1, 1};
  std::vector<Particle> particles;

  // Allocates the pool, gives every particle a birth and leaves it at life 0.001,
  // so a fresh pool comes to life one particle per frame.
  void Init(int32_t count);
  // Ends the process with exit code 10 when Init was never called.
  void DrawAll();

  virtual void OnInit() {}
  virtual void MoveParticle(Particle& p, float dt);
  virtual void AfterMove(Particle& p);
  virtual void Rejitter(Particle& p);
  virtual void DrawParticle(Particle& p);
  virtual void Update();

 protected:
  VertexStrips shape;  // what DrawParticle draws, uploaded at the first draw; unused by some kinds
  void Respawn(Particle& p);
  float FrameStep() const;
};

// The life decrement of one frame; a zero step counts as unbounded.
float LifeDecrement(float fade, float dt, int32_t lifeScale);
// Halos die when they come within 50 units of the origin.
void ApplyHaloLifeRule(Particle& p);
// Spheres bounce off the walls of a box of +-190 and off an inner ball of radius 40 below y = 90.
void BounceSphere(Particle& p);

class cHaloSystem : public cParticleSystem {
 public:
  float haloScale = 1;  // the scene writes it every frame
  void DrawParticle(Particle& p) override;
};

class cFeatherParticleSystem : public cParticleSystem {
 public:
  c3DsModelSystem model;  // loaded by the scene
  void DrawParticle(Particle& p) override;
};

// The same feathers under the name the orbiting scene uses.
class cFeatherBParticleSystem : public cFeatherParticleSystem {};

// Each sphere is the radius-1, 64 x 64 quadric sphere scaled by 5: the prepared mesh when the scene
// has built one (the same vertices, sent from one buffer), else gluSphere on the quadric.
class cSphereParticleSystem : public cParticleSystem {
 public:
  GLUquadric* quadric = nullptr;  // created and owned by the scene
  SphereMesh sphereMesh;          // BuildSphereMesh(1, 64, 64), built and uploaded by the scene
  c3DsModelSystem model;          // the scene loads it; the spheres never draw it
  void DrawParticle(Particle& p) override;
};

class cSparksSystem : public cParticleSystem {
 public:
  void DrawParticle(Particle& p) override;
};

}  // namespace MorlenGL
