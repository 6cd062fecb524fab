// water_state.h -- the planet water scene's state over time, computed without OpenGL.
#pragma once
#include "assets/camera.h"
#include "effects/particle_system.h"
#include "scenes/scene_kit.h"

namespace MorlenGL {

// Owner: cPlanetWaterScene holds one by value; only its Update (StepWater) writes it.
struct WaterState {
  double sceneSeconds = 0;  // sum of dt over all Updates; gates the closing image
  float cageFade = 1.0f;    // 1 -> 0 over 20 s: cage edge, sun brightness
  float skyFade = 1.0f;     // 1 -> 0 over 20 s: first sky to second
  float endFade = 0.0f;     // grows from 25 s, unclamped: closing image opacity
  float scrollY = -5.0f;    // the scroller's centre, screen units at distance 5
};

// [SECTION] Update, steps 1 to 4 --------------------------------------------------------------

// Steps 1 to 3: scene seconds, scroller, the two fades, the closing image.
void StepWaterFades(WaterState& s, float dt);

// Where the feathers are born: a knot around the planet, 150 model units out (30 after the scale).
Vec3 FeatherEmitter(float T);

// Steps 1 to 4: the fades, then the feathers given a random acceleration (each axis -0.1 to 0.09)
// for their next births, moved, and given their next emitter.
void StepWater(WaterState& s, cFeatherBParticleSystem& feathers, const SceneTime& t);

// The cage is drawn only while some of it is still black.
bool CageVisible(const WaterState& s);

// [SECTION] Camera -----------------------------------------------------------------------------

// Init's camera: above the planet by 50 x cageFade, 100 back, looking level.
void SetOpeningCamera(Camera& camera, const WaterState& s);
// Update's camera: a level circle of radius 100 around the planet, one turn in 10 pi seconds.
void SetOrbitCamera(Camera& camera, float T);

}  // namespace MorlenGL
