// planet_tree_state.cpp -- the planet tree scene's state over time: panels, lyrics, ramps, knot, camera.
#include "scenes/planet_tree_state.h"

#include <algorithm>
#include <cmath>

namespace MorlenGL {

SavedView& TreeSavedView() {
  static SavedView view;
  return view;
}

// [SECTION] Update

// The timer runs down while the panel fades; at 0 the direction flips where the fade has ended,
// and a fade-in moves to the next panel and holds it five seconds (one in, four shown).
void StepInfoPanels(TreeState& s, float dt) {
  if (s.sceneSeconds < 28) return;
  s.infoTimer -= dt;
  s.infoAlpha += s.infoFadingIn ? dt : -dt;
  if (s.infoTimer <= 0) {
    if (s.infoAlpha <= 0) s.infoFadingIn = !s.infoFadingIn;
    if (s.infoAlpha >= 1) s.infoFadingIn = !s.infoFadingIn;
    if (s.infoFadingIn) {
      s.infoIndex += 1;
      s.infoTimer = 5;
    } else {
      s.infoTimer = 1;
    }
  }
  s.infoAlpha = std::clamp(s.infoAlpha, 0.0f, 1.0f);
}

// The ranges share their ends, so at 3800 and 4300 two branches apply in the same frame.
void StepLyrics(TreeState& s, int32_t cs, float dt) {
  std::array<float, 3>& a = s.lyricAlpha;
  if (cs >= 3230 && cs <= 3800) a[0] += dt;
  if (cs >= 3800 && cs <= 4300) {
    a[0] -= dt;
    a[1] += dt;
  }
  if (cs >= 4300 && cs <= 5500) {
    a[1] -= dt;
    a[2] += dt;
  }
  if (cs >= 5500) a[2] -= dt;
  for (float& v : a) v = std::clamp(v, 0.0f, 1.0f);
}

void StepRamps(TreeState& s, float dt) {
  // 4, 5.
  s.growth = std::min(s.growth + dt / 10, 1.0f);
  if (s.growth >= 0.8f) s.bloom = std::min(s.bloom + dt / 10, 1.0f);
  // 6.
  if (s.growth >= 1) s.skyBrightness = std::max(1 - s.bloom, 0.3f);
  // 7.
  if (s.bloom >= 1) s.leafTimer -= 2 * dt;
  // 8. The shader's time follows shatterPhase (the scene copies it).
  if (s.leafTimer <= 0 && s.sceneSeconds <= 30) {
    s.shatterPhase += 0.5f * dt;
    s.radialPhase += 0.25f * dt;
  }
}

void StepTreeFeathers(const TreeState& s, cParticleSystem& feathers) {
  if (!(s.bloom >= 0.8f && s.sceneSeconds <= 30)) return;
  feathers.acceleration = RandomVec3Reversed(200, -0.1f);
  feathers.drift = {0, 0, 0};
  feathers.Update();
}

void StepKnot(TreeState& s, float T, float dt) {
  if (s.sceneSeconds < 20) return;
  s.orbitRamp = std::min(s.orbitRamp + dt / 4, 1.0f);
  const float a2 = 2 * T, a3 = 3 * T, a4 = 4 * T;
  const float k = s.orbitRamp;
  s.knotVelocity.x = k * (-2.2f * std::cos(T) - 12.8f * std::sin(T) - 4.4f * std::cos(a3) - 7.8f * std::sin(a3));
  s.knotVelocity.y = k * (4.6f * std::sin(a4) + 3.8f * std::cos(a4) - (std::cos(a2) + 2.7f * std::sin(a2)));
  s.knotVelocity.z = k * (7 * std::cos(a3) - 4 * std::sin(a3));
}

// Before 20 s the velocity is still zero, so the stream is born at the origin.
void StepTrailFeathers(TreeState& s, cParticleSystem& feathers) {
  if (s.bloom < 0.8f) return;
  s.knotPosition = Add(s.knotPosition, s.knotVelocity);
  feathers.acceleration = RandomVec3Reversed(1000, -0.5f);
  feathers.drift = {0, 0, 0};
  feathers.emitter = s.knotPosition;
  feathers.Update();
}

void AimInitialCamera(const TreeState& s, Camera& camera) {
  const double y = 50.0 * s.growth;
  SetLookAt(camera, 0, y, 100, 0, y, 0, 0, 1, 0);
}

namespace {

// Pulls in towards the leaf while it falls.
void AimAtLeaf(const TreeState& s, Camera& camera) {
  const float g = s.growth, b = s.bloom;
  const Vec3 L = s.leafPosition;
  SetLookAt(camera, 30 * g, 0.1f * L.y * g, 100 - 25 * (b + g), 0.1f * L.x * g, 0.1f * L.y * g - 10 * g,
            0.1f * L.z * g, 0, 1, 0);
  TreeSavedView() = {camera.eye, camera.centre};
}

// Swings around the knot point from where the first twenty seconds left the camera.
void AimAroundKnot(TreeState& s, float T, float dt, Camera& camera) {
  s.camDivisor = std::min(s.camDivisor + dt, 60.0f);
  const Vec3 K = Scale(s.knotPosition, 0.2f);
  const SavedView& v = TreeSavedView();
  const float swing = 70 * s.orbitRamp;
  const double d = s.camDivisor;
  SetLookAt(camera, K.x + v.eye.x + swing * std::sin(T), K.y + v.eye.y, K.z + v.eye.z + swing * std::cos(T),
            v.centre.x / d + K.x, v.centre.y / d + K.y, v.centre.z / d + K.z, 0, std::sin(T), std::cos(T));
}

}  // namespace

void AimCamera(TreeState& s, const SceneTime& t, Camera& camera) {
  if (s.sceneSeconds <= 20)
    AimAtLeaf(s, camera);
  else if (s.sceneSeconds <= 200)
    AimAroundKnot(s, t.T, t.dt, camera);
}

void StepTree(TreeState& s, cParticleSystem& treeFeathers, cParticleSystem& trailFeathers,
              const SceneTime& t, Camera& camera) {
  // 1. Added in single precision.
  s.sceneSeconds = static_cast<float>(s.sceneSeconds) + t.dt;
  // 2, 3.
  StepInfoPanels(s, t.dt);
  StepLyrics(s, t.cs, t.dt);
  // 4 to 8.
  StepRamps(s, t.dt);
  // 9 to 11.
  StepTreeFeathers(s, treeFeathers);
  StepKnot(s, t.T, t.dt);
  StepTrailFeathers(s, trailFeathers);
  // 13.
  AimCamera(s, t, camera);
}

// [SECTION] Draw-time state

Vec3 PlaceLeaf(TreeState& s) {
  const std::array<Vec3, 4>& p = s.leafPath;
  s.leafPosition = BezierPoint(p[0], p[1], p[2], p[3], s.bloom);
  return s.leafPosition;
}

float LeafSpin(Vec3 at) { return 3 * at.x + at.y - 158; }

int InfoPanel(const TreeState& s) { return s.infoIndex >= 1 && s.infoIndex <= 4 ? s.infoIndex - 1 : -1; }

bool FirstStreamShown(const TreeState& s) { return s.sceneSeconds <= 30; }
bool ShatteredCageShown(const TreeState& s) { return s.bloom >= 1 && s.sceneSeconds <= 30; }
bool RaysShown(const TreeState& s) { return s.sceneSeconds <= 30; }
bool TrailShown(const TreeState& s) { return s.sceneSeconds >= 20; }

}  // namespace MorlenGL
