// abstract_ii_state.h -- the metaball scene's state over time and its field, computed without OpenGL.
#pragma once
#include <array>

#include "assets/camera.h"
#include "assets/geometry.h"
#include "effects/particle_system.h"
#include "scenes/scene_kit.h"

namespace MorlenGL {

// One metaball: centre in grid units and strength.
struct Metaball {
  float x = 0, y = 0, z = 0, w = 0;
};

// Owner: cAbstractIIScene holds one by value. Update (StepAbstractII) writes everything but
// spiralTime, orbitAngle and orbitBrakeAngle, which Draw advances.
struct AbstractIIState {
  float fadeIn = 0;          // 0 -> 1 over 2 s; also the god-ray strength
  float runTime = 0;         // sum of dt over all Updates
  float waterHeight = -2.0f; // rises by dt from 10 s of run time
  float flashGate = 1.0f;    // white flash: fades at once, peaks at 32 s
  float fogDensity = 0.05f;  // underwater fog of the room and the balls
  float skyFade = 0;         // 0 -> 1 from 18 s; the room is drawn while below 1
  float contract = 1.0f;     // divides the ball positions from 22 s to 35 s
  float thresholdRise = 0;   // added to the iso level 1.0 from 32 s to 40 s
  float endFade = 0;         // 0 -> 1 from 50 s: textured ball, camera brake
  float shrink = 0;          // 0 -> 0.5 from 50 s: metaballs, god-ray sphere
  float bwMix = 0;           // 0 -> 1 from 50 s: weight of the black-and-white grading
  float spiralTime = 0;      // from 45 s, per full-view pass
  float orbitPhase = 0;      // slow orbit from 32 s
  float orbitAngle = 0;      // camera angle when the brake starts
  float orbitBrakeAngle = 0; // camera angle travelled since
  std::array<Metaball, 4> balls{{{0, 0, 0, 5}, {0, 0, 0, 6}, {0, 0, 0, 7}, {0, 0, 0, 8}}};
};

// [SECTION] Update, steps 1 to 10 --------------------------------------------------------------

// The four orbits at scene time T (before any contraction).
std::array<Vec3, 4> BallOrbits(float T);
// The slow orbit from 32 s at phase H.
Vec3 SlowOrbitPoint(float H);

// The particle stream's next acceleration: three Rand draws, the first for z, the last for x.
Vec3 RandomStreamAcceleration();

// Everything Update does to the state, in order: run time, water, sky, end fades, the particle
// stream's next acceleration and drift, fade-in, orbits, contraction, flash gate, slow orbit and
// iso level. The shader parameters of steps 1 and 6 are the scene's.
void StepAbstractII(AbstractIIState& s, cParticleSystem& particles, const SceneTime& t);

// The level the surface is drawn at.
float IsoLevel(const AbstractIIState& s);

// Every point of the grid: value = sum of w / r^2, normal = sum of d w / r^4 with d = point - ball
// (r^2 of exactly 0 counts as 0.0001).
void EvaluateField(IsoGrid& grid, const std::array<Metaball, 4>& balls);

// [SECTION] Draw-time state --------------------------------------------------------------------

// Per full-view pass from 45 s: dt more, and the one jump from 10 to 20.
void StepSpiral(AbstractIIState& s, float dt);
// Segments of the spiral less one (the pen draws n + 1).
int SpiralSegments(const AbstractIIState& s);

// The camera's angle on its circle for the next frame; from 50 s it brakes to a stop.
float StepCameraAngle(AbstractIIState& s, float T, float dt);

// Brightness of the god-ray sphere: full fade-in while the water is low, dimmer above it.
float GodRaySphereLevel(const AbstractIIState& s);

}  // namespace MorlenGL
