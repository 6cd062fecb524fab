// particle_system.cpp -- particle births, per-frame life and motion, halo and sphere rules.
#include "effects/particle_system.h"

#include <cmath>
#include <limits>

#include "platform/crt_random.h"
#include "platform/diagnostics.h"

namespace MorlenGL {

// A zero frame step has to turn into an infinite decrement, not a trap or a NaN.
static_assert(std::numeric_limits<float>::is_iec559, "particle lives rely on IEEE infinities");

namespace {

float Draw(int modulus) { return plat::RandHundredths(modulus); }

// 0 to 327.67: the modulus 360000 never bites on a 15-bit value.
float DrawSpin() { return Draw(360000); }

float DrawJitter() { return Draw(200) - 0.1f; }

}  // namespace

cParticleSystem::cParticleSystem() { plat::Srand(static_cast<uint32_t>(plat::CalendarTime())); }

void cParticleSystem::Init(int32_t count) {
  if (count < 0) {
    plat::Report("particle pool of %d particles; using none", count);
    count = 0;
  }
  particleCount = count;
  particles.assign(static_cast<size_t>(count), Particle{});
  for (Particle& p : particles) {
    p.active = true;
    Respawn(p);
    p.life = 0.001f;
  }
  OnInit();
  initialised = true;
}

// The draws happen in a fixed order (fade, axis, jitter, angle) so a seed reproduces a show.
void cParticleSystem::Respawn(Particle& p) {
  p.life = 1.0f;
  p.fade = 0.001f + Draw(8);
  p.acceleration = acceleration;
  p.r = colour.x;
  p.g = colour.y;
  p.b = colour.z;
  p.drift = drift;
  p.axis.x = DrawSpin();
  p.axis.y = DrawSpin();
  p.axis.z = DrawSpin();
  p.velocity = Vec3{};
  p.position.x = emitter.x + DrawJitter();
  p.position.y = emitter.y + DrawJitter();
  p.position.z = emitter.z + DrawJitter();
  p.angle = DrawSpin();
}

float LifeDecrement(float fade, float dt, int32_t lifeScale) {
  const float divisor = dt * static_cast<float>(lifeScale);
  // Two frames within one hundredth: the particle dies at once (also when fade is 0, where
  // the plain division would give a NaN life that never falls below 0).
  if (divisor == 0.0f) return std::numeric_limits<float>::infinity();
  return fade / divisor;
}

float cParticleSystem::FrameStep() const {
  return static_cast<float>(clock->m_elapsed - clock->m_lastElapsed) / 100.0f;
}

void cParticleSystem::Update() {
  respawnedThisFrame = false;
  if (clock == nullptr) {
    static bool told = false;
    if (!told) plat::Report("particle system updated without a clock; it stands still");
    told = true;
    return;
  }
  const float dt = FrameStep();
  for (Particle& p : particles) {
    p.life -= LifeDecrement(p.fade, dt, lifeScale);
    if (p.life < 0.0f && !respawnedThisFrame) {
      Respawn(p);
      respawnedThisFrame = true;
    }
    MoveParticle(p, dt);
    AfterMove(p);
  }
}

// Only the acceleration is scaled by the step; drift and velocity apply once per frame.
void cParticleSystem::MoveParticle(Particle& p, float dt) {
  p.angle += dt;
  p.velocity.x += p.acceleration.x * dt;
  p.velocity.y += p.acceleration.y * dt;
  p.velocity.z += p.acceleration.z * dt;
  p.velocity.x += p.drift.x;
  p.velocity.y += p.drift.y;
  p.velocity.z += p.drift.z;
  p.position.x += p.velocity.x;
  p.position.y += p.velocity.y;
  p.position.z += p.velocity.z;
}

void cParticleSystem::AfterMove(Particle& p) {
  if (jitter == 1) Rejitter(p);
}

void cParticleSystem::Rejitter(Particle& p) {
  p.life = 1.0f;
  p.fade = Draw(29);
  p.acceleration.x = Draw(2000) - 1.0f;
  p.acceleration.y = Draw(2000) - 1.0f;
  p.acceleration.z = Draw(2000) - 1.0f;
}

static float Length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

void ApplyHaloLifeRule(Particle& p) {
  if (Length(p.position) <= 50.0f) p.life = 0.0f;
}

void BounceSphere(Particle& p) {
  const Vec3 at = p.position;
  if (at.y <= -190.0f || at.y >= 190.0f) p.velocity.y = -p.velocity.y / 1.5f;
  if (at.x <= -190.0f || at.x >= 190.0f) p.velocity.x = -p.velocity.x / 1.5f;
  if (at.z <= -190.0f || at.z >= 190.0f) p.velocity.z = -p.velocity.z / 1.5f;
  if (Length(at) <= 40.0f && at.y <= 90.0f) p.velocity.y = -p.velocity.y;
}

}  // namespace MorlenGL
