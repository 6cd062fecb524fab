// water_state.cpp -- the planet water scene's state over time: fades, closing image, scroller, feathers, camera.
#include "scenes/water_state.h"

#include <cmath>

namespace MorlenGL {

namespace {

constexpr float kFadeSeconds = 20.0f;
constexpr double kClosingStart = 25.0;
constexpr float kScrollSpeed = 0.25f;  // screen units per second

float FadeDown(float fade, float dt) {
  fade -= dt / kFadeSeconds;
  return fade <= 0 ? 0.0f : fade;
}

}  // namespace

// [SECTION] Update

void StepWaterFades(WaterState& s, float dt) {
  // 1.
  s.sceneSeconds += dt;
  s.scrollY += dt * kScrollSpeed;
  // 2.
  s.cageFade = FadeDown(s.cageFade, dt);
  s.skyFade = FadeDown(s.skyFade, dt);
  // 3. Tested after this frame's step, so the frame that reaches 25 s already adds its dt.
  if (s.sceneSeconds >= kClosingStart) s.endFade += dt;
}

Vec3 FeatherEmitter(float T) {
  return {150 * std::sin(5 * T), 150 * std::sin(T), 150 * std::cos(5 * T)};
}

void StepWater(WaterState& s, cFeatherBParticleSystem& feathers, const SceneTime& t) {
  // 1 to 3.
  StepWaterFades(s, t.dt);
  // 4. The births of this Update still use the emitter of the previous one.
  feathers.acceleration = RandomVec3Reversed(200, -0.1f);
  feathers.drift = {0, 0, 0};
  feathers.Update();
  feathers.emitter = FeatherEmitter(t.T);
}

bool CageVisible(const WaterState& s) { return s.cageFade > 0; }

// [SECTION] Camera

void SetOpeningCamera(Camera& camera, const WaterState& s) {
  SetSceneLens(camera);
  const double height = 50 * s.cageFade;
  SetLookAt(camera, 0, height, 100, 0, height, 0, 0, 1, 0);
}

void SetOrbitCamera(Camera& camera, float T) {
  SetLookAt(camera, 100 * std::sin(T / 5), 0, 100 * std::cos(T / 5), 0, 0, 0, 0, 1, 0);
}

}  // namespace MorlenGL
