// surface_glsl.h -- GLSL pieces shared by the lighting and environment program texts.
#pragma once
#include <string>

namespace MorlenGL::surfaceglsl {

// Vertex: the tangent frame from gl_Normal and the "Tangent" attribute, and a change of basis into it.
extern const char* const kTangentFrame;
// Vertex, after kTangentFrame: the uniforms and varyings every surface program shares;
// SurfaceStart(vertex, t, b, n) writes vView, vReflection, texCoords and LightDir and returns the
// frame; EyeToTangentSpace(t, b, n) moves EyeDir into it, normalised, and returns the vector
// before normalising (its length is the fog distance).
extern const char* const kSurfaceVertex;
// Fragment: FogFactor() from FogDensity and gl_FogFragCoord, and Lit(), one light's diffuse plus
// half-vector specular, clamped to 1 (reads vView, SpecPower and SpecOverdrive).
extern const char* const kLightingFunctions;

// Vertex: Underwater(position) below clip-space height isUW wobbles the clip-space position by
// timer (before the perspective divide) and passes the unwobbled height and the level on.
extern const char* const kUnderwaterVertex;
// Fragment: UnderwaterFog(fog) switches fog off at and above the level.
extern const char* const kUnderwaterFragment;
// The two-light family's vertex program (steps 1 to 9, fog distance from the eye vector).
const char* MultiLightVertex();
// The two-light family's fragment declarations and helpers (FogFactor, Lit, TwoLights, NormalAt),
// then extra (more declarations) and main.
std::string MultiLightFragment(const char* extra, const char* main);

}  // namespace MorlenGL::surfaceglsl
