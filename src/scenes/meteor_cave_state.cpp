// meteor_cave_state.cpp -- the meteor cave's state over time: fade-in, jolt, music level, crack, strands.
#include "scenes/meteor_cave_state.h"

#include <algorithm>
#include <cmath>

#include "platform/crt_random.h"

namespace MorlenGL {

MeteorCaveState StartMeteorCave(const MeteorCaveVariant& variant) {
  MeteorCaveState s;
  s.crackTime = variant.crackTime;
  return s;
}

namespace {

void StepJolt(MeteorCaveState& s, int32_t cs, float dt) {
  if (cs >= 700 && cs <= 710) s.shake = 12;
  if (s.shake > 0) s.shake -= 6 * dt;
  s.shake = std::max(s.shake, 0.0);
}

}  // namespace

void StepMeteorCave(MeteorCaveState& s, const MeteorCaveVariant& variant, const SceneTime& t,
                    float spectrumBin2) {
  // 3, and III's 4: the level follows the music (in III only for the first ten seconds).
  s.runTime += t.dt;
  if (!variant.levelRisesFromTen || s.runTime < 10) s.musicLevel = spectrumBin2;
  // 4 (III: 5).
  s.fadeIn = std::min(s.fadeIn + 0.1f * t.dt, 1.0f);
  // III's 6: from the value it last had to 1 within two seconds.
  if (variant.levelRisesFromTen && s.runTime >= 10) s.musicLevel = std::min(s.musicLevel + 0.5f * t.dt, 1.0f);
  // 5, 6 (I only).
  if (variant.jolt) StepJolt(s, t.cs, t.dt);
  // 7.
  if (MeteorCracked(s)) {
    if (variant.burstsAfterCrack) s.glowPulse += 0.5f * t.dt;
    s.outroFade += 0.5f * t.dt;
  }
}

void SetCaveCamera(Camera& camera, const MeteorCaveState& s, float T) {
  const double side = 10 * std::sin(T) + s.shake;
  SetLookAt(camera, side, side, 10 * std::cos(T), 0, 0, 0, 0, 1 - std::cos(T), std::cos(T));
}

// [SECTION] strands

namespace {

// A modulus above this never bites: 10 x the largest draw is smaller.
constexpr int kWidestModulus = 10 * plat::kRandMax + 1;

// lo + ((10 x Rand) mod M) / 1000 with M = (hi - lo) x 1000 truncated. A loud bin cannot overflow M
// and a strange one (NaN) cannot make it 0.
float RandomIn(float lo, float hi) {
  const float m = (hi - lo) * 1000;
  const int modulus = !(m >= 1) ? 1 : m >= kWidestModulus ? kWidestModulus : static_cast<int>(m);
  return lo + plat::RandHundredths(modulus);
}

// A strand along `axis` (2: z, 1: y) from `sign` x 5 to the centre; its random points spread over
// [-spread, spread) on the two other axes, the non-x one drawn first.
CaveStrand Strand(int axis, float sign, float spread) {
  CaveStrand points{};
  auto along = [&](float d) {
    Vec3 p;
    (axis == 2 ? p.z : p.y) = sign * d;
    return p;
  };
  points[0] = along(5);
  for (int i = 1; i <= 3; ++i) {
    Vec3 p = along(static_cast<float>(5 - i));
    (axis == 2 ? p.y : p.z) = RandomIn(-spread, spread);
    p.x = RandomIn(-spread, spread);
    points[i] = p;
  }
  points[4] = along(0.5f);
  points[5] = Vec3{};
  return points;
}

}  // namespace

std::array<CaveStrand, 4> RandomStrands(float spectrumBin1) {
  std::array<CaveStrand, 4> strands;
  strands[0] = Strand(2, 1, 0.5f + spectrumBin1);
  strands[1] = Strand(2, -1, 0.5f);
  strands[2] = Strand(1, -1, 0.5f);
  strands[3] = Strand(1, 1, 0.5f);
  return strands;
}

}  // namespace MorlenGL
