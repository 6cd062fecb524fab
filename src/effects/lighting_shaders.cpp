// lighting_shaders.cpp -- program texts, uniform orders and bind sequences of the lighting programs.
#include "effects/lighting_shaders.h"

#include <string>

#include "effects/surface_glsl.h"

namespace MorlenGL {

// [SECTION] shared GLSL pieces

namespace surfaceglsl {

extern const char* const kTangentFrame = R"(
attribute vec3 Tangent;
void TangentFrame(out vec3 t, out vec3 b, out vec3 n) {
  n = normalize(gl_NormalMatrix * gl_Normal);
  t = normalize(gl_NormalMatrix * Tangent);
  b = cross(n, t);
}
vec3 ToTangentSpace(vec3 d, vec3 t, vec3 b, vec3 n) {
  return vec3(dot(d, t), dot(d, b), dot(d, n));
}
)";

extern const char* const kLightingFunctions = R"(
float FogFactor() {
  float d = FogDensity * gl_FogFragCoord;
  return clamp(pow(2.71828, -(d * d)), 0.0, 1.0);
}
vec3 Lit(vec3 N, vec3 lightDir, vec3 colour, float s) {
  vec3 diffuse = max(dot(N, lightDir), 0.0) * colour;
  vec3 H = normalize(lightDir + normalize(vView));
  float spec = pow(clamp(dot(N, H), 0.0, 1.0), SpecPower) * SpecOverdrive * s;
  return min(diffuse + vec3(spec), vec3(1.0));
}
)";

// EyeDir holds its step-1 value (camera minus the clip-space position) when SurfaceStart runs;
// the light "position" is taken as an eye-space direction.
extern const char* const kSurfaceVertex = R"(
uniform vec3 vEye;
uniform vec3 LightPosition;
varying vec2 texCoords;
varying vec3 LightDir;
varying vec3 EyeDir;
varying vec3 vView;
varying vec3 vReflection;
void SurfaceStart(vec4 vertex, out vec3 t, out vec3 b, out vec3 n) {
  vView = vEye - (gl_ModelViewMatrix * vertex).xyz;
  vReflection = reflect(vView, gl_Normal);
  texCoords = gl_MultiTexCoord0.xy;
  TangentFrame(t, b, n);
  LightDir = normalize(ToTangentSpace(LightPosition, t, b, n));
}
vec3 EyeToTangentSpace(vec3 t, vec3 b, vec3 n) {
  vec3 v = ToTangentSpace(EyeDir, t, b, n);
  EyeDir = normalize(v);
  return v;
}
)";

extern const char* const kUnderwaterVertex = R"(
uniform float timer;
uniform float isUW;
varying float clipY;
varying float uwLevel;
vec4 Underwater(vec4 position) {
  clipY = position.y;
  uwLevel = isUW;
  if (position.y <= isUW) {
    position.x = position.x + sin(timer + position.x);
    position.y = position.y + cos(timer + position.y);
  }
  return position;
}
)";

extern const char* const kUnderwaterFragment = R"(
varying float clipY;
varying float uwLevel;
float UnderwaterFog(float fog) {
  return clipY >= uwLevel ? 1.0 : fog;
}
)";

}  // namespace surfaceglsl

namespace {

// [SECTION] family vertex programs

constexpr const char* kFamilyVertexHead = R"(#version 120
uniform vec3 LightPosition2;
uniform vec3 EyePos;
varying vec3 LightDir2;
)";

constexpr const char* kFamilySurfaceSteps = R"(
vec3 SurfaceSteps(vec4 vertex) {
  vec3 t, b, n;
  SurfaceStart(vertex, t, b, n);
  LightDir2 = normalize(ToTangentSpace(LightPosition2, t, b, n));
  return EyeToTangentSpace(t, b, n);
}
)";

// Texts are assembled on first use: shader objects may live in statics of other files, built
// before this file's own.
std::string FamilyVertex(const char* extra, const char* main) {
  return std::string(kFamilyVertexHead) + surfaceglsl::kTangentFrame + surfaceglsl::kSurfaceVertex + kFamilySurfaceSteps + extra + main;
}

}  // namespace

const char* surfaceglsl::MultiLightVertex() {
  static const std::string text = FamilyVertex("", R"(
void main() {
  EyeDir = vEye - (gl_ModelViewProjectionMatrix * gl_Vertex).xyz;
  gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
  gl_FogFragCoord = length(SurfaceSteps(gl_Vertex));
}
)");
  return text.c_str();
}

