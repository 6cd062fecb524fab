// scene_kit.h -- what every scene does the same way: its clock in seconds, the common GL state,
// program building, the camera's lens, tracks and look-at, the full-screen quad, and the blends,
// filters and feathers several scenes draw alike.
#pragma once
#include <array>
#include <cstdint>

#include "assets/camera.h"
#include "assets/keyframe_track.h"
#include "assets/texture_system.h"
#include "effects/particle_system.h"
#include "effects/post_filters.h"
#include "effects/render_texture.h"
#include "sequencing/timer.h"
#include "shell/music_track.h"

namespace MorlenGL {

// [SECTION] scene time (no OpenGL)

// The scene clock read once, in the units the scenes animate in.
struct SceneTime {
  float T = 0;      // seconds, (m_elapsed + m_timeShift) / 100
  float dt = 0;     // seconds since the previous tick
  int32_t cs = 0;   // T in whole hundredths
};
SceneTime ReadSceneTime(const Timer& clock);

// The radial blur's centre for god rays: a wobble of at most 0.01 about the middle of the picture.
std::array<float, 2> GodRayCentre(float T);

// Every scene camera: 45-degree view, aspect 1 (the square view is stretched over the window),
// near 0.01, far 10000. Sets the lens only; the caller applies it.
void SetSceneLens(Camera& camera);

// The depth-of-field filter's vSParams: focus distance and range, then the camera's near plane and
// far / (far - near), all in single precision.
std::array<float, 4> SceneFocusParams(float distance, float range, const Camera& camera);

// Bin `bin` of what plays now; silence for a scene without music.
float SpectrumBin(const MusicTrack* music, int bin);

// Three of the show's 0.01-step draws, each low + plat::RandHundredths(modulus): the first goes to
// z and the last to x, the order in which the scenes aim their particle streams.
Vec3 RandomVec3Reversed(int modulus, float low);

// The camera's two paths, "data\dof_kf_targ.dkf" then "data\dof_kf_pos.dkf", baked with cosine
// blending and run on the scene's clock.
void LoadCameraTracks(cKeyframeTrack& target, cKeyframeTrack& position, const Timer& clock);

// The lit planet of the planet scenes (and the sea around one): lights (0.5, 0.5, 0.7) from (5, 0, 0)
// and white from the program's second direction, ambient 0.1, specular power 32, no fog. The
// programs never sample their cube map, and a 2D texture on the cube-map target is an OpenGL error
// at every bind, so that slot stays empty.
template <class Program>
void SetUpPlanetLight(Program& program, unsigned int colourMap, unsigned int normalMap) {
  program.cubeMapTexture = 0;
  program.colorMapTexture = colourMap;
  program.normalMapTexture = normalMap;
  program.r = 1.0f;
  program.specPower = 32.0f;
  program.specOverdrive = 1.0f;
  program.lightPosition[0] = 5;
  program.lightPosition[1] = 0;
  program.lightPosition[2] = 0;
  program.ai = 0.1f;
  program.lightColor[0] = 0.5f;
  program.lightColor[1] = 0.5f;
  program.lightColor[2] = 0.7f;
  for (float& c : program.light2Color) c = 1.0f;
  program.fogDensity = 0;
  for (float& c : program.fogColor) c = 0;
}

// [SECTION] OpenGL steps shared by the scenes

// The state block every scene's Init ends its set-up with.
void SetSceneState();

// Identity, then the camera's look-at: where every part of the 3D picture starts.
void LookFrom(const Camera& camera);

// The full-screen quad: identity, back 5, scaled to just cover the 45-degree view (mirrored
// vertically for overlay images, whose first row is the top), turned by the scene's rotation.
// The colour's alpha is the caller's.
void DrawFullScreenQuad(float rotation, bool flipped, float alpha = 1);

// The same transform multiplied onto the current matrix, for quads that stack on an earlier one.
void MultFullScreenQuad(float rotation, bool flipped);

// The see-through overlays: blending by alpha, with the alpha test on; the end turns both off and
// leaves the additive blend function the glow passes expect.
void BlendByAlpha();
void EndBlendByAlpha();

// The window cleared, then a target's picture over it on the full-screen quad.
void ShowTarget(cRenderTextureSystem& target, float rotation);

// A picture through the blur program at factor 1 on the full-screen quad. The program binds its
// own source first; the picture bound over it is what it reads.
void DrawBlurOf(cGaussianBlurShader& blur, cRenderTextureSystem& picture, float rotation);

// The depth-of-field composite: the sharp picture and its blur mixed by the depth target's depth.
void DrawDepthOfField(cDoFShader& dof, const cRenderTextureSystem& sharp, const cRenderTextureSystem& blurred,
                      const cRenderTextureSystem& depth, float rotation);

// The planet scenes' feathers: blended by alpha, under the camera, at a fifth of the model's size.
void DrawFeatherStream(cParticleSystem& feathers, cTextureSystem& texture, const Camera& camera);

// Any shader class: entry points, vertex text, then fragment text and link (with a size where
// the class takes one). The scenes ignore the results, so every step runs whatever the one
// before returned: without a program the base's steps do nothing, and after a failed vertex
// compile the fragment program is still compiled and linked (whether it links alone is the
// driver's decision). A program that does not link leaves fixed-function drawing.
template <class Program, class... Size>
void BuildProgram(Program& program, Size... size) {
  program.InitProgram();
  program.CompileVertexShader();
  program.CompileFragmentShader(size...);
}

}  // namespace MorlenGL
