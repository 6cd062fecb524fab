// post_filters.cpp -- program texts, uniform orders and bind sequences of the six image filters.
#include "effects/post_filters.h"

namespace MorlenGL {

// [SECTION] vertex programs

namespace {

// Gaussian, distortion, shadow cage and Poisson blur.
constexpr const char* kQuadVertexProgram = R"(#version 120
varying vec2 texCoords;
void main() {
  gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
  texCoords = gl_MultiTexCoord0.xy;
}
)";

constexpr const char* kDofVertexProgram = R"(#version 120
varying vec2 texCoords;
void main() {
  gl_Position = ftransform();
  texCoords = gl_MultiTexCoord0.xy;
}
)";

// Coordinates leave relative to the centre, so the fragment step only scales them.
constexpr const char* kRadialVertexProgram = R"(#version 120
uniform vec2 center;
varying vec2 texCoords;
void main() {
  gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
  texCoords = gl_MultiTexCoord0.xy - center;
}
)";

// [SECTION] fragment programs

constexpr const char* kGaussianFragmentProgram = R"(#version 120
uniform sampler2D sampler0;
uniform float bloom;
uniform float alpha;
uniform float width;
uniform float height;
uniform float BlurFactor;
varying vec2 texCoords;
void main() {
  float step_w = (1.0 / width) * BlurFactor;
  float step_h = (1.0 / height) * BlurFactor;
  vec2 offset[9] = vec2[9](
      vec2(-step_w, -step_h), vec2(0.0, -step_h), vec2(step_w, -step_h),
      vec2(-step_w, 0.0), vec2(0.0, 0.0), vec2(step_w, 0.0),
      vec2(-step_w, step_h), vec2(0.0, step_h), vec2(step_w, step_h));
  float kernel[9] = float[9](1.0 / 16.0, 2.0 / 16.0, 1.0 / 16.0,
                             2.0 / 16.0, 4.0 / 16.0, 2.0 / 16.0,
                             1.0 / 16.0, 2.0 / 16.0, 1.0 / 16.0);
  vec4 sum = vec4(0.0);
  for (int i = 0; i < 9; i++) {
    sum += kernel[i] * texture2D(sampler0, texCoords + offset[i]);
  }
  sum = clamp((sum - vec4(bloom)) / (1.0 - bloom), 0.0, 1.0);
  sum.a = alpha * sum.a;
  gl_FragColor = sum;
}
)";

constexpr const char* kRadialFragmentProgram = R"(#version 120
uniform sampler2D sampler0;
uniform vec2 center;
uniform int iterations;
uniform float start;
uniform float scale;
uniform float alpha;
varying vec2 texCoords;
void main() {
  vec4 sum = vec4(0.0);
  for (int i = 0; i < iterations; i++) {
    float s = start + scale * (float(i) / (float(iterations) - 1.0));
    sum += texture2D(sampler0, texCoords * s + center);
  }
  sum = sum / float(iterations);
  sum.a = alpha * sum.a;
  gl_FragColor = sum;
}
)";

// The z term scales by the near plane in vSParams.z: with the default 0 every depth below 1.0
// lies at distance 0, so the default parameters give a uniform half blend.
constexpr const char* kDofFragmentProgram = R"(#version 120
uniform sampler2D sampler0;
uniform sampler2D blur;
uniform sampler2D depth;
uniform vec4 vSParams;
uniform float fDoFAmnt;
varying vec2 texCoords;
void main() {
  vec4 sharp = texture2D(sampler0, texCoords);
  vec4 blurred = texture2D(blur, texCoords);
  float d = texture2D(depth, texCoords).r;
  float sceneZ = (-vSParams.z * vSParams.w) / (d - vSParams.w);
  float f = clamp(abs(sceneZ - vSParams.x) / vSParams.y, 0.0, 1.0);
  f = f - fDoFAmnt;
  if (f <= 0.0) f = 0.0;
  vec4 result = mix(sharp, blurred, f);
  result.a = 1.0;
  gl_FragColor = result;
}
)";

