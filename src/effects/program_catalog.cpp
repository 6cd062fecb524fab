// program_catalog.cpp -- the list of program classes and how each is built.
#include "effects/program_catalog.h"

#include "effects/environment_shaders.h"
#include "effects/lighting_shaders.h"
#include "effects/post_filters.h"

namespace MorlenGL {

namespace {

// Every step runs whatever the one before returned, as in the scenes.
template <class Program>
std::unique_ptr<cShaderSystem> Build() {
  auto program = std::make_unique<Program>();
  program->InitProgram();
  program->CompileVertexShader();
  if constexpr (requires(Program& p) { p.CompileFragmentShader(512.0f, 384.0f); })
    program->CompileFragmentShader(512.0f, 384.0f);
  else
    program->CompileFragmentShader();
  return program;
}

constexpr ProgramClass kClasses[] = {
    {"cShaderSystem", Build<cShaderSystem>},
    {"cGaussianBlurShader", Build<cGaussianBlurShader>},
    {"cRadialBlurShader", Build<cRadialBlurShader>},
    {"cDoFShader", Build<cDoFShader>},
    {"cDistortShader", Build<cDistortShader>},
    {"cShadowCageShader", Build<cShadowCageShader>},
    {"cBlurShader", Build<cBlurShader>},
    {"cNPMultiLight", Build<cNPMultiLight>},
    {"cNPMultiLightShatter", Build<cNPMultiLightShatter>},
    {"cNPMultiLightUW", Build<cNPMultiLightUW>},
    {"cVertexDistort", Build<cVertexDistort>},
    {"cNormalMapping", Build<cNormalMapping>},
    {"cCubeMapShader", Build<cCubeMapShader>},
    {"cCubeMapShaderUW", Build<cCubeMapShaderUW>},
    {"cWaterShaderUW", Build<cWaterShaderUW>},
    {"cMLWaterShader", Build<cMLWaterShader>},
    {"cChromaticRefractShader", Build<cChromaticRefractShader>},
    {"cRingWaveShader", Build<cRingWaveShader>},
};

}  // namespace

std::span<const ProgramClass> ProgramClasses() { return kClasses; }

}  // namespace MorlenGL
