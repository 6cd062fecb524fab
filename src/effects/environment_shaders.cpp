// environment_shaders.cpp -- program texts, uniform orders and bind sequences of the cube-map, water,
// chromatic refraction and ring wave programs.
#include "effects/environment_shaders.h"

#include <string>

#include "effects/surface_glsl.h"

namespace MorlenGL {

namespace {

// [SECTION] cube-map family vertex programs

constexpr const char* kCubeSurfaceSteps = R"(
vec3 SurfaceSteps(vec4 vertex) {
  vec3 t, b, n;
  SurfaceStart(vertex, t, b, n);
  return EyeToTangentSpace(t, b, n);
}
)";

// Texts are assembled on first use: shader objects may live in statics of other files, built
// before this file's own.
std::string CubeVertex(const char* extra, const char* main) {
  return std::string("#version 120\n") + surfaceglsl::kTangentFrame + surfaceglsl::kSurfaceVertex + kCubeSurfaceSteps + extra + main;
}

const char* CubeMapVertex() {
  static const std::string text = CubeVertex("", R"(
void main() {
  EyeDir = vEye - (gl_ModelViewProjectionMatrix * gl_Vertex).xyz;
  gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
  gl_FogFragCoord = length(SurfaceSteps(gl_Vertex));
}
)");
  return text.c_str();
}

const char* CubeMapUWVertex() {
  static const std::string text = CubeVertex(surfaceglsl::kUnderwaterVertex, R"(
void main() {
  EyeDir = vEye - (gl_ModelViewProjectionMatrix * gl_Vertex).xyz;
  gl_Position = Underwater(gl_ModelViewProjectionMatrix * gl_Vertex);
  gl_FogFragCoord = length(SurfaceSteps(gl_Vertex));
}
)");
  return text.c_str();
}

// The wave uses object-space x and z; EyeDir here starts from the modelview position.
const char* WaterVertex() {
  static const std::string text = CubeVertex("", R"(
uniform float timer;
void main() {
  vec4 vertex = gl_Vertex;
  vertex.y = vertex.y + sin(timer * 5.0 + vertex.x * 2.0) * sin(timer * 5.0 + vertex.z * 2.0) / 15.0;
  EyeDir = vEye - (gl_ModelViewMatrix * vertex).xyz;
  gl_Position = gl_ModelViewProjectionMatrix * vertex;
  gl_FogFragCoord = length(SurfaceSteps(vertex));
}
)");
  return text.c_str();
}

// [SECTION] cube-map family fragment programs

constexpr const char* kCubeFragmentHead = R"(#version 120
uniform samplerCube CubeMap;
uniform sampler2D ColorMap;
uniform sampler2D NormalMap;
uniform sampler2D HeightMap;
uniform sampler2D SpecularMap;
uniform float r;
uniform float Ai;
uniform float SpecPower;
uniform float SpecOverdrive;
uniform float FogDensity;
uniform vec3 FogColor;
varying vec2 texCoords;
varying vec3 LightDir;
varying vec3 EyeDir;
varying vec3 vView;
varying vec3 vReflection;
)";

// Lt is the lit colour map, Ct the lit reflection, both under one white light.
constexpr const char* kCubeFunctions = R"(
vec3 NormalAt(vec2 uv) {
  return 2.0 * texture2D(NormalMap, uv).rgb - 1.0;
}
vec2 ParallaxUv() {
  float height = 0.04 * texture2D(HeightMap, texCoords).r - 0.02;
  return texCoords + height * EyeDir.xy;
}
void LitPair(vec2 uv, vec3 N, out vec4 Lt, out vec4 Ct) {
  float s = texture2D(SpecularMap, uv).r;
  vec3 Rv = reflect(vView, N);
  float lit = Lit(N, LightDir, vec3(1.0), s).x;
  vec4 C = texture2D(ColorMap, uv);
  vec4 E = textureCube(CubeMap, Rv);
  Lt = C * Ai + vec4(lit, lit, lit, 1.0) * C;
  Ct = E * Ai + vec4(lit, lit, lit, 1.0) * E;
}
vec4 FoggedMix(vec4 Lt, vec4 Ct, float fog) {
  vec4 fogColour = vec4(FogColor, 1.0);
  return mix(mix(fogColour, Ct, fog), mix(fogColour, Lt, fog), r);
}
)";

