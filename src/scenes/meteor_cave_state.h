// meteor_cave_state.h -- the meteor cave (abstract scenes I and III): their differences side by side
// and the state over time, computed without OpenGL.
#pragma once
#include <array>

#include "assets/camera.h"
#include "scenes/scene_kit.h"

namespace MorlenGL {

// [SECTION] the two cave scenes ---------------------------------------------------------------

// Everything in which the two visits to the cave differ; the rest is one design.
struct MeteorCaveVariant {
  const char* overlayFile;  // seventh texture
  float crackTime;          // run time after which the meteor is cracked and the closing fade starts
  bool jolt;                // the camera jolts at 7.00 s
  bool levelRisesFromTen;   // from 10 s the light leaves the music and swells to full strength
  bool burstsAfterCrack;    // after the crack the god-ray sphere swells and the meteor bursts
  bool overlayShown;        // the overlay is drawn upside down; otherwise only its upright transform stays
};

//                                          overlay          crack  jolt   level  burst  overlay
inline constexpr MeteorCaveVariant kCaveI   {"data\\og1.png", 20.0f, true,  false, false, true};
inline constexpr MeteorCaveVariant kCaveIII {"data\\og2.png", 22.0f, false, true,  true,  false};

// [SECTION] state over time ------------------------------------------------------------------

// Owner: the cave scene holds one by value; only StepMeteorCave writes it.
struct MeteorCaveState {
  double shake = 0;       // camera eye displacement: 12 at 7.00 s, then 6 less a second
  float musicLevel = 0;   // L: the light and god-ray strength
  float runTime = 0;      // sum of dt over all Updates
  float crackTime = 20;   // the variant's
  float fadeIn = 0;       // 0 -> 1 over 10 s: opacity of the final image and of the overlay
  float outroFade = 0;    // opacity of the closing texture, unclamped
  float glowPulse = 0;    // enlarges the god-ray sphere; also the cracked meteor's burst
};

MeteorCaveState StartMeteorCave(const MeteorCaveVariant& variant);

// Update's steps after the camera: run time, music level, fade-in, jolt, crack and burst.
void StepMeteorCave(MeteorCaveState& s, const MeteorCaveVariant& variant, const SceneTime& t,
                    float spectrumBin2);

// The camera circles the origin at distance 10 and rolls; the shake of the last Update moves the eye.
void SetCaveCamera(Camera& camera, const MeteorCaveState& s, float T);

// What a pass draws for the meteor: the cracked one only after the crack time.
inline bool MeteorCracked(const MeteorCaveState& s) { return s.runTime > s.crackTime; }
// Radius of the god-ray sphere.
inline float GodRayScale(const MeteorCaveState& s) { return 3 * s.glowPulse + 2; }

// [SECTION] strands --------------------------------------------------------------------------

// Four lightning strands, each from a sphere at distance 5 on an axis to the centre: the sphere's
// point, three random points, a point at 0.5 and the centre.
using CaveStrand = std::array<Vec3, 6>;
// Two Rand draws a random point, the first for y (strands along z) or z (strands along y), the
// second for x; the first strand's spread widens by spectrumBin1.
std::array<CaveStrand, 4> RandomStrands(float spectrumBin1);

}  // namespace MorlenGL
