// abstract_ii_state.cpp -- the metaball scene's state over time: orbits, fades, flash, iso level, field.
#include "scenes/abstract_ii_state.h"

#include <algorithm>
#include <cmath>

#include "platform/crt_random.h"

namespace MorlenGL {

// [SECTION] Update

std::array<Vec3, 4> BallOrbits(float T) {
  const float c = std::cos(4 * T), s = std::sin(4 * T);
  return {{
      {2 * c * std::cos(2 * T) - 4 * c * std::cos(5 * T), 2 * c * std::sin(2 * T) + 4 * s * std::sin(5 * T), -c},
      {5 * s + 4 * c, std::sin(0.8f * T) * (1 - 5 * c) - 0.4f * c, 5 * c},
      {-5 * c - 0.2f * s, 4.8f * s, 1.8f * s},
      {5 * c + 0.2f * s, -4.8f * s, -1.8f * s},
  }};
}

Vec3 SlowOrbitPoint(float H) {
  return {-1.22f * std::cos(H) - 1.128f * std::sin(H) - 1.44f * std::cos(3 * H) - 1.78f * std::sin(3 * H),
          1.46f * std::sin(4 * H) + 1.38f * std::cos(4 * H) - 1.1f * std::cos(2 * H) - 1.27f * std::sin(2 * H),
          1.7f * std::cos(3 * H) - 1.4f * std::sin(3 * H)};
}

Vec3 RandomStreamAcceleration() {
  Vec3 a;
  a.z = plat::RandHundredths(25) - 0.0125f;
  a.y = plat::RandHundredths(100) - 0.05f;
  a.x = plat::RandHundredths(25) - 0.0125f;
  return a;
}

namespace {

void StepFades(AbstractIIState& s, float dt) {
  // 2.
  if (s.runTime >= 10) s.waterHeight += dt;
  // 3.
  if (s.runTime >= 18) s.skyFade = std::min(s.skyFade + 0.25f * dt, 1.0f);
  // 4.
  if (s.runTime >= 50) {
    s.endFade = std::min(s.endFade + 0.25f * dt, 1.0f);
    s.bwMix = std::min(s.bwMix + 0.125f * dt, 1.0f);
    s.shrink = std::min(s.shrink + 0.25f * dt, 0.5f);
  }
}

void PlaceBalls(AbstractIIState& s, float T, float dt) {
  // 7.
  const std::array<Vec3, 4> orbit = BallOrbits(T);
  for (int i = 0; i < 4; ++i) {
    s.balls[i].x = orbit[i].x;
    s.balls[i].y = orbit[i].y;
    s.balls[i].z = orbit[i].z;
  }
  // 8.
  if (s.runTime >= 22 && s.runTime <= 35) {
    s.contract += 0.5f * dt;
    for (Metaball& b : s.balls) {
      b.x /= s.contract;
      b.y /= s.contract;
      b.z /= s.contract;
    }
  }
}

// The three windows meet at 31.5 and 32, where both of their steps apply.
void StepFlashGate(AbstractIIState& s, float dt) {
  if (s.runTime <= 31.5f) s.flashGate -= 3 * dt;
  if (s.runTime >= 31.5f && s.runTime <= 32) s.flashGate += 3 * dt;
  if (s.runTime >= 32) s.flashGate -= 3 * dt;
  s.flashGate = std::clamp(s.flashGate, 0.0f, 1.0f);
}

void StepSlowOrbit(AbstractIIState& s, float T, float dt) {
  if (s.runTime < 32) return;
  s.orbitPhase += T / 1000;  // T itself per frame, not T * dt
  if (s.runTime <= 40) s.thresholdRise += dt / 5;
  for (int i = 0; i < 4; ++i) {
    const Vec3 p = SlowOrbitPoint(s.orbitPhase + 0.25f * static_cast<float>(i));
    s.balls[i].x = p.x;
    s.balls[i].y = p.y;
    s.balls[i].z = p.z;
  }
}

}  // namespace

void StepAbstractII(AbstractIIState& s, cParticleSystem& particles, const SceneTime& t) {
  // 1.
  s.runTime += t.dt;
  // 2 to 4.
  StepFades(s, t.dt);
  // 5.
  particles.acceleration = RandomStreamAcceleration();
  particles.drift = {0, 0.001f, 0};
  // 6.
  s.fadeIn = std::min(s.fadeIn + 0.5f * t.dt, 1.0f);
  // 7, 8.
  PlaceBalls(s, t.T, t.dt);
  // 9.
  StepFlashGate(s, t.dt);
  // 10.
  StepSlowOrbit(s, t.T, t.dt);
}

float IsoLevel(const AbstractIIState& s) { return 1.0f + s.thresholdRise; }

// Point by point with the balls inner: each point sums its four terms in ball order, exactly as a
// ball-by-ball sweep would, while the grid is read and written once.
void EvaluateField(IsoGrid& grid, const std::array<Metaball, 4>& balls) {
  for (int32_t i = 0; i < grid.pointCount; ++i) {
    GridPoint& p = grid.points[i];
    float value = 0, nx = 0, ny = 0, nz = 0;
    for (const Metaball& b : balls) {
      const float dx = p.x - b.x, dy = p.y - b.y, dz = p.z - b.z;
      float r2 = dx * dx + dy * dy + dz * dz;
      if (r2 == 0) r2 = 0.0001f;
      value += b.w / r2;
      const float r4 = r2 * r2;
      nx += dx * b.w / r4;
      ny += dy * b.w / r4;
      nz += dz * b.w / r4;
    }
    p.value = value;
    p.nx = nx;
    p.ny = ny;
    p.nz = nz;
  }
}

// [SECTION] Draw-time state

// Reaching 10 doubles the spiral at once; from 20 it grows on.
void StepSpiral(AbstractIIState& s, float dt) {
  const float before = s.spiralTime;
  s.spiralTime += dt;
  if (before < 10 && s.spiralTime >= 10) s.spiralTime = 20;
}

int SpiralSegments(const AbstractIIState& s) { return static_cast<int>(s.spiralTime * 10); }

float StepCameraAngle(AbstractIIState& s, float T, float dt) {
  if (s.endFade <= 0) {
    s.orbitAngle = T + 2.5f;
    return s.orbitAngle;
  }
  s.orbitBrakeAngle += (1 - s.endFade) * dt;
  return s.orbitAngle + s.orbitBrakeAngle;
}

float GodRaySphereLevel(const AbstractIIState& s) {
  return s.waterHeight <= 0 ? s.fadeIn : s.fadeIn - 0.5f - s.shrink;
}

}  // namespace MorlenGL