namespace {

// w is pushed too, so the shift also scales the projected picture.
const char* ShatterVertex() {
  static const std::string text = FamilyVertex("", R"(
uniform float time;
void main() {
  EyeDir = vEye - (gl_ModelViewProjectionMatrix * gl_Vertex).xyz;
  float d = time * (gl_Normal.x + gl_Normal.y + gl_Normal.z);
  vec4 vertex = gl_Vertex - vec4(d);
  gl_Position = gl_ModelViewProjectionMatrix * vertex;
  SurfaceSteps(vertex);
}
)");
  return text.c_str();
}

// The fog distance comes from the fog coordinate here.
const char* UnderwaterVertex() {
  static const std::string text = FamilyVertex(surfaceglsl::kUnderwaterVertex, R"(
void main() {
  EyeDir = vEye - (gl_ModelViewProjectionMatrix * gl_Vertex).xyz;
  gl_Position = Underwater(gl_ModelViewProjectionMatrix * gl_Vertex);
  SurfaceSteps(gl_Vertex);
  gl_FogFragCoord = gl_FogCoord;
}
)");
  return text.c_str();
}

const char* VertexDistortVertex() {
  static const std::string text = FamilyVertex("", R"(
uniform float time;
void main() {
  EyeDir = vEye - (gl_ModelViewProjectionMatrix * gl_Vertex).xyz;
  vec3 freq = vec3(2.0 + sin(time) * 1.2, 2.0 + cos(time * 1.3) * 1.6, 3.0 + sin(time * 1.1) * 1.3);
  float amp = 1.0 + sin(time * 1.4) * 1.4;
  float f = sin(gl_Normal.x * freq.x + time) * sin(gl_Normal.y * freq.y + time) *
            sin(gl_Normal.z * freq.z + time);
  vec4 vertex = vec4(gl_Vertex.xyz + gl_Normal * amp * f, gl_Vertex.w);
  gl_Position = gl_ModelViewProjectionMatrix * vertex;
  gl_FogFragCoord = length(SurfaceSteps(vertex));
}
)");
  return text.c_str();
}

// [SECTION] family fragment programs

// r is declared for the uniform order but takes no part in the result.
constexpr const char* kFamilyFragmentHead = R"(#version 120
uniform sampler2D ColorMap;
uniform sampler2D NormalMap;
uniform sampler2D HeightMap;
uniform sampler2D SpecularMap;
uniform vec3 LightColor;
uniform vec3 Light2Color;
uniform vec3 FogColor;
uniform float r;
uniform float Ai;
uniform float SpecPower;
uniform float SpecOverdrive;
uniform float FogDensity;
varying vec2 texCoords;
varying vec3 LightDir;
varying vec3 LightDir2;
varying vec3 EyeDir;
varying vec3 vView;
varying vec3 vReflection;
)";

// Both lights add the colour map x Ai, so alpha comes out as C.a x (Ai + 1).
constexpr const char* kTwoLights = R"(
vec4 TwoLights(vec3 N, vec4 C, float s) {
  vec4 L1 = C * Ai + vec4(Lit(N, LightDir, LightColor, s), 1.0) * C;
  vec4 L2 = C * Ai + vec4(Lit(N, LightDir2, Light2Color, s), 1.0) * C;
  return (L1 + L2) / 2.0;
}
vec3 NormalAt(vec2 uv) {
  return 2.0 * texture2D(NormalMap, uv).rgb - 1.0;
}
)";

}  // namespace

std::string surfaceglsl::MultiLightFragment(const char* extra, const char* main) {
  return std::string(kFamilyFragmentHead) + surfaceglsl::kLightingFunctions + kTwoLights + extra + main;
}

namespace {

using surfaceglsl::MultiLightFragment;

const char* NPMultiLightFragment() {
  static const std::string text = MultiLightFragment("", R"(
void main() {
  float fog = FogFactor();
  vec2 uv = texCoords;
  float s = texture2D(SpecularMap, uv).r;
  vec4 M = TwoLights(NormalAt(uv), texture2D(ColorMap, uv), s);
  gl_FragColor = mix(vec4(FogColor, 1.0), M, fog);
}
)");
  return text.c_str();
}

const char* ShatterFragment() {
  static const std::string text = MultiLightFragment("", R"(
void main() {
  vec2 uv = texCoords;
  float s = texture2D(SpecularMap, uv).r;
  gl_FragColor = TwoLights(NormalAt(uv), texture2D(ColorMap, uv), s);
}
)");
  return text.c_str();
}

const char* UnderwaterFragment() {
  static const std::string text = MultiLightFragment(surfaceglsl::kUnderwaterFragment, R"(
void main() {
  float fog = UnderwaterFog(FogFactor());
  vec2 uv = texCoords;
  float s = texture2D(SpecularMap, uv).r;
  vec4 M = TwoLights(NormalAt(uv), texture2D(ColorMap, uv), s);
  gl_FragColor = mix(vec4(FogColor, 1.0), M, fog);
}
)");
  return text.c_str();
}

// [SECTION] cNormalMapping texts

constexpr const char* kNormalMappingVertexHead = R"(#version 120
uniform vec3 EyePos;
uniform vec3 LightPosition;
varying vec3 LightDir;
varying vec3 EyeDir;
)";

