// program_report.cpp -- "programs [CLASS] [--compile]": each program class's texts and uniform
// lookups as the engine hands them to the driver, and with --compile the driver's verdict.
#include <epoxy/gl.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "effects/gl_driver.h"
#include "effects/program_catalog.h"
#include "platform/diagnostics.h"
#include "platform/gl_proc_address.h"
#include "platform/window_backend.h"
#include "reports.h"

namespace inspect {

namespace {

using MorlenGL::cShaderSystem;

// [SECTION] what the shader base hands the driver
// The texts are taken where they leave the engine, so what is printed is what is compiled.

struct Handed {
  std::map<GLhandleARB, GLenum> shaderTypes;
  std::string vertex, fragment;
  std::vector<std::string> uniforms;  // in lookup order
};
Handed handed;

// With --compile the notes pass each call on to the real driver; without, nothing is compiled.
struct {
  bool passOn = false;
  GLhandleARB nextHandle = 1;
  PFNGLCREATESHADEROBJECTARBPROC createShader = nullptr;
  PFNGLSHADERSOURCEARBPROC shaderSource = nullptr;
  PFNGLGETUNIFORMLOCATIONARBPROC uniformLocation = nullptr;
} driver;

GLhandleARB NoteCreateShader(GLenum type) {
  const GLhandleARB shader = driver.passOn ? driver.createShader(type) : driver.nextHandle++;
  handed.shaderTypes[shader] = type;
  return shader;
}

void NoteShaderSource(GLhandleARB shader, GLsizei count, const GLcharARB** strings, const GLint* lengths) {
  std::string& text = handed.shaderTypes[shader] == GL_VERTEX_SHADER_ARB ? handed.vertex : handed.fragment;
  for (GLsizei i = 0; i < count; ++i) {
    if (lengths && lengths[i] >= 0)
      text.append(strings[i], lengths[i]);
    else
      text.append(strings[i]);
  }
  if (driver.passOn) driver.shaderSource(shader, count, strings, lengths);
}

GLint NoteUniformLocation(GLhandleARB program, const GLcharARB* name) {
  handed.uniforms.push_back(name);
  return driver.passOn ? driver.uniformLocation(program, name) : -1;
}

// [SECTION] a driver that accepts every program without compiling anything

GLhandleARB AcceptCreateProgram() { return driver.nextHandle++; }
void AcceptObject(GLhandleARB) {}  // compile, link, delete, use
void AcceptAttach(GLhandleARB, GLhandleARB) {}
void AcceptBindAttribute(GLhandleARB, GLuint, const GLcharARB*) {}
void AcceptStatus(GLhandleARB, GLenum, GLint* value) { *value = 1; }
void AcceptInfoLog(GLhandleARB, GLsizei size, GLsizei* length, GLcharARB* log) {
  if (size > 0) log[0] = '\0';
  if (length) *length = 0;
}
void AcceptUniform1i(GLint, GLint) {}
void AcceptUniform1f(GLint, GLfloat) {}
void AcceptUniform2f(GLint, GLfloat, GLfloat) {}
void AcceptUniform4f(GLint, GLfloat, GLfloat, GLfloat, GLfloat) {}

template <class F>
void* Address(F f) { return reinterpret_cast<void*>(f); }

void* NotedAddress(std::string_view name) {
  if (name == "glCreateShaderObjectARB") return Address(NoteCreateShader);
  if (name == "glShaderSourceARB") return Address(NoteShaderSource);
  if (name == "glGetUniformLocationARB") return Address(NoteUniformLocation);
  return nullptr;
}

void* AcceptingProcAddress(const char* name) {
  static const std::map<std::string_view, void*> table = {
      {"glCreateProgramObjectARB", Address(AcceptCreateProgram)},
      {"glCompileShaderARB", Address(AcceptObject)},
      {"glLinkProgramARB", Address(AcceptObject)},
      {"glDeleteObjectARB", Address(AcceptObject)},
      {"glUseProgramObjectARB", Address(AcceptObject)},
      {"glAttachObjectARB", Address(AcceptAttach)},
      {"glBindAttribLocationARB", Address(AcceptBindAttribute)},
      {"glGetObjectParameterivARB", Address(AcceptStatus)},
      {"glGetInfoLogARB", Address(AcceptInfoLog)},
      {"glUniform1iARB", Address(AcceptUniform1i)},
      {"glUniform1fARB", Address(AcceptUniform1f)},
      {"glUniform2fARB", Address(AcceptUniform2f)},
      {"glUniform4fARB", Address(AcceptUniform4f)},
  };
  if (void* noted = NotedAddress(name)) return noted;
  const auto it = table.find(name);
  return it == table.end() ? nullptr : it->second;
}

const char* AcceptingExtensions() { return "GL_ARB_shading_language_100 GL_ARB_shader_objects"; }
bool NoContext() { return false; }

// The notes stand in only for entry points the driver has, so a missing one stays missing.
void* PassingProcAddress(const char* name) {
  void* real = plat::GlProcAddress(name);
  void* noted = NotedAddress(name);
  return real && noted ? noted : real;
}

// Needs the headless context current.
void UsePassingDriver() {
  MorlenGL::UseRealGlDriver();
  MorlenGL::GlDriver real = MorlenGL::CurrentGlDriver();
  driver.passOn = true;
  driver.createShader = reinterpret_cast<PFNGLCREATESHADEROBJECTARBPROC>(real.procAddress("glCreateShaderObjectARB"));
  driver.shaderSource = reinterpret_cast<PFNGLSHADERSOURCEARBPROC>(real.procAddress("glShaderSourceARB"));
  driver.uniformLocation =
      reinterpret_cast<PFNGLGETUNIFORMLOCATIONARBPROC>(real.procAddress("glGetUniformLocationARB"));
  real.procAddress = PassingProcAddress;
  MorlenGL::SetGlDriver(real);
}

// [SECTION] the report

void PrintText(const char* heading, const std::string& text) {
  printf("--- %s\n%s", heading, text.c_str());
  if (text.empty() || text.back() != '\n') printf("\n");
}

std::string InfoLog(const cShaderSystem& program, GLhandleARB object) {
  char log[4096] = {};
  program.entry.glGetInfoLogARB(object, sizeof log, nullptr, log);
  return log;
}

bool Status(const cShaderSystem& program, GLhandleARB object, GLenum which) {
  GLint status = 0;
  if (object) program.entry.glGetObjectParameterivARB(object, which, &status);
  return status != 0;
}

// One step's verdict and the driver's log for it, when it wrote one.
void PrintVerdict(const char* step, bool ok, const char* good, const std::string& log) {
  printf("--- %s: %s\n", step, ok ? good : "FAILED");
  if (!log.empty()) printf("%s%s", log.c_str(), log.back() == '\n' ? "" : "\n");
}

// Returns whether the program linked.
bool PrintCompileResults(const cShaderSystem& program) {
  if (!program.program) {
    printf("--- not built: the driver offers no shader objects\n");
    return false;
  }
  const bool linked = Status(program, program.program, GL_OBJECT_LINK_STATUS_ARB);
  PrintVerdict("vertex compile", Status(program, program.vertexShader, GL_OBJECT_COMPILE_STATUS_ARB),
               "compiled", program.vertexShader ? InfoLog(program, program.vertexShader) : "");
  PrintVerdict("fragment compile", Status(program, program.fragmentShader, GL_OBJECT_COMPILE_STATUS_ARB),
               "compiled", program.fragmentShader ? InfoLog(program, program.fragmentShader) : "");
  PrintVerdict("link", linked, "linked", InfoLog(program, program.program));
  return linked;
}

bool Report(const MorlenGL::ProgramClass& programClass, bool compile) {
  handed = Handed{};
  std::unique_ptr<cShaderSystem> program = programClass.build();
  printf("=== %s\n", programClass.name);
  printf("uniforms in lookup order:");
  for (const std::string& name : handed.uniforms) printf(" %s", name.c_str());
  // Looked up only after a link: a failed one leaves this empty too.
  if (handed.uniforms.empty()) printf(" (none)");
  printf("\n");
  PrintText("vertex program", handed.vertex);
  PrintText("fragment program", handed.fragment);
  const bool linked = !compile || PrintCompileResults(*program);
  printf("\n");
  return linked;
}

int UnknownClass(const std::string& name) {
  std::string names;
  for (const MorlenGL::ProgramClass& c : MorlenGL::ProgramClasses()) names += std::string(" ") + c.name;
  fprintf(stderr, "tolvane-inspect: no program class \"%s\"; the classes are:%s\n", name.c_str(), names.c_str());
  return kBadArguments;
}

}  // namespace

int InspectPrograms(const std::string& className, bool compile) {
  std::vector<const MorlenGL::ProgramClass*> chosen;
  for (const MorlenGL::ProgramClass& c : MorlenGL::ProgramClasses())
    if (className.empty() || className == c.name) chosen.push_back(&c);
  if (chosen.empty()) return UnknownClass(className);

  std::unique_ptr<plat::WindowBackend> backend;
  if (compile) {
    backend = plat::CreateHeadlessBackend();
    std::string error;
    if (!backend->Create(plat::WindowDesc{}, &error)) {
      plat::Report("programs --compile: no headless OpenGL context (%s)", error.c_str());
      return kBadInput;
    }
    UsePassingDriver();
  } else {
    MorlenGL::SetGlDriver({AcceptingExtensions, AcceptingProcAddress, NoContext});
  }

  int linked = 0;
  for (const MorlenGL::ProgramClass* c : chosen) linked += Report(*c, compile);
  if (!compile) return kOk;
  printf("%d of %zu programs linked\n", linked, chosen.size());
  MorlenGL::UseRealGlDriver();
  return linked == static_cast<int>(chosen.size()) ? kOk : kBadInput;
}

}  // namespace inspect
