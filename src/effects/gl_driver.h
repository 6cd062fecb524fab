// gl_driver.h -- where the effects read the driver's extension string and entry points; tests and tools swap in others.
#pragma once

namespace MorlenGL {

struct GlDriver {
  const char* (*extensions)();            // the GL_EXTENSIONS string; nullptr counts as empty
  void* (*procAddress)(const char* name); // an entry point by name, or nullptr
  bool (*contextIsCurrent)();             // false once the context is gone (process exit)
};

// The hooks in use: the real driver unless a test installed others.
const GlDriver& CurrentGlDriver();
void SetGlDriver(const GlDriver& driver);
void UseRealGlDriver();

// Plain substring search, as the shader extension test does it ("GL_ARB_shader_objects" also
// matches inside a longer name). A null list holds nothing.
bool ExtensionTextContains(const char* list, const char* name);
// Whole-name search in a space-separated list, as an extension loader reports support.
bool ExtensionListHas(const char* list, const char* name);

}  // namespace MorlenGL