std::string CubeFragment(const char* extra, const char* main) {
  return std::string(kCubeFragmentHead) + surfaceglsl::kLightingFunctions + kCubeFunctions + extra + main;
}

const char* CubeMapFragment() {
  static const std::string text = CubeFragment("", R"(
void main() {
  float fog = FogFactor();
  vec2 uv = texCoords;
  vec4 Lt, Ct;
  LitPair(uv, NormalAt(uv), Lt, Ct);
  gl_FragColor = FoggedMix(Lt, Ct, fog);
}
)");
  return text.c_str();
}

const char* CubeMapUWFragment() {
  static const std::string text = CubeFragment(surfaceglsl::kUnderwaterFragment, R"(
void main() {
  float fog = UnderwaterFog(FogFactor());
  vec2 uv = ParallaxUv();
  vec4 Lt, Ct;
  LitPair(uv, NormalAt(uv), Lt, Ct);
  gl_FragColor = FoggedMix(Lt, Ct, fog);
}
)");
  return text.c_str();
}

// The scalar offsets move both coordinates; the two samples are averaged before expanding.
const char* WaterFragment() {
  static const std::string text = CubeFragment("", R"(
uniform float timer;
void main() {
  vec2 uv = ParallaxUv();
  vec3 n = (texture2D(NormalMap, uv + sin(timer / 16.0)).rgb +
            texture2D(NormalMap, uv + sin(timer / 12.0)).rgb) / 2.0;
  vec4 Lt, Ct;
  LitPair(uv, 2.0 * n - 1.0, Lt, Ct);
  Lt.a = 1.0;
  Ct.a = 1.0;
  gl_FragColor = mix(Ct, Lt, r);
}
)");
  return text.c_str();
}

// [SECTION] cMLWaterShader fragment program

// The specular map stays put while the normal map scrolls both ways and the colour map one way.
const char* MLWaterFragment() {
  static const std::string text = surfaceglsl::MultiLightFragment("", R"(
uniform float timer;
void main() {
  float fog = FogFactor();
  vec2 uv = texCoords;
  float s = texture2D(SpecularMap, uv).r;
  vec3 N = (NormalAt(uv + timer / 10.0) + NormalAt(uv - timer / 10.0)) / 2.0;
  vec4 M = TwoLights(N, texture2D(ColorMap, uv + timer / 12.0), s);
  gl_FragColor = mix(vec4(FogColor, 1.0), M, fog);
}
)");
  return text.c_str();
}

// [SECTION] chromatic refraction and ring wave texts

constexpr const char* kChromaticVertex = R"(#version 120
varying vec3 N;
varying vec3 View;
void main() {
  vec3 e = (gl_ModelViewMatrix * gl_Vertex).xyz;
  View = normalize(-e);
  N = normalize(gl_NormalMatrix * gl_Normal);
  gl_TexCoord[0] = 0.6 * vec4(gl_Normal, 1.0);
  gl_Position = ftransform();
}
)";

// Reflectance and transmittance come from the blue run alone. The rays leave through the
// transposed modelview, negated.
constexpr const char* kChromaticFragment = R"(#version 120
uniform sampler2D ColorMap;
uniform samplerCube CubeMap;
uniform float refraction_index;
varying vec3 N;
varying vec3 View;
vec2 Fresnel(vec3 I, vec3 M, float nOut, float nIn, out vec3 reflection, out vec3 refraction) {
  float eta = nOut / nIn;
  float c1 = dot(I, M);
  float c2 = sqrt(1.0 - eta * eta * (1.0 - c1 * c1));
  reflection = I - 2.0 * c1 * M;
  refraction = eta * I + (c2 - eta * c1) * M;
  float rs = (nOut * c1 - nIn * c2) / (nOut * c1 + nIn * c2);
  float rp = (nIn * c1 - nOut * c2) / (nIn * c1 + nOut * c2);
  return vec2((rs * rs + rp * rp) / 2.0, ((1.0 - rs) * (1.0 - rs) + (1.0 - rp) * (1.0 - rp)) / 2.0);
}
vec3 OutRay(vec3 ray) {
  return -(gl_ModelViewMatrixTranspose * vec4(ray, 0.0)).xyz;
}
void main() {
  vec3 nN = 0.5 * (N + 2.0 * (texture2D(ColorMap, gl_TexCoord[0].xy).rgb - 0.5));
  vec3 reflR, refrR, reflG, refrG, reflB, refrB;
  Fresnel(View, nN, 1.0, refraction_index, reflR, refrR);
  Fresnel(View, nN, 1.0, refraction_index + 0.05, reflG, refrG);
  vec2 rt = Fresnel(View, nN, 1.0, refraction_index + 0.1, reflB, refrB);
  vec4 reflectColour = vec4(textureCube(CubeMap, OutRay(reflR)).r, textureCube(CubeMap, OutRay(reflG)).g,
                            textureCube(CubeMap, OutRay(reflB)).b, 1.0);
  vec4 refractColour = vec4(textureCube(CubeMap, OutRay(refrR)).r, textureCube(CubeMap, OutRay(refrG)).g,
                            textureCube(CubeMap, OutRay(refrB)).b, 1.0);
  gl_FragColor = reflectColour * (rt.x * 0.5) + refractColour * (rt.y * 0.5);
}
)";