// Trap: the sampler is "sampler", not the "sampler0" the class looks up; it keeps unit 0.
// Program 6's per-axis result is overwritten by the polar step that every k < 7 runs.
constexpr const char* kDistortFragmentProgram = R"(#version 120
uniform sampler2D sampler;
uniform vec4 PSParameters;
uniform float distortProgram;
uniform float alpha;
varying vec2 texCoords;
void main() {
  vec4 p = PSParameters;
  float k = distortProgram;
  vec2 c = 2.0 * texCoords - 1.0;
  float r = length(c);
  float phi = atan(c.y, c.x);
  if (k == 0.0) r = pow(r, p.x / p.y) * p.z;
  if (k == 1.0) phi = phi + (p.x - smoothstep(p.y, p.z, r)) * p.z;
  if (k == 2.0) { if (r > p.x) r = p.x; }
  if (k == 3.0) r = r * smoothstep(p.x, p.y, r);
  if (k == 4.0) r = p.x * r - r * smoothstep(p.y, p.z, r);
  if (k == 5.0) r = r * r / sqrt(p.x);
  if (k == 6.0) {
    vec2 s = sign(c);
    c = s * (p.x * abs(c) + p.y * smoothstep(p.z, p.w, abs(c)) * abs(c));
  }
  if (k < 7.0) c = vec2(r * cos(phi), r * sin(phi));
  if (k == 10.0) c.x = c.x + (sin(c.y * p.x) / p.y) * p.z;
  if (k == 8.0) c.x = c.x * sign(c.x);
  vec2 uv = c / 2.0 + 0.5;
  vec4 colour = texture2D(sampler, uv);
  if (k == 9.0) {
    vec4 t = texture2D(sampler, uv);
    float m = (t.r + t.g + t.b) / 3.0;
    float v = (m < p.x || m > p.y) ? 0.0 : 1.0;
    colour = mix(colour, vec4(v, v, v, 1.0), p.z);
  }
  colour.a = alpha;
  gl_FragColor = colour;
}
)";

// sampler0 is declared but never read, so its location is -1.
constexpr const char* kShadowCageFragmentProgram = R"(#version 120
uniform sampler2D sampler0;
uniform float BlurFactor;
varying vec2 texCoords;
void main() {
  float lo = BlurFactor - 0.01;
  float hi = BlurFactor + 0.01;
  float y = texCoords.y;
  float a;
  if (y <= lo) {
    a = 1.0;
  } else if (y > hi) {
    a = 0.0;
  } else {
    float t = clamp((y - hi) / (lo - hi), 0.0, 1.0);
    a = t * t * (3.0 - 2.0 * t);
  }
  gl_FragColor = vec4(0.0, 0.0, 0.0, a);
}
)";

// Thirteen taps over 10.0: the result is 1.3 times as bright as the input, as the show looks.
constexpr const char* kBlurFragmentProgram = R"(#version 120
uniform sampler2D sampler0;
uniform float BlurFactor = 0.01;
varying vec2 texCoords;
void main() {
  vec2 taps[12] = vec2[12](
      vec2(-0.326212, -0.405805), vec2(-0.840144, -0.073580), vec2(-0.695914, 0.457137),
      vec2(-0.203345, 0.620716), vec2(0.962340, -0.194983), vec2(0.473434, -0.480026),
      vec2(0.519456, 0.767022), vec2(0.185461, -0.893124), vec2(0.507431, 0.064425),
      vec2(0.896420, 0.412458), vec2(-0.321940, -0.932615), vec2(-0.791559, -0.597705));
  vec4 sum = texture2D(sampler0, texCoords);
  for (int i = 0; i < 12; i++) {
    sum += texture2D(sampler0, texCoords + BlurFactor * taps[i]);
  }
  gl_FragColor = sum / 10.0;
}
)";

constexpr float kShowNear = 0.0f;
constexpr float kShowFar = 10000.0f;

}  // namespace

// [SECTION] cGaussianBlurShader

cGaussianBlurShader::cGaussianBlurShader() : cShaderSystem("cGaussianBlurShader") {}

bool cGaussianBlurShader::CompileVertexShader() { return CompileVertex(kQuadVertexProgram); }

bool cGaussianBlurShader::CompileFragmentShader(float w, float h) {
  width = w;
  height = h;
  return CompileFragmentAndLink(kGaussianFragmentProgram,
                                {{"sampler0", &sampler0Location}, {"BlurFactor", &blurFactorLocation},
                                 {"width", &widthLocation}, {"height", &heightLocation},
                                 {"alpha", &alphaLocation}, {"bloom", &bloomLocation}});
}

void cGaussianBlurShader::Bind() {
  UseProgram(program);
  Uniform1i(sampler0Location, TextureUnit::kFilterInput);
  Uniform1f(blurFactorLocation, blurFactor);
  Uniform1f(widthLocation, width);
  Uniform1f(heightLocation, height);
  Uniform1f(alphaLocation, alpha);
  Uniform1f(bloomLocation, bloom);
  BindFilterInput(sourceTexture);
}

void cGaussianBlurShader::Unbind() { UnbindFilter(); }

// [SECTION] cRadialBlurShader

cRadialBlurShader::cRadialBlurShader() : cShaderSystem("cRadialBlurShader") {}

bool cRadialBlurShader::CompileVertexShader() { return CompileVertex(kRadialVertexProgram); }

