// environment_shaders.h -- cube-map reflection, water, chromatic refraction and ring wave programs.
#pragma once
#include "effects/lighting_shaders.h"

namespace MorlenGL {

// One white light; the cube-map reflection and the colour map are each lit, fogged and mixed by
// r (0 all reflection, 1 all colour map).
class cCubeMapFamily : public cSurfaceProgram {
 public:
  bool CompileVertexShader() override;

  float fogDensity = 0.0f;
  float fogColor[3] = {0.0f, 0.0f, 0.0f};
  GLint fogDensityLocation = -1, fogColorLocation = -1;

 protected:
  cCubeMapFamily(const char* className, ProgramText vertexText, ProgramText fragmentText);
  // The family's fifteen names from "LightPosition" to "Ai" ("LightPosition" twice), then the tail.
  bool LinkFamily(std::initializer_list<UniformSlot> tail);
  // LightPosition, then (0, 0, 0) to "Tangent".
  void SendLight() const;

  ProgramText vertexText;
  ProgramText fragmentText;
};

class cCubeMapShader : public cCubeMapFamily {
 public:
  cCubeMapShader();
  bool CompileFragmentShader() override;
  void Bind(Camera camera);
};

// Parallax from the height map; below clip-space height isUW a wobble and fog, none above.
class cCubeMapShaderUW : public cCubeMapFamily {
 public:
  cCubeMapShaderUW();
  bool CompileFragmentShader() override;
  void Bind(Camera camera);

  float timer = 0.0f;
  float isUW = 0.0f;
  GLint isUWLocation = -1, timerLocation = -1;
};

// A moving wave on the surface, parallax, two scrolling normal samples, opaque and unfogged.
class cWaterShaderUW : public cCubeMapFamily {
 public:
  cWaterShaderUW();
  bool CompileFragmentShader() override;
  void Bind(Camera camera);

  float timer = 0.0f;
  GLint timerLocation = -1;
};

// The two-light programs with normal and colour maps scrolling by timer.
class cMLWaterShader : public cMultiLightProgram {
 public:
  cMLWaterShader();
  bool CompileFragmentShader() override;
  void Bind(Camera camera);

  float timer = 0.0f;
  float fogDensity = 0.0f;
  float fogColor[3] = {0.0f, 0.0f, 0.0f};
  GLint fogDensityLocation = -1, fogColorLocation = -1, timerLocation = -1;
};

// Fresnel reflection and refraction of the cube map, one index per colour channel; the colour map
// perturbs the normal.
class cChromaticRefractShader : public cShaderSystem {
 public:
  cChromaticRefractShader();
  bool CompileVertexShader() override;
  bool CompileFragmentShader() override;
  // The camera is accepted for the common shape and not read. Unit 1 is left active.
  void Bind(Camera camera);
  void Unbind();

  GLuint colorMapTexture = 0;
  GLuint cubeMapTexture = 0;
  float refractionIndex = 1.0f;
  GLint cubeMapLocation = -1, colorMapLocation = -1, refractionIndexLocation = -1;
};

// The mesh wobbled along its normals, drawn in transparent black (the texture is not read).
class cRingWaveShader : public cShaderSystem {
 public:
  cRingWaveShader();
  bool CompileVertexShader() override;
  using cShaderSystem::CompileFragmentShader;  // slot 1 stays the base's own pair
  // What the scene calls, with a render target's size (stored, not used).
  bool CompileFragmentShader(float width, float height);
  void Bind();
  void Unbind();

  GLuint sourceTexture = 0;
  float time = 0.0f;
  GLint sampler0Location = -1, timeLocation = -1;
  float width = 0.0f;
  float height = 0.0f;
};

}  // namespace MorlenGL