constexpr const char* kRingWaveVertex = R"(#version 120
uniform float time;
varying vec2 texCoords;
void main() {
  float q = time * time;
  vec3 freq = vec3(5.0 + sin(q) * 10.0, 5.0 + sin(q * 1.8) * 10.0, 5.0 + sin(q * 1.1) * 10.0);
  float amp = 0.001 + sin(q * 1.4) * 0.3;
  float f = sin(gl_Normal.x * freq.x + time) * sin(gl_Normal.y * freq.y + time) *
            sin(gl_Normal.z * freq.z + time);
  vec4 vertex = vec4(gl_Vertex.xyz + gl_Normal * amp * f, gl_Vertex.w);
  gl_Position = gl_ModelViewProjectionMatrix * vertex;
  texCoords = gl_MultiTexCoord0.xy;
}
)";

// sampler0 is declared but never read, so its location is -1.
constexpr const char* kRingWaveFragment = R"(#version 120
uniform sampler2D sampler0;
varying vec2 texCoords;
void main() {
  gl_FragColor = vec4(0.0, 0.0, 0.0, 0.0);
}
)";

}  // namespace

// [SECTION] cCubeMapFamily

cCubeMapFamily::cCubeMapFamily(const char* className, ProgramText vertexText, ProgramText fragmentText)
    : cSurfaceProgram(className), vertexText(vertexText), fragmentText(fragmentText) {}

bool cCubeMapFamily::CompileVertexShader() { return CompileVertex(vertexText()); }

bool cCubeMapFamily::LinkFamily(std::initializer_list<UniformSlot> tail) {
  return LinkAndLookUp(fragmentText(),
                       {{"LightPosition", &lightPositionLocation}, {"Tangent", &tangentLocation},
                        {"LightDir", &lightDirLocation}, {"EyeDir", &eyeDirLocation},
                        {"LightPosition", &lightPositionLocation}, {"NormalMap", &normalMapLocation},
                        {"ColorMap", &colorMapLocation}, {"HeightMap", &heightMapLocation},
                        {"SpecularMap", &specularMapLocation}, {"CubeMap", &cubeMapLocation},
                        {"vEye", &vEyeLocation}, {"r", &rLocation}, {"SpecPower", &specPowerLocation},
                        {"SpecOverdrive", &specOverdriveLocation}, {"Ai", &aiLocation}},
                       tail);
}

void cCubeMapFamily::SendLight() const {
  Uniform3f(lightPositionLocation, lightPosition);
  Uniform3f(tangentLocation, 0.0f, 0.0f, 0.0f);  // an attribute: the location is -1
}

// [SECTION] cCubeMapShader

cCubeMapShader::cCubeMapShader() : cCubeMapFamily("cCubeMapShader", CubeMapVertex, CubeMapFragment) {}

bool cCubeMapShader::CompileFragmentShader() {
  return LinkFamily({{"FogDensity", &fogDensityLocation}, {"FogColor", &fogColorLocation}});
}

void cCubeMapShader::Bind(Camera camera) {
  UseWithSamplers();
  SendEye(camera);
  SendLight();
  SendMaterial();
  Uniform1f(fogDensityLocation, fogDensity);
  Uniform3f(fogColorLocation, fogColor);
  BindMaps();
}

// [SECTION] cCubeMapShaderUW