bool cRadialBlurShader::CompileFragmentShader() {
  return CompileFragmentAndLink(kRadialFragmentProgram,
                                {{"sampler0", &sampler0Location}, {"center", &centerLocation},
                                 {"iterations", &iterationsLocation}, {"start", &startLocation},
                                 {"scale", &scaleLocation}, {"alpha", &alphaLocation}});
}

void cRadialBlurShader::Bind() {
  UseProgram(program);
  Uniform1i(sampler0Location, TextureUnit::kFilterInput);
  Uniform2f(centerLocation, center);
  Uniform1i(iterationsLocation, iterations);
  Uniform1f(startLocation, start);
  Uniform1f(scaleLocation, scale);
  Uniform1f(alphaLocation, alpha);
  BindFilterInput(sourceTexture);
}

void cRadialBlurShader::Unbind() { UnbindFilter(); }

// [SECTION] cDoFShader

cDoFShader::cDoFShader()
    : cShaderSystem("cDoFShader"),
      focusParams{50.0f, 100.0f, kShowNear, kShowFar / (kShowFar - kShowNear)} {}

bool cDoFShader::CompileVertexShader() { return CompileVertex(kDofVertexProgram); }

bool cDoFShader::CompileFragmentShader() {
  return CompileFragmentAndLink(kDofFragmentProgram,
                                {{"sampler0", &sampler0Location}, {"blur", &blurLocation},
                                 {"depth", &depthLocation}, {"vSParams", &sParamsLocation},
                                 {"fDoFAmnt", &dofAmountLocation}});
}

void cDoFShader::Bind() {
  UseProgram(program);
  Uniform1i(sampler0Location, TextureUnit::kDofSharp);
  Uniform1i(blurLocation, TextureUnit::kDofBlur);
  Uniform1i(depthLocation, TextureUnit::kDofDepth);
  Uniform4f(sParamsLocation, focusParams);
  Uniform1f(dofAmountLocation, dofAmount);
  BindUnit(TextureUnit::kDofSharp, GL_TEXTURE_2D, sceneTexture);
  BindUnit(TextureUnit::kDofBlur, GL_TEXTURE_2D, blurTexture);
  BindUnit(TextureUnit::kDofDepth, GL_TEXTURE_2D, depthTexture);  // unit 2 stays active
}

void cDoFShader::Unbind() {
  UseProgram(0);
  for (int unit = TextureUnit::kDofDepth; unit >= TextureUnit::kDofSharp; --unit) {
    SelectUnit(unit);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
}

// [SECTION] cDistortShader

cDistortShader::cDistortShader() : cShaderSystem("cDistortShader") {}

bool cDistortShader::CompileVertexShader() { return CompileVertex(kQuadVertexProgram); }

bool cDistortShader::CompileFragmentShader() {
  return CompileFragmentAndLink(kDistortFragmentProgram,
                                {{"sampler0", &sampler0Location},
                                 {"distortProgram", &distortProgramLocation},
                                 {"PSParameters", &psParametersLocation}, {"alpha", &alphaLocation}});
}

void cDistortShader::Bind() {
  UseProgram(program);
  Uniform1i(sampler0Location, TextureUnit::kFilterInput);
  Uniform1f(distortProgramLocation, distortProgram);
  Uniform4f(psParametersLocation, psParameters);
  Uniform1f(alphaLocation, alpha);
  BindFilterInput(sourceTexture);
}

void cDistortShader::Unbind() { UnbindFilter(); }

// [SECTION] cShadowCageShader and cBlurShader

cBlurFactorFilter::cBlurFactorFilter(const char* className, const char* fragmentProgram)
    : cShaderSystem(className), fragmentProgram(fragmentProgram) {}

bool cBlurFactorFilter::CompileVertexShader() { return CompileVertex(kQuadVertexProgram); }

bool cBlurFactorFilter::CompileFragmentShader() {
  return CompileFragmentAndLink(fragmentProgram,
                                {{"sampler0", &sampler0Location}, {"BlurFactor", &blurFactorLocation}});
}

void cBlurFactorFilter::Bind() {
  UseProgram(program);
  Uniform1i(sampler0Location, TextureUnit::kFilterInput);
  Uniform1f(blurFactorLocation, blurFactor);
  BindFilterInput(sourceTexture);
}

void cBlurFactorFilter::Unbind() { UnbindFilter(); }

cShadowCageShader::cShadowCageShader() : cBlurFactorFilter("cShadowCageShader", kShadowCageFragmentProgram) {}

cBlurShader::cBlurShader() : cBlurFactorFilter("cBlurShader", kBlurFragmentProgram) {}

}  // namespace MorlenGL
