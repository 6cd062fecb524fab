// post_filters.h -- the image filters drawn over a full-screen quad: blur, radial blur, depth of field, distortion.
#pragma once
#include "effects/shader_system.h"

namespace MorlenGL {

// Every filter reads its input on unit 0 (depth of field also 1 and 2). Parameters are public:
// scenes write them between frames. Locations start at -1 so a failed link leaves writes ignored.

// 3x3 binomial blur, then a bright-pass by bloom and an alpha factor.
class cGaussianBlurShader : public cShaderSystem {
 public:
  cGaussianBlurShader();
  bool CompileVertexShader() override;
  using cShaderSystem::CompileFragmentShader;  // slot 1 stays the base's own pair
  // What the scenes call: width and height are the pixel size of the target being filtered.
  bool CompileFragmentShader(float width, float height);
  void Bind();
  void Unbind();

  GLuint sourceTexture = 0;
  float blurFactor = 0.01f;
  float bloom = 0.0f;
  GLint sampler0Location = -1, blurFactorLocation = -1, widthLocation = -1, heightLocation = -1,
        alphaLocation = -1, bloomLocation = -1;
  float width = 0.0f;
  float height = 0.0f;
  float alpha = 1.0f;
};

// Zoom blur: iterations taps scaled about center from start to start + scale.
class cRadialBlurShader : public cShaderSystem {
 public:
  cRadialBlurShader();
  bool CompileVertexShader() override;
  bool CompileFragmentShader() override;
  void Bind();
  void Unbind();

  GLuint sourceTexture = 0;
  float start = 1.0f;
  float scale = -0.2f;
  float alpha = 1.0f;
  int iterations = 16;
  float center[2] = {0.5f, 0.5f};
  GLint sampler0Location = -1, centerLocation = -1, iterationsLocation = -1, startLocation = -1,
        scaleLocation = -1, alphaLocation = -1;
};

// Blends the sharp and the blurred image by the eye distance's offset from the focal plane.
class cDoFShader : public cShaderSystem {
 public:
  cDoFShader();
  bool CompileVertexShader() override;
  bool CompileFragmentShader() override;
  void Bind();
  void Unbind();

  GLuint sceneTexture = 0;
  GLuint blurTexture = 0;
  GLuint depthTexture = 0;
  // x focal distance, y focal range, z near plane, w far / (far - near).
  float focusParams[4];
  float dofAmount = 0.0f;
  GLint sampler0Location = -1, blurLocation = -1, depthLocation = -1, sParamsLocation = -1,
        dofAmountLocation = -1;
};

// Numbered coordinate distortions (0 to 6, 8, 10) and a black-and-white threshold (9).
class cDistortShader : public cShaderSystem {
 public:
  cDistortShader();
  bool CompileVertexShader() override;
  bool CompileFragmentShader() override;
  void Bind();
  void Unbind();

  GLuint sourceTexture = 0;
  float distortProgram = 0.0f;  // a program number, compared exactly
  float psParameters[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float alpha = 1.0f;
  // The program's sampler is called "sampler", so this stays -1 and the sampler keeps unit 0.
  GLint sampler0Location = -1;
  GLint distortProgramLocation = -1, psParametersLocation = -1, alphaLocation = -1;
};

// The shape the shadow cage and the Poisson blur share: one input on unit 0 and a BlurFactor.
class cBlurFactorFilter : public cShaderSystem {
 public:
  bool CompileVertexShader() override;
  bool CompileFragmentShader() override;
  void Bind();
  void Unbind();

  GLuint sourceTexture = 0;
  float blurFactor = 0.01f;
  GLint sampler0Location = -1, blurFactorLocation = -1;

 protected:
  cBlurFactorFilter(const char* className, const char* fragmentProgram);

 private:
  const char* fragmentProgram;
};

// Opaque black below height blurFactor of the quad, transparent above, with a 0.02 soft band.
class cShadowCageShader : public cBlurFactorFilter {
 public:
  cShadowCageShader();
};

// 13-tap Poisson-disc blur; the taps are divided by 10, brightening by 1.3.
class cBlurShader : public cBlurFactorFilter {
 public:
  cBlurShader();
};

}  // namespace MorlenGL