cCubeMapShaderUW::cCubeMapShaderUW()
    : cCubeMapFamily("cCubeMapShaderUW", CubeMapUWVertex, CubeMapUWFragment) {}

bool cCubeMapShaderUW::CompileFragmentShader() {
  return LinkFamily({{"FogDensity", &fogDensityLocation}, {"FogColor", &fogColorLocation},
                     {"isUW", &isUWLocation}, {"timer", &timerLocation}});
}

void cCubeMapShaderUW::Bind(Camera camera) {
  UseWithSamplers();
  Uniform1f(timerLocation, timer);
  SendEye(camera);
  SendLight();
  SendMaterial();
  Uniform1f(fogDensityLocation, fogDensity);
  Uniform3f(fogColorLocation, fogColor);
  Uniform1f(isUWLocation, isUW);
  BindMaps();
}

// [SECTION] cWaterShaderUW

cWaterShaderUW::cWaterShaderUW() : cCubeMapFamily("cWaterShaderUW", WaterVertex, WaterFragment) {}

bool cWaterShaderUW::CompileFragmentShader() {
  return LinkFamily({{"timer", &timerLocation}, {"FogDensity", &fogDensityLocation},
                     {"FogColor", &fogColorLocation}});
}

void cWaterShaderUW::Bind(Camera camera) {
  UseWithSamplers();
  SendEye(camera);
  SendLight();
  SendMaterial();
  Uniform1f(timerLocation, timer);
  Uniform1f(fogDensityLocation, fogDensity);
  Uniform3f(fogColorLocation, fogColor);
  BindMaps();
}

// [SECTION] cMLWaterShader

cMLWaterShader::cMLWaterShader()
    : cMultiLightProgram("cMLWaterShader", surfaceglsl::MultiLightVertex, MLWaterFragment) {}

bool cMLWaterShader::CompileFragmentShader() {
  return LinkFamily({{"FogDensity", &fogDensityLocation}, {"FogColor", &fogColorLocation},
                     {"timer", &timerLocation}});
}

void cMLWaterShader::Bind(Camera camera) {
  UseWithSamplers();
  SendEye(camera);
  SendLights();
  SendMaterial();
  Uniform1f(timerLocation, timer);
  Uniform1f(fogDensityLocation, fogDensity);
  Uniform3f(fogColorLocation, fogColor);
  BindMaps();
}

// [SECTION] cChromaticRefractShader

cChromaticRefractShader::cChromaticRefractShader() : cShaderSystem("cChromaticRefractShader") {}

bool cChromaticRefractShader::CompileVertexShader() { return CompileVertex(kChromaticVertex); }

bool cChromaticRefractShader::CompileFragmentShader() {
  return CompileFragmentAndLink(kChromaticFragment, {{"CubeMap", &cubeMapLocation},
                                                     {"ColorMap", &colorMapLocation},
                                                     {"refraction_index", &refractionIndexLocation}});
}

void cChromaticRefractShader::Bind(Camera) {
  UseProgram(program);
  Uniform1i(cubeMapLocation, TextureUnit::kChromaticCubeMap);
  Uniform1i(colorMapLocation, TextureUnit::kChromaticColorMap);
  Uniform1f(refractionIndexLocation, refractionIndex);
  BindUnit(TextureUnit::kChromaticColorMap, GL_TEXTURE_2D, colorMapTexture);
  BindUnit(TextureUnit::kChromaticCubeMap, GL_TEXTURE_CUBE_MAP, cubeMapTexture);
}

void cChromaticRefractShader::Unbind() { UnbindChromatic(); }

// [SECTION] cRingWaveShader

cRingWaveShader::cRingWaveShader() : cShaderSystem("cRingWaveShader") {}

bool cRingWaveShader::CompileVertexShader() { return CompileVertex(kRingWaveVertex); }

bool cRingWaveShader::CompileFragmentShader(float w, float h) {
  width = w;
  height = h;
  return CompileFragmentAndLink(kRingWaveFragment, {{"sampler0", &sampler0Location}, {"time", &timeLocation}});
}

void cRingWaveShader::Bind() {
  UseProgram(program);
  Uniform1i(sampler0Location, TextureUnit::kFilterInput);
  Uniform1f(timeLocation, time);
  BindFilterInput(sourceTexture);
}

void cRingWaveShader::Unbind() { UnbindFilter(); }

}  // namespace MorlenGL
