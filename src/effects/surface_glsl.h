// surface_glsl.h -- GLSL pieces shared by the lighting and environment program texts.
#pragma once
#include <string>

namespace MorlenGL::surfaceglsl {

// Vertex: the tangent frame from gl_Normal and the "Tangent" attribute, and a change of basis into it.
extern const char* const kTangentFrame;
// Fragment: FogFactor() from FogDensity and gl_FogFragCoord, and Lit(), one light's diffuse plus
// half-vector specular, clamped to 1 (reads vView, SpecPower and SpecOverdrive).
extern const char* const kLightingFunctions;

// The two-light family's vertex program (steps 1 to 9, fog distance from the eye vector).
const char* MultiLightVertex();
// The two-light family's fragment declarations and helpers (FogFactor, Lit, TwoLights, NormalAt)
// followed by main.
std::string MultiLightFragment(const char* main);

}  // namespace MorlenGL::surfaceglsl
