// shader_system.cpp -- the shader base: extension test, entry-point table, compile and link, bind shapes.
#include "effects/shader_system.h"

#include "assets/vertex_attributes.h"
#include "effects/gl_driver.h"
#include "platform/diagnostics.h"

namespace MorlenGL {

// [SECTION] the base's own program pair (no scene draws with it)

namespace {

constexpr const char* kBaseVertexProgram = R"(#version 120
varying vec4 color;
void main() {
  gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
  color = gl_Color;
}
)";

constexpr const char* kBaseFragmentProgram = R"(#version 120
varying vec4 color;
void main() {
  gl_FragColor = vec4(0.0, color.g, color.b, color.a);
}
)";

constexpr int kLogSize = 4096;

template <class Pointer>
void Load(Pointer* slot, const char* name) {
  *slot = reinterpret_cast<Pointer>(CurrentGlDriver().procAddress(name));
}

}  // namespace

// [SECTION] construction, initialisation, destruction

cShaderSystem::cShaderSystem(const char* className)
    : entry{}, program(0), vertexShader(0), fragmentShader(0), className(className),
      entryPointsLoaded(false) {}

cShaderSystem::~cShaderSystem() {
  if (!entry.glDeleteObjectARB || !CurrentGlDriver().contextIsCurrent()) return;
  if (vertexShader) entry.glDeleteObjectARB(vertexShader);
  if (fragmentShader) entry.glDeleteObjectARB(fragmentShader);
  if (program) entry.glDeleteObjectARB(program);
}

bool cShaderSystem::InitProgram() {
  // 1. Extension test, substring search in this order; the table stays untouched on failure.
  const char* extensions = CurrentGlDriver().extensions();
  if (!ExtensionTextContains(extensions, "GL_ARB_shading_language_100") ||
      !ExtensionTextContains(extensions, "GL_ARB_shader_objects"))
    return false;

  // 2. All eighteen entry points by name (and the attribute binder).
  ShaderEntryPoints& e = entry;
  Load(&e.glCreateProgramObjectARB, "glCreateProgramObjectARB");
  Load(&e.glCreateShaderObjectARB, "glCreateShaderObjectARB");
  Load(&e.glLinkProgramARB, "glLinkProgramARB");
  Load(&e.glCompileShaderARB, "glCompileShaderARB");
  Load(&e.glGetInfoLogARB, "glGetInfoLogARB");
  Load(&e.glDeleteObjectARB, "glDeleteObjectARB");
  Load(&e.glUseProgramObjectARB, "glUseProgramObjectARB");
  Load(&e.glShaderSourceARB, "glShaderSourceARB");
  Load(&e.glAttachObjectARB, "glAttachObjectARB");
  Load(&e.glGetObjectParameterivARB, "glGetObjectParameterivARB");
  Load(&e.glGetUniformLocationARB, "glGetUniformLocationARB");
  Load(&e.glUniform4fARB, "glUniform4fARB");
  Load(&e.glUniform3fARB, "glUniform3fARB");
  Load(&e.glUniform2fARB, "glUniform2fARB");
  Load(&e.glUniform1fARB, "glUniform1fARB");
  Load(&e.glUniform1iARB, "glUniform1iARB");
  Load(&e.glUniform2fvARB, "glUniform2fvARB");
  Load(&e.glActiveTextureARB, "glActiveTextureARB");
  Load(&e.glBindAttribLocationARB, "glBindAttribLocationARB");

  // 3. The entry points the compile, link and bind steps cannot do without.
  if (!e.glCreateProgramObjectARB || !e.glCreateShaderObjectARB || !e.glCompileShaderARB ||
      !e.glLinkProgramARB || !e.glGetInfoLogARB || !e.glDeleteObjectARB || !e.glUseProgramObjectARB ||
      !e.glShaderSourceARB || !e.glAttachObjectARB || !e.glGetObjectParameterivARB ||
      !e.glGetUniformLocationARB || !e.glUniform4fARB || !e.glUniform2fARB || !e.glUniform1fARB ||
      !e.glUniform1iARB)
    return false;

  // 4. The program object.
  program = e.glCreateProgramObjectARB();
  entryPointsLoaded = true;
  return true;
}

// [SECTION] compile and link

bool cShaderSystem::CompileVertexShader() { return CompileVertex(kBaseVertexProgram); }
bool cShaderSystem::CompileFragmentShader() { return CompileFragmentAndLink(kBaseFragmentProgram, {}); }
bool cShaderSystem::IsReady() { return true; }

bool cShaderSystem::CompileStage(GLenum type, const char* text, GLhandleARB* handle, const char* stageName) {
  if (!entryPointsLoaded) return false;
  *handle = entry.glCreateShaderObjectARB(type);
  entry.glShaderSourceARB(*handle, 1, &text, nullptr);
  entry.glCompileShaderARB(*handle);
  GLint status = 0;
  entry.glGetObjectParameterivARB(*handle, GL_OBJECT_COMPILE_STATUS_ARB, &status);
  if (status == 0) {
    // A failed shader is neither attached nor deleted; the destructor frees it.
    LogDetail(*handle, stageName);
    return false;
  }
  return true;
}

