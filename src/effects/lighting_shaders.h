// lighting_shaders.h -- the per-pixel lighting programs: the two-light family and cNormalMapping.
#pragma once
#include <initializer_list>

#include "assets/camera.h"
#include "assets/texture_system.h"
#include "effects/shader_system.h"

namespace MorlenGL {

// What every five-texture surface program shares: the four maps and the cube map, one light
// direction, the material factors, and the bind pieces they are sent with. Parameters are public:
// scenes write them between frames. Locations start at -1 so a failed link leaves writes ignored.
class cSurfaceProgram : public cShaderSystem {
 public:
  // Releases the five units; GL_TEXTURE_2D stays enabled on units 0 to 3, unit 0 is left active.
  void Unbind();

  GLuint cubeMapTexture = 0;
  GLuint colorMapTexture = 0;
  GLuint normalMapTexture = 0;
  GLuint heightMapTexture = 0;
  GLuint specularMapTexture = 0;
  // Sent as it is: the programs treat this "position" as an eye-space direction.
  float lightPosition[3] = {10.0f, 5.0f, 2.0f};
  float r = 0.0f;
  float specPower = 32.0f;
  float specOverdrive = 1.0f;
  float ai = 0.2f;
  // "Tangent" is an attribute and "LightDir" and "EyeDir" are varyings: all three stay -1.
  GLint tangentLocation = -1, lightDirLocation = -1, eyeDirLocation = -1, lightPositionLocation = -1,
        normalMapLocation = -1, colorMapLocation = -1, heightMapLocation = -1, specularMapLocation = -1,
        cubeMapLocation = -1, vEyeLocation = -1, rLocation = -1, specPowerLocation = -1,
        specOverdriveLocation = -1, aiLocation = -1;

 protected:
  // Returns a program text, assembled on first use.
  using ProgramText = const char* (*)();
  explicit cSurfaceProgram(const char* className) : cShaderSystem(className) {}

  // Compiles, attaches and links, then looks up head and tail in that order.
  bool LinkAndLookUp(const char* fragmentText, std::initializer_list<UniformSlot> head,
                     std::initializer_list<UniformSlot> tail);
  // Use the program; samplers CubeMap 4, SpecularMap 3, HeightMap 2, NormalMap 1, ColorMap 0.
  void UseWithSamplers() const;
  void SendEye(const Camera& camera) const;
  // r, SpecPower, SpecOverdrive and Ai.
  void SendMaterial() const;
  // Units 0 to 3 and the cube map on unit 4, which stays active. The models feed tangents only
  // for mapped objects, so everything else drawn under this bind gets a fixed unit tangent
  // instead of OpenGL's default (0, 0, 0), which the programs would normalise.
  void BindMaps() const;
};

// The two-light layout shared by cNPMultiLight, its members and cMLWaterShader.
class cMultiLightProgram : public cSurfaceProgram {
 public:
  bool CompileVertexShader() override;

  float lightPosition2[3] = {-10.0f, 5.0f, 2.0f};
  float lightColor[3] = {0.8f, 0.4f, 0.4f};
  float light2Color[3] = {0.4f, 0.4f, 0.8f};
  GLint lightPosition2Location = -1, lightColorLocation = -1, light2ColorLocation = -1;

 protected:
  cMultiLightProgram(const char* className, ProgramText vertexText, ProgramText fragmentText);
  // The family's seventeen names from "Tangent" to "Light2Color", then the member's tail.
  bool LinkFamily(std::initializer_list<UniformSlot> tail);
  // LightPosition, LightPosition2, LightColor, Light2Color, then (0, 0, 0) to "Tangent".
  void SendLights() const;

  ProgramText vertexText;
  ProgramText fragmentText;
};

// Two coloured directional lights, colour, normal and specular maps, exponential-squared fog.
class cNPMultiLight : public cMultiLightProgram {
 public:
  cNPMultiLight();
  bool CompileFragmentShader() override;
  void Bind(Camera camera);

  float fogDensity = 0.0f;
  float fogColor[3] = {0.0f, 0.0f, 0.0f};
  GLint fogDensityLocation = -1, fogColorLocation = -1;
};

// cNPMultiLight without fog, every vertex pushed back along (1, 1, 1, 1) by time x its normal sum.
class cNPMultiLightShatter : public cMultiLightProgram {
 public:
  cNPMultiLightShatter();
  bool CompileFragmentShader() override;
  void Bind(Camera camera);

  float time = 0.0f;
  GLint timeLocation = -1;
};

// Below clip-space height isUW: a wobble and fog (distance from the fog coordinate); none above.
class cNPMultiLightUW : public cMultiLightProgram {
 public:
  cNPMultiLightUW();
  bool CompileFragmentShader() override;
  void Bind(Camera camera);

  float timer = 0.0f;
  float isUW = 0.0f;
  float fogDensity = 0.0f;
  float fogColor[3] = {0.0f, 0.0f, 0.0f};
  GLint fogDensityLocation = -1, fogColorLocation = -1, isUWLocation = -1, timerLocation = -1;
};

// cNPMultiLight with every vertex moved along its normal by a wave that changes with time.
class cVertexDistort : public cMultiLightProgram {
 public:
  cVertexDistort();
  bool CompileFragmentShader() override;
  void Bind(Camera camera);

  float time = 0.0f;
  float fogDensity = 0.0f;
  float fogColor[3] = {0.0f, 0.0f, 0.0f};
  GLint fogDensityLocation = -1, fogColorLocation = -1, timeLocation = -1;
};

// One light, fixed ambient 0.2, reflection-vector specular. Nothing sets its uniforms, so they
// keep OpenGL's zero defaults (both samplers on unit 0).
class cNormalMapping : public cShaderSystem {
 public:
  cNormalMapping();
  bool CompileVertexShader() override;
  bool CompileFragmentShader() override;
  // Uses the program and binds the colour map on unit 0, the normal map on unit 1 (left active).
  void Bind(Camera camera);
  void Unbind();

  cTextureSystem colorMap;
  cTextureSystem normalMap;
  GLint colorMapLocation = -1, normalMapLocation = -1, lightDirLocation = -1, eyeDirLocation = -1,
        lightPositionLocation = -1, tangentLocation = -1, surfaceColorLocation = -1,
        bumpDensityLocation = -1, bumpSizeLocation = -1, specularFactorLocation = -1;
};

}  // namespace MorlenGL