constexpr const char* kNormalMappingVertexMain = R"(
void main() {
  EyeDir = EyePos - (gl_ModelViewMatrix * gl_Vertex).xyz;
  gl_Position = ftransform();
  gl_TexCoord[0] = gl_MultiTexCoord0;
  vec3 t, b, n;
  TangentFrame(t, b, n);
  LightDir = normalize(ToTangentSpace(LightPosition, t, b, n));
  EyeDir = normalize(ToTangentSpace(EyeDir, t, b, n));
}
)";

const char* NormalMappingVertex() {
  static const std::string text =
      std::string(kNormalMappingVertexHead) + surfaceglsl::kTangentFrame + kNormalMappingVertexMain;
  return text.c_str();
}

// BumpDensity and BumpSize are declared for the uniform order and never read.
constexpr const char* kNormalMappingFragment = R"(#version 120
uniform vec3 SurfaceColor;
uniform float SpecularFactor;
uniform float BumpDensity;
uniform float BumpSize;
uniform sampler2D colorMap;
uniform sampler2D normalMap;
varying vec3 LightDir;
varying vec3 EyeDir;
void main() {
  vec2 uv = gl_TexCoord[0].xy;
  vec3 N = 2.0 * texture2D(normalMap, uv).rgb - 1.0;
  vec3 lit = SurfaceColor * max(dot(N, LightDir), 0.0);
  vec3 R = reflect(LightDir, N);
  float spec = pow(max(dot(EyeDir, R), 0.0), 32.0) * SpecularFactor;
  lit = min(lit + vec3(spec), vec3(1.0));
  vec4 C = texture2D(colorMap, uv);
  gl_FragColor = C * 0.2 + vec4(lit, 1.0) * C;
}
)";

}  // namespace

// [SECTION] cSurfaceProgram

bool cSurfaceProgram::LinkAndLookUp(const char* fragmentText, std::initializer_list<UniformSlot> head,
                                    std::initializer_list<UniformSlot> tail) {
  if (!CompileFragmentAndLink(fragmentText, head)) return false;
  LookUpUniforms(tail);
  return true;
}

void cSurfaceProgram::UseWithSamplers() const {
  UseProgram(program);
  Uniform1i(cubeMapLocation, TextureUnit::kCubeMap);
  Uniform1i(specularMapLocation, TextureUnit::kSpecularMap);
  Uniform1i(heightMapLocation, TextureUnit::kHeightMap);
  Uniform1i(normalMapLocation, TextureUnit::kNormalMap);
  Uniform1i(colorMapLocation, TextureUnit::kColorMap);
}

void cSurfaceProgram::SendEye(const Camera& camera) const {
  Uniform3f(vEyeLocation, static_cast<float>(camera.eye.x), static_cast<float>(camera.eye.y),
            static_cast<float>(camera.eye.z));
}

void cSurfaceProgram::SendMaterial() const {
  Uniform1f(rLocation, r);
  Uniform1f(specPowerLocation, specPower);
  Uniform1f(specOverdriveLocation, specOverdrive);
  Uniform1f(aiLocation, ai);
}

void cSurfaceProgram::BindMaps() const {
  BindSurfaceTextures(colorMapTexture, normalMapTexture, heightMapTexture, specularMapTexture,
                      cubeMapTexture);
  SetCurrentTangent(1.0f, 0.0f, 0.0f);
}

void cSurfaceProgram::Unbind() { UnbindSurface(); }

// [SECTION] cMultiLightProgram

cMultiLightProgram::cMultiLightProgram(const char* className, ProgramText vertexText, ProgramText fragmentText)
    : cSurfaceProgram(className), vertexText(vertexText), fragmentText(fragmentText) {}

bool cMultiLightProgram::CompileVertexShader() { return CompileVertex(vertexText()); }

bool cMultiLightProgram::LinkFamily(std::initializer_list<UniformSlot> tail) {
  return LinkAndLookUp(fragmentText(),
                       {{"Tangent", &tangentLocation}, {"LightDir", &lightDirLocation},
                        {"EyeDir", &eyeDirLocation}, {"LightPosition", &lightPositionLocation},
                        {"LightPosition2", &lightPosition2Location}, {"NormalMap", &normalMapLocation},
                        {"ColorMap", &colorMapLocation}, {"HeightMap", &heightMapLocation},
                        {"SpecularMap", &specularMapLocation}, {"CubeMap", &cubeMapLocation},
                        {"vEye", &vEyeLocation}, {"r", &rLocation}, {"SpecPower", &specPowerLocation},
                        {"SpecOverdrive", &specOverdriveLocation}, {"Ai", &aiLocation},
                        {"LightColor", &lightColorLocation}, {"Light2Color", &light2ColorLocation}},
                       tail);
}

