// greeting_state.h -- the greeting scene's state over time, computed without OpenGL.
#pragma once
#include <cstdint>

#include "assets/camera.h"
#include "effects/particle_system.h"
#include "scenes/scene_kit.h"
#include "sequencing/timer.h"

namespace MorlenGL {

// Owner: cGreetingScene holds one by value; only Update (StepGreeting) writes it.
struct GreetingState {
  double sceneSeconds = 0;  // sum of dt over all Updates
  float fadeLevel = 0;      // visibility of the 3D picture; the fade texture is drawn at 1 - fadeLevel
  int32_t cutShift = 0;     // seconds added to T in the camera angle: 200 after the first cut, 300 after the second
};

// [SECTION] Init ----------------------------------------------------------------------------------

// The spheres' emitter deep below the room, white, 50 particles, life scale 15, the scene clock.
// The model, the quadric and the prepared mesh are the scene's (they need files or OpenGL).
void ConfigureSpheres(cSphereParticleSystem& spheres, const Timer* clock);
// The sparks: the same emitter, white, 999 particles, the scene clock, life scale 1.
void ConfigureSparks(cSparksSystem& sparks, const Timer* clock);

// [SECTION] Update, steps 1 to 8 ------------------------------------------------------------------

// Three draws, acceleration from them in reverse order, a slight sink, the move, then the emitter
// moves up to (0, 150, 0): the first Update's birth still comes from Init's emitter.
void StepSpheres(cSphereParticleSystem& spheres);
// Eight draws: colour, acceleration, the move, then the next emitter.
void StepSparks(cSparksSystem& sparks);
// In 0.9 per second up to 16 s, out 3 per second from 30.5 s; clamped at 1 only.
void StepFade(GreetingState& s, float dt);
// The two hard cuts at 795..800 and 1195..1200 hundredths; a frame that jumps over one misses it.
void StepCuts(GreetingState& s, int32_t cs);
// The orbit angle in radians.
float OrbitAngle(const GreetingState& s, float T);

// Steps 1 to 8 but the camera's Apply: the light takes the camera's eye before the camera moves on
// to the orbit, so it follows one frame behind.
void StepGreeting(GreetingState& s, cSphereParticleSystem& spheres, cSparksSystem& sparks, Camera& camera,
                  float lightPosition[3], const SceneTime& t);

}  // namespace MorlenGL
