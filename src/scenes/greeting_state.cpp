// greeting_state.cpp -- the greeting scene's state over time: particles, fade, cuts and the orbit.
#include "scenes/greeting_state.h"

#include <cmath>

#include "platform/crt_random.h"

namespace MorlenGL {

namespace {

const Vec3 kDeepEmitter{0, -1110, 0};

// ((10 r) mod m) / 1000 of a draw r already taken: the sparks draw several values first and use
// them in reverse order.
float Hundredths(int r, int modulus) { return static_cast<float>((10 * r) % modulus) / 1000.0f; }

// -3 to 2.99.
float Spread(int r) { return Hundredths(r, 6000) - 3.0f; }

}  // namespace

// [SECTION] Init

void ConfigureSpheres(cSphereParticleSystem& spheres, const Timer* clock) {
  spheres.emitter = kDeepEmitter;
  spheres.colour = {1, 1, 1};
  spheres.Init(50);
  spheres.lifeScale = 15;
  spheres.clock = clock;
}

void ConfigureSparks(cSparksSystem& sparks, const Timer* clock) {
  sparks.emitter = kDeepEmitter;
  sparks.colour = {1, 1, 1};
  sparks.Init(999);
  sparks.clock = clock;
  sparks.lifeScale = 1;
}

// [SECTION] Update

void StepSpheres(cSphereParticleSystem& spheres) {
  spheres.acceleration = RandomVec3Reversed(6000, -3);
  spheres.drift = {0, -0.02f, 0};
  spheres.Update();
  spheres.emitter = {0, 150, 0};
}

void StepSparks(cSparksSystem& sparks) {
  const int r1 = plat::Rand(), r2 = plat::Rand(), r3 = plat::Rand();
  sparks.colour = {0.19f + Hundredths(r3, 60), 0.89f + Hundredths(r2, 60), 0.12f + Hundredths(r1, 80)};
  sparks.acceleration = RandomVec3Reversed(6000, -3);
  sparks.drift = {0, 0.4f, 0};
  sparks.Update();
  const int r7 = plat::Rand(), r8 = plat::Rand();
  sparks.emitter = {Spread(r8), 90, Spread(r7)};
}

// The closing fade has no lower clamp: fadeLevel keeps falling, and the fade texture's alpha
// (1 - fadeLevel) simply passes 1.
void StepFade(GreetingState& s, float dt) {
  if (s.sceneSeconds <= 16) s.fadeLevel += 0.9f * dt;
  if (s.sceneSeconds >= 30.5) s.fadeLevel -= 3 * dt;
  if (s.fadeLevel >= 1) s.fadeLevel = 1;
}

void StepCuts(GreetingState& s, int32_t cs) {
  if (cs >= 795 && cs <= 800) {
    s.cutShift = 200;
    s.fadeLevel = 0;
  }
  if (cs >= 1195 && cs <= 1200) {
    s.cutShift = 300;
    s.fadeLevel = 0;
  }
}

float OrbitAngle(const GreetingState& s, float T) { return (T + static_cast<float>(s.cutShift)) / 5; }

void StepGreeting(GreetingState& s, cSphereParticleSystem& spheres, cSparksSystem& sparks, Camera& camera,
                  float lightPosition[3], const SceneTime& t) {
  // 1.
  s.sceneSeconds += t.dt;
  // 2, 3.
  StepSpheres(spheres);
  StepSparks(sparks);
  // 4, 5.
  StepFade(s, t.dt);
  StepCuts(s, t.cs);
  // 6.
  const float theta = OrbitAngle(s, t.T);
  // 7. Still the previous frame's eye (Init's in the first frame).
  lightPosition[0] = static_cast<float>(camera.eye.x);
  lightPosition[1] = static_cast<float>(camera.eye.y);
  lightPosition[2] = static_cast<float>(camera.eye.z);
  // 8.
  const double side = 40 * std::sin(theta);
  SetLookAt(camera, side, side, 40 * std::cos(theta), 0, 0, 0, 0, 1, 0);
}

}  // namespace MorlenGL
