// dof_state.cpp -- the planet depth-of-field scene's state over time: flashes, logos, focus, cage, curves.
#include "scenes/dof_state.h"

#include <algorithm>
#include <cmath>

#include "platform/crt_random.h"

namespace MorlenGL {

namespace {

constexpr float kNear = 0.01f;
constexpr float kFar = 10000.0f;
const Vec3 kTrailStart{1, 1, 0};

// The stored first direction; a state that never went through Init still has a defined one.
Vec3 First(const std::vector<Vec3>& trail) { return trail.empty() ? kTrailStart : trail.front(); }

}  // namespace

void ResetDofState(DofState& s) {
  s.sceneSeconds = 0;
  s.logoCooldown = 0;
  s.focusDistance = 30;
  s.focusRange = 40;
  for (std::vector<Vec3>& trail : s.trails) trail.push_back(kTrailStart);
}

// [SECTION] Update

Vec3 RandomHaloEmitter() {
  Vec3 e;
  e.z = plat::RandHundredths(10000) - 60;
  e.y = plat::RandHundredths(120000) - 60;
  e.x = plat::RandHundredths(60000) - 120;
  return e;
}

Vec3 RandomHaloColour(float T) {
  const float g = plat::RandHundredths(100) + 0.9f;
  return {g, g, T < 40 ? g : 0.0f};
}

void StepFlash(DofState& s, int32_t cs) {
  if (cs >= 1595 && cs <= 1602)
    s.flashAlpha = 1;
  else if (s.flashAlpha > 0)
    s.flashAlpha -= 0.04f;  // per frame, not per second
  s.flashAlpha = std::clamp(s.flashAlpha, 0.0f, 1.0f);
}

void StepLogoCount(DofState& s, float dt) {
  s.logoCooldown -= dt;
  // The sine stays above 0.99 for less than the cooldown, so each peak counts once. Four ends the
  // opening sequence: later peaks would only count on past it.
  if (std::sin(s.spinTime) >= 0.99f && s.logoCooldown <= 0 && s.logoCount < 4) {
    s.logoCount += 1;
    s.logoCooldown = 0.3f;
  }
}

void StepFocusPull(DofState& s, float dt) {
  if (s.sceneSeconds >= 22.8) {
    s.focusDistance += 8 * dt;
    s.focusRange += 8 * dt;
    s.skyDrop += 60 * dt;
    s.holeSpin += 30 * dt;
  }
  s.focusDistance = std::min(s.focusDistance, 200.0f);
  s.focusRange = std::min(s.focusRange, 100.0f);
  s.skyDrop = std::min(s.skyDrop, 120.0f);
}

void StepCage(DofState& s, float T, float dt) {
  if (T < 32) return;
  s.cageFade = std::min(s.cageFade + dt / 10, 1.0f);
  s.spinBrake = std::min(s.spinBrake + 5 * dt, 30.0f);
  s.holeSpin -= dt * s.spinBrake;
}

void StepDof(DofState& s, cHaloSystem& halo, const SceneTime& t, float spectrumBin2) {
  // 1.
  s.spinTime += t.dt;
  // 2.
  halo.lifeScale = 6;
  s.sceneSeconds += t.dt;
  // 3.
  halo.Update();
  // 4.
  halo.emitter = RandomHaloEmitter();
  halo.acceleration = {0, 0, 0};
  // 5.
  halo.colour = RandomHaloColour(t.T);
  // 6.
  StepFlash(s, t.cs);
  // 7.
  halo.haloScale = spectrumBin2;
  // 8.
  StepLogoCount(s, t.dt);
  // 9, 10.
  StepFocusPull(s, t.dt);
  // 11.
  if (t.cs >= 3200 && t.cs <= 3210) s.flashAlpha = 1;
  // 12.
  StepCage(s, t.T, t.dt);
}

std::array<float, 4> FocusParams(const DofState& s) {
  return {s.focusDistance, s.focusRange, kNear, kFar / (kFar - kNear)};
}

// [SECTION] Draw-time state

bool OpeningLogo(const DofState& s, LogoLook* look) {
  if (s.logoCount < 1 || s.logoCount >= 4) return false;
  const float sine = std::sin(s.spinTime);
  const float h = 0.5f - 0.5f * sine;  // 0 at each peak, where the count steps
  // The last branch cannot be reached behind the guard above; it keeps the chain complete.
  if (s.logoCount <= 1)
    look->logo = 0;
  else if (s.logoCount <= 2)
    look->logo = 1;
  else if (s.logoCount <= 3)
    look->logo = 2;
  else
    look->logo = 3;
  look->bloom = 1 - h;
  look->blurFactor = 6 * (sine + 1) + 0.2f;
  look->alpha = h;
  return true;
}

bool StepFinalLogo(DofState& s, float T, float dt, LogoLook* look) {
  if (T < 42 || T > 60) return false;
  s.finalLogoFade = std::min(s.finalLogoFade + 0.25f * dt, 1.0f);
  // Once the sphere has grown the logo fades out; below 0 it is simply invisible.
  if (s.holeGrowth >= 30) s.finalLogoFade -= 0.5f * dt;
  const float m = s.finalLogoFade;
  look->logo = 3;
  look->blurFactor = 2 - 2 * m;
  look->alpha = m;
  look->bloom = 1 - m;
  return true;
}

void GrowHole(DofState& s, float dt) { s.holeGrowth += 3 * dt; }

std::array<Vec3, 4> NextTrailDirections(const DofState& s, float a) {
  const float u = 4 * a / (4 * a + 1);
  const float b = 4 * a + 1;
  const Vec3 d1{-std::sin(a) * a / 10, std::sin(0.5f * a), std::cos(a) / 10};
  const Vec3 d2{std::cos(a) * a / 10, -std::sin(0.5f * a) / 10, std::sin(a) / 10};
  const Vec3 d3{std::cos(a) * (-4 - std::cos(u)), std::sin(a) * (4 - std::cos(u)), -std::sin(u)};
  const Vec3 d4{std::cos(a) * (1 - std::cos(3 * a / b)), 5 * std::sin(a) * (2 - std::cos(4 * a / (5 * a + 1))),
                -5 * std::sin(2 * a / b)};
  return {Add(First(s.trails[0]), d1), Add(First(s.trails[1]), d2), Add(First(s.trails[2]), d3), d4};
}

void AppendTrail(DofState& s, int trail, const std::array<Vec3, 4>& next) {
  s.trails[trail].push_back(next[trail]);
}

void DrawTrail(DofState& s, int trail, float step, GeometryEmitter& out) {
  Vec3 p{0, 0, 0};
  out.Begin(Primitive::Lines);
  for (const Vec3& d : s.trails[trail]) {
    const Vec3 q = Add(p, Scale(d, step));
    out.Vertex(p.x, p.y, p.z);
    out.Vertex(q.x, q.y, q.z);
    p = q;
  }
  out.End();
  s.trailPoint[trail] = p;
}

}  // namespace MorlenGL