bool cShaderSystem::CompileVertex(const char* text) {
  if (!CompileStage(GL_VERTEX_SHADER_ARB, text, &vertexShader, "vertex program did not compile")) return false;
  entry.glAttachObjectARB(program, vertexShader);
  return true;
}

bool cShaderSystem::CompileFragmentAndLink(const char* text, std::initializer_list<UniformSlot> uniforms) {
  if (!CompileStage(GL_FRAGMENT_SHADER_ARB, text, &fragmentShader, "fragment program did not compile"))
    return false;
  entry.glAttachObjectARB(program, fragmentShader);
  // The models feed tangents at one fixed location, so every program must agree on it.
  if (entry.glBindAttribLocationARB) entry.glBindAttribLocationARB(program, kTangentAttribute, "Tangent");
  entry.glLinkProgramARB(program);
  GLint status = 0;
  entry.glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &status);
  if (status == 0) {
    LogDetail(program, "program did not link");
    return false;
  }
  LookUpUniforms(uniforms);
  return true;
}

void cShaderSystem::LookUpUniforms(std::initializer_list<UniformSlot> uniforms) {
  for (const UniformSlot& slot : uniforms) *slot.location = entry.glGetUniformLocationARB(program, slot.name);
}

// The show drops these logs; verbose mode shows them so a broken program is visible in development.
void cShaderSystem::LogDetail(GLhandleARB object, const char* what) const {
  char log[kLogSize] = {};
  entry.glGetInfoLogARB(object, kLogSize, nullptr, log);
  plat::Detail("%s: %s: %s", className, what, log);
}

// [SECTION] bind and unbind pieces

void cShaderSystem::UseProgram(GLhandleARB handle) const {
  if (entryPointsLoaded) entry.glUseProgramObjectARB(handle);
}

void cShaderSystem::Uniform1i(GLint location, int value) const {
  if (entry.glUniform1iARB) entry.glUniform1iARB(location, value);
}

void cShaderSystem::Uniform1f(GLint location, float value) const {
  if (entry.glUniform1fARB) entry.glUniform1fARB(location, value);
}

void cShaderSystem::Uniform2f(GLint location, const float value[2]) const {
  if (entry.glUniform2fARB) entry.glUniform2fARB(location, value[0], value[1]);
}

void cShaderSystem::Uniform3f(GLint location, const float value[3]) const {
  Uniform3f(location, value[0], value[1], value[2]);
}

void cShaderSystem::Uniform3f(GLint location, float x, float y, float z) const {
  if (entry.glUniform3fARB) entry.glUniform3fARB(location, x, y, z);
}

void cShaderSystem::Uniform4f(GLint location, const float value[4]) const {
  if (entry.glUniform4fARB) entry.glUniform4fARB(location, value[0], value[1], value[2], value[3]);
}

void cShaderSystem::SelectUnit(int unit) const {
  // The table's pointer is loaded but not required; OpenGL 2.1 has the core call either way.
  if (entry.glActiveTextureARB)
    entry.glActiveTextureARB(GL_TEXTURE0 + unit);
  else
    glActiveTexture(GL_TEXTURE0 + unit);
}

void cShaderSystem::BindUnit(int unit, GLenum target, GLuint texture) const {
  SelectUnit(unit);
  glEnable(target);
  glBindTexture(target, texture);
}

void cShaderSystem::BindFilterInput(GLuint texture) const {
  glEnable(GL_TEXTURE_2D);
  BindUnit(TextureUnit::kFilterInput, GL_TEXTURE_2D, texture);
}

void cShaderSystem::BindSurfaceTextures(GLuint colorMap, GLuint normalMap, GLuint heightMap,
                                        GLuint specularMap, GLuint cubeMap) const {
  BindUnit(TextureUnit::kColorMap, GL_TEXTURE_2D, colorMap);
  BindUnit(TextureUnit::kNormalMap, GL_TEXTURE_2D, normalMap);
  BindUnit(TextureUnit::kHeightMap, GL_TEXTURE_2D, heightMap);
  BindUnit(TextureUnit::kSpecularMap, GL_TEXTURE_2D, specularMap);
  BindUnit(TextureUnit::kCubeMap, GL_TEXTURE_CUBE_MAP, cubeMap);
}

void cShaderSystem::UnbindFilter() const {
  UseProgram(0);
  SelectUnit(0);
}

void cShaderSystem::UnbindSurface() const {
  UseProgram(0);
  SelectUnit(TextureUnit::kCubeMap);
  glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
  glDisable(GL_TEXTURE_CUBE_MAP);
  // GL_TEXTURE_2D stays enabled on units 0 to 3.
  for (int unit = TextureUnit::kSpecularMap; unit >= TextureUnit::kColorMap; --unit) {
    SelectUnit(unit);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
}

void cShaderSystem::UnbindChromatic() const {
  UseProgram(0);
  SelectUnit(TextureUnit::kChromaticCubeMap);
  glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
  glDisable(GL_TEXTURE_CUBE_MAP);
  SelectUnit(TextureUnit::kChromaticColorMap);
  glBindTexture(GL_TEXTURE_2D, 0);
}

void SetCurrentTangent(float x, float y, float z) { glVertexAttrib3f(kTangentAttribute, x, y, z); }

}  // namespace MorlenGL
