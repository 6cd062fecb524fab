// dof_state.h -- the planet depth-of-field scene's state over time, computed without OpenGL.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "assets/camera.h"
#include "assets/geometry.h"
#include "effects/particle_system.h"
#include "scenes/scene_kit.h"
#include "sequencing/timer.h"

namespace MorlenGL {

// Owner: cDoF holds one by value. Update (StepDof) writes the scalars; Draw writes
// finalLogoFade, holeGrowth and the trails, which change per drawn pass.
struct DofState {
  float spinTime = 0;       // sum of dt over all Updates
  double sceneSeconds = 0;  // the same sum in double; gates the 22.8 s events
  float flashAlpha = 1.0f;  // the scene opens on a full flash
  float logoCount = 0;      // 1 to 3: which opening logo is shown; 4 ends the sequence
  float logoCooldown = 0;   // seconds before logoCount may step again
  float cageFade = 0;       // 0 -> 1 from 32 s
  float skyDrop = 0;        // 0 ... 120
  float holeSpin = 0;       // black sphere's angle, degrees
  float holeGrowth = 0;     // added to the black sphere's scale of 20
  float focusDistance = 0;
  float focusRange = 0;
  float spinBrake = 0;      // 0 ... 30, from 32 s
  float finalLogoFade = 0;  // the fourth logo's opacity, unclamped below
  std::array<std::vector<Vec3>, 4> trails;  // directions of the four growing curves
  std::array<Vec3, 4> trailPoint;           // running end point while a curve is drawn
};

// Init's first two steps: timers and focus, and the one stored direction (1, 1, 0) per trail.
void ResetDofState(DofState& s);

// [SECTION] Update, steps 1 to 12 -------------------------------------------------------------

// The halo emitter and colour of the next births: four Rand draws, emitter z, y, x then grey.
Vec3 RandomHaloEmitter();
Vec3 RandomHaloColour(float T);  // yellow from 40 s

void StepFlash(DofState& s, int32_t cs);   // full at 1595..1602, else 0.04 less per frame
void StepLogoCount(DofState& s, float dt);
void StepFocusPull(DofState& s, float dt);  // from 22.8 s, with its clamps
void StepCage(DofState& s, float T, float dt);

// Everything Update does before the shader, the tracks and the camera. The halo system is
// updated and given its next emitter, colour and scale; spectrumBin2 is the music's third bin.
void StepDof(DofState& s, cHaloSystem& halo, const SceneTime& t, float spectrumBin2);

// The depth-of-field filter's vSParams: focus distance, focus range, near, far / (far - near).
std::array<float, 4> FocusParams(const DofState& s);

// [SECTION] Draw-time state ------------------------------------------------------------------

// What the gaussian blur is given to draw a logo over the picture.
struct LogoLook {
  int logo = 0;  // 0 to 3: logo1 to logo4
  float bloom = 0, blurFactor = 0, alpha = 0;
};
// The opening logos: shown only while 1 <= logoCount < 4.
bool OpeningLogo(const DofState& s, LogoLook* look);
// The final logo: advances finalLogoFade; false outside 42..60 s, when it is neither changed nor drawn.
bool StepFinalLogo(DofState& s, float T, float dt, LogoLook* look);

// Per drawn pass from 48 s.
void GrowHole(DofState& s, float dt);

// The direction the next segment of each curve takes at spin time a (trail 4's is bare; the
// other three add the curve's first element).
std::array<Vec3, 4> NextTrailDirections(const DofState& s, float a);
void AppendTrail(DofState& s, int trail, const std::array<Vec3, 4>& next);

// One Lines segment per stored direction, each step long, from the origin; leaves the end point in
// s.trailPoint[trail].
void DrawTrail(DofState& s, int trail, float step, GeometryEmitter& out = GlEmitter());

}  // namespace MorlenGL
