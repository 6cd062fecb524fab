// program_catalog.h -- every program class of the engine by name, built as the scenes build it.
#pragma once
#include <memory>
#include <span>

#include "effects/shader_system.h"

namespace MorlenGL {

// For tools and tests that go through all programs: the classes carry their own texts and
// uniform orders, so building one is the only way to see what it hands the driver.
struct ProgramClass {
  const char* name;
  // A new object of the class after InitProgram, CompileVertexShader and the fragment step the
  // scenes call (a 512 x 384 target for the classes that take a size), whatever each returned.
  std::unique_ptr<cShaderSystem> (*build)();
};

// The base's own pair first, then the filters, the lighting and the environment programs.
std::span<const ProgramClass> ProgramClasses();

}  // namespace MorlenGL
