// planet_tree_state.h -- the planet tree scene's state over time, computed without OpenGL.
#pragma once
#include <array>
#include <cstdint>

#include "assets/camera.h"
#include "effects/particle_system.h"
#include "scenes/scene_kit.h"

namespace MorlenGL {

// Owner: cPlanetTreeScene holds one by value. Update (the Step functions) writes everything but
// leafPosition, which the normal pass writes while it draws the leaf (PlaceLeaf); the next
// Update aims the camera at it.
struct TreeState {
  double sceneSeconds = 0;   // S: the sum of dt over all Updates
  float growth = 0;          // 0 -> 1 over ten seconds: camera pull-in, cage dissolve
  float bloom = 0;           // 0 -> 1 once growth reaches 0.8: the leaf's curve; at 1 the planet is light
  float skyBrightness = 1;   // 1 - bloom once growth is 1, never below 0.3
  float leafTimer = 1;       // falls once bloom is 1; the leaf is drawn while it is above 0
  float shatterPhase = 0;    // rises after the leaf is gone
  float radialPhase = 0;     // rises after the leaf is gone; spreads the light rays
  float camDivisor = 1;      // 1 -> 60 after 20 s: the saved centre shrinks towards the knot
  float orbitRamp = 0;       // 0 -> 1 over four seconds after 20 s
  float infoAlpha = 0;       // opacity of the current information panel
  float infoTimer = 5;       // seconds until the panel state next changes
  int32_t infoIndex = 0;     // 1 to 4: the panel shown; anything else shows none
  bool infoFadingIn = false;
  std::array<float, 3> lyricAlpha{};
  Vec3 leafPosition{256, 500, 107};
  std::array<Vec3, 4> leafPath{Vec3{256, 500, 107}, Vec3{300, 600, 107}, Vec3{200, 300, 107},
                               Vec3{100, 235, 0}};
  Vec3 knotPosition;
  Vec3 knotVelocity;  // the knot point's step per frame
};

// The last eye and centre of the first twenty seconds. One pair for the whole process, shared by
// every tree scene there is: a second scene object starts its orbit from where the first left.
struct SavedView {
  CameraPoint eye, centre;
};
SavedView& TreeSavedView();

// [SECTION] Update, steps 1 to 13 -------------------------------------------------------------

void StepInfoPanels(TreeState& s, float dt);         // 2: from S = 28
void StepLyrics(TreeState& s, int32_t cs, float dt);  // 3: by the scene clock
void StepRamps(TreeState& s, float dt);              // 4 to 8: growth, bloom, sky, leaf, shatter

// 9: three draws; the first goes to z, the last to x.
void StepTreeFeathers(const TreeState& s, cParticleSystem& feathers);
void StepKnot(TreeState& s, float T, float dt);  // 10: the knot's velocity from 20 s
// 11: the knot point moves; three draws; the trail is born there.
void StepTrailFeathers(TreeState& s, cParticleSystem& feathers);

// Init's camera: from (0, 50 growth, 100) level towards the axis.
void AimInitialCamera(const TreeState& s, Camera& camera);
// 13: the three regimes; the first twenty seconds also write TreeSavedView. Apply is the caller's.
void AimCamera(TreeState& s, const SceneTime& t, Camera& camera);

// Steps 1 to 11 and 13 (the shader and the focus are the scene's).
void StepTree(TreeState& s, cParticleSystem& treeFeathers, cParticleSystem& trailFeathers,
              const SceneTime& t, Camera& camera);

// [SECTION] Draw-time state ------------------------------------------------------------------

// The leaf's point on its curve at parameter bloom, stored for the next Update's camera.
Vec3 PlaceLeaf(TreeState& s);
// Degrees about (1, 1, 1) that the leaf is turned by at its point.
float LeafSpin(Vec3 at);

// Which of the four panels (0 to 3) is drawn, or -1 for none.
int InfoPanel(const TreeState& s);

// The first feather stream, the shattered cage and the light rays end at 30 s.
bool FirstStreamShown(const TreeState& s);
bool ShatteredCageShown(const TreeState& s);
bool RaysShown(const TreeState& s);
bool TrailShown(const TreeState& s);  // from 20 s

}  // namespace MorlenGL