void cMultiLightProgram::SendLights() const {
  Uniform3f(lightPositionLocation, lightPosition);
  Uniform3f(lightPosition2Location, lightPosition2);
  Uniform3f(lightColorLocation, lightColor);
  Uniform3f(light2ColorLocation, light2Color);
  Uniform3f(tangentLocation, 0.0f, 0.0f, 0.0f);  // an attribute: the location is -1
}

// [SECTION] cNPMultiLight

cNPMultiLight::cNPMultiLight()
    : cMultiLightProgram("cNPMultiLight", surfaceglsl::MultiLightVertex, NPMultiLightFragment) {}

bool cNPMultiLight::CompileFragmentShader() {
  return LinkFamily({{"FogDensity", &fogDensityLocation}, {"FogColor", &fogColorLocation}});
}

void cNPMultiLight::Bind(Camera camera) {
  UseWithSamplers();
  SendEye(camera);
  SendLights();
  SendMaterial();
  Uniform1f(fogDensityLocation, fogDensity);
  Uniform3f(fogColorLocation, fogColor);
  BindMaps();
}

// [SECTION] cNPMultiLightShatter

cNPMultiLightShatter::cNPMultiLightShatter()
    : cMultiLightProgram("cNPMultiLightShatter", ShatterVertex, ShatterFragment) {}

bool cNPMultiLightShatter::CompileFragmentShader() { return LinkFamily({{"time", &timeLocation}}); }

void cNPMultiLightShatter::Bind(Camera camera) {
  UseWithSamplers();
  SendEye(camera);
  SendLights();
  SendMaterial();
  Uniform1f(timeLocation, time);
  BindMaps();
}

// [SECTION] cNPMultiLightUW

cNPMultiLightUW::cNPMultiLightUW()
    : cMultiLightProgram("cNPMultiLightUW", UnderwaterVertex, UnderwaterFragment) {}

bool cNPMultiLightUW::CompileFragmentShader() {
  return LinkFamily({{"FogDensity", &fogDensityLocation}, {"FogColor", &fogColorLocation},
                     {"isUW", &isUWLocation}, {"timer", &timerLocation}});
}

void cNPMultiLightUW::Bind(Camera camera) {
  UseWithSamplers();
  Uniform1f(timerLocation, timer);
  SendEye(camera);
  SendLights();
  SendMaterial();
  Uniform1f(fogDensityLocation, fogDensity);
  Uniform1f(isUWLocation, isUW);
  Uniform3f(fogColorLocation, fogColor);
  BindMaps();
}

// [SECTION] cVertexDistort

cVertexDistort::cVertexDistort()
    : cMultiLightProgram("cVertexDistort", VertexDistortVertex, NPMultiLightFragment) {}

bool cVertexDistort::CompileFragmentShader() {
  return LinkFamily({{"FogDensity", &fogDensityLocation}, {"FogColor", &fogColorLocation},
                     {"time", &timeLocation}});
}

void cVertexDistort::Bind(Camera camera) {
  UseWithSamplers();
  SendEye(camera);
  SendLights();
  SendMaterial();
  Uniform1f(fogDensityLocation, fogDensity);
  Uniform3f(fogColorLocation, fogColor);
  Uniform1f(timeLocation, time);
  BindMaps();
}

// [SECTION] cNormalMapping

cNormalMapping::cNormalMapping() : cShaderSystem("cNormalMapping") {}

bool cNormalMapping::CompileVertexShader() { return CompileVertex(NormalMappingVertex()); }

bool cNormalMapping::CompileFragmentShader() {
  return CompileFragmentAndLink(
      kNormalMappingFragment,
      {{"colorMap", &colorMapLocation}, {"normalMap", &normalMapLocation}, {"LightDir", &lightDirLocation},
       {"EyeDir", &eyeDirLocation}, {"LightPosition", &lightPositionLocation}, {"Tangent", &tangentLocation},
       {"SurfaceColor", &surfaceColorLocation}, {"BumpDensity", &bumpDensityLocation},
       {"BumpSize", &bumpSizeLocation}, {"SpecularFactor", &specularFactorLocation}});
}

void cNormalMapping::Bind(Camera) {
  UseProgram(program);
  BindUnit(TextureUnit::kColorMap, GL_TEXTURE_2D, colorMap.textureId);
  BindUnit(TextureUnit::kNormalMap, GL_TEXTURE_2D, normalMap.textureId);
  SetCurrentTangent(1.0f, 0.0f, 0.0f);
}

void cNormalMapping::Unbind() { UnbindSurface(); }

}  // namespace MorlenGL
