// shader_system_test.cpp -- the shader base on a fake driver (extension test, compile, link, teardown) and on real GL.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "assets/vertex_attributes.h"
#include "assets/geometry.h"
#include "effects/gl_driver.h"
#include "effects/shader_system.h"
#include "gl_harness.h"
#include "platform/diagnostics.h"
#include "scenes/scene_kit.h"
#include "support/gl_context.h"

using MorlenGL::cShaderSystem;

namespace {

// [SECTION] a fake driver that records every call made through the table

struct FakeDriver {
  std::string extensions = "GL_ARB_shading_language_100 GL_ARB_shader_objects";
  std::vector<std::string> lookups;        // names asked for
  std::vector<std::string> missing;        // names that resolve to nullptr
  std::vector<std::string> calls;          // "name arg" per call through the table
  int compileStatus = 1, linkStatus = 1;
  GLhandleARB failingShader = 0;           // this one shader fails to compile, whatever compileStatus

  bool contextCurrent = true;
  GLhandleARB nextHandle = 100;
};
FakeDriver* fake = nullptr;

void Record(const std::string& call) { fake->calls.push_back(call); }
std::string Str(unsigned v) { return std::to_string(v); }

GLhandleARB FakeCreateProgram() { Record("CreateProgram"); return fake->nextHandle++; }
GLhandleARB FakeCreateShader(GLenum type) { Record("CreateShader " + Str(type)); return fake->nextHandle++; }
void FakeLink(GLhandleARB p) { Record("Link " + Str(p)); }
void FakeCompile(GLhandleARB s) { Record("Compile " + Str(s)); }
void FakeInfoLog(GLhandleARB o, GLsizei max, GLsizei*, GLcharARB* log) {
  Record("InfoLog " + Str(o) + " " + std::to_string(max));
  std::strcpy(log, "0:1: syntax error");
}
void FakeDelete(GLhandleARB o) { Record("Delete " + Str(o)); }
void FakeUse(GLhandleARB p) { Record("Use " + Str(p)); }
void FakeSource(GLhandleARB s, GLsizei n, const GLcharARB**, const GLint* lengths) {
  Record("Source " + Str(s) + " " + std::to_string(n) + (lengths ? " lengths" : " nul"));
}
void FakeAttach(GLhandleARB p, GLhandleARB s) { Record("Attach " + Str(p) + " " + Str(s)); }
void FakeParameter(GLhandleARB object, GLenum pname, GLint* v) {
  if (pname == GL_OBJECT_COMPILE_STATUS_ARB)
    *v = object == fake->failingShader ? 0 : fake->compileStatus;
  else
    *v = fake->linkStatus;
}
GLint FakeLocation(GLhandleARB, const GLcharARB* name) {
  Record(std::string("Location ") + name);
  return static_cast<GLint>(fake->calls.size());
}
void FakeUniform1i(GLint l, GLint v) { Record("Uniform1i " + std::to_string(l) + " " + std::to_string(v)); }
void FakeBindAttrib(GLhandleARB p, GLuint index, const GLcharARB* name) {
  Record("BindAttrib " + Str(p) + " " + Str(index) + " " + name);
}
void FakeAny() {}

template <class F>
void* Address(F f) { return reinterpret_cast<void*>(f); }

void* FakeProcAddress(const char* name) {
  fake->lookups.push_back(name);
  for (const std::string& m : fake->missing)
    if (m == name) return nullptr;
  static const std::map<std::string, void*> table = {
      {"glCreateProgramObjectARB", Address(FakeCreateProgram)},
      {"glCreateShaderObjectARB", Address(FakeCreateShader)},
      {"glLinkProgramARB", Address(FakeLink)},
      {"glCompileShaderARB", Address(FakeCompile)},
      {"glGetInfoLogARB", Address(FakeInfoLog)},
      {"glDeleteObjectARB", Address(FakeDelete)},
      {"glUseProgramObjectARB", Address(FakeUse)},
      {"glShaderSourceARB", Address(FakeSource)},
      {"glAttachObjectARB", Address(FakeAttach)},
      {"glGetObjectParameterivARB", Address(FakeParameter)},
      {"glGetUniformLocationARB", Address(FakeLocation)},
      {"glUniform1iARB", Address(FakeUniform1i)},
      {"glBindAttribLocationARB", Address(FakeBindAttrib)},
  };
  auto it = table.find(name);
  return it != table.end() ? it->second : Address(FakeAny);  // uniform setters are never called here
}

const char* FakeExtensions() { return fake->extensions.empty() ? nullptr : fake->extensions.c_str(); }
bool FakeContextCurrent() { return fake->contextCurrent; }

class FakeDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake = &driver;
    MorlenGL::SetGlDriver({FakeExtensions, FakeProcAddress, FakeContextCurrent});
    plat::CaptureDiagnostics(&diagnostics);
  }
  void TearDown() override {
    plat::CaptureDiagnostics(nullptr);
    plat::SetVerbose(false);
    MorlenGL::UseRealGlDriver();
    fake = nullptr;
  }
  FakeDriver driver;
  std::vector<std::string> diagnostics;
};

// A class of the family shape: its own texts and a uniform order.
struct ProbeShader : cShaderSystem {
  GLint first = -7, second = -7;
  ProbeShader() : cShaderSystem("ProbeShader") {}
  bool CompileFragmentShader() override {
    return CompileFragmentAndLink("fragment text", {{"First", &first}, {"Second", &second}});
  }
};

bool TableIsEmpty(const MorlenGL::ShaderEntryPoints& e) {
  static const MorlenGL::ShaderEntryPoints zero{};
  return std::memcmp(&e, &zero, sizeof e) == 0;
}

// [SECTION] InitProgram's extension and entry-point tests

TEST_F(FakeDriverTest, MissingShadingLanguageLeavesTableUntouched) {
  driver.extensions = "GL_ARB_shader_objects GL_EXT_framebuffer_object";
  ProbeShader shader;
  EXPECT_FALSE(shader.InitProgram());
  EXPECT_TRUE(driver.lookups.empty());
  EXPECT_TRUE(TableIsEmpty(shader.entry));
  EXPECT_EQ(shader.program, 0u);

  driver.extensions = "GL_ARB_shading_language_100";  // the other one missing
  EXPECT_FALSE(shader.InitProgram());
  driver.extensions.clear();  // the driver returns no string at all
  EXPECT_FALSE(shader.InitProgram());
  EXPECT_TRUE(driver.lookups.empty());
}

TEST_F(FakeDriverTest, ExtensionTestIsASubstringSearch) {
  driver.extensions = "GL_ARB_shading_language_100_extra XGL_ARB_shader_objects";
  ProbeShader shader;
  EXPECT_TRUE(shader.InitProgram());
  EXPECT_EQ(driver.lookups.front(), "glCreateProgramObjectARB");
}

TEST_F(FakeDriverTest, RequiredEntryPointMissingCreatesNoProgram) {
  for (const char* name : {"glUniform1iARB", "glGetUniformLocationARB", "glCreateProgramObjectARB"}) {
    driver.missing = {name};
    driver.calls.clear();
    ProbeShader shader;
    EXPECT_FALSE(shader.InitProgram()) << name;
    EXPECT_EQ(shader.program, 0u) << name;
    EXPECT_FALSE(shader.CompileVertexShader()) << name;  // later steps are harmless no-ops
    EXPECT_TRUE(driver.calls.empty()) << name;
  }
}

TEST_F(FakeDriverTest, OptionalEntryPointsAreNotTested) {
  driver.missing = {"glUniform3fARB", "glUniform2fvARB", "glActiveTextureARB"};
  ProbeShader shader;
  EXPECT_TRUE(shader.InitProgram());
  EXPECT_EQ(shader.program, 100u);
  EXPECT_EQ(driver.lookups.size(), 19u);  // the eighteen and the attribute binder
}

// [SECTION] compile, link and lookup order

TEST_F(FakeDriverTest, SuccessfulBuildAttachesBindsTangentLinksAndLooksUpInOrder) {
  ProbeShader shader;
  ASSERT_TRUE(shader.InitProgram());
  ASSERT_TRUE(shader.CompileVertexShader());
  ASSERT_TRUE(shader.CompileFragmentShader());
  const std::vector<std::string> expected = {
      "CreateProgram",
      "CreateShader " + Str(GL_VERTEX_SHADER_ARB), "Source 101 1 nul", "Compile 101", "Attach 100 101",
      "CreateShader " + Str(GL_FRAGMENT_SHADER_ARB), "Source 102 1 nul", "Compile 102", "Attach 100 102",
      "BindAttrib 100 " + Str(MorlenGL::kTangentAttribute) + " Tangent", "Link 100",
      "Location First", "Location Second"};
  EXPECT_EQ(driver.calls, expected);
  EXPECT_EQ(shader.first, 12);  // each location is the one returned for its own name
  EXPECT_EQ(shader.second, 13);
}

TEST_F(FakeDriverTest, CompileFailureReadsLogQuietlyAndAttachesNothing) {
  driver.compileStatus = 0;
  ProbeShader shader;
  ASSERT_TRUE(shader.InitProgram());
  EXPECT_FALSE(shader.CompileVertexShader());
  EXPECT_EQ(driver.calls.back(), "InfoLog 101 4096");
  EXPECT_EQ(shader.vertexShader, 101u);  // kept for the destructor
  EXPECT_TRUE(diagnostics.empty());      // the show prints nothing

  plat::SetVerbose(true);
  EXPECT_FALSE(shader.CompileFragmentShader());
  for (const std::string& call : driver.calls) EXPECT_EQ(call.rfind("Attach", 0), std::string::npos) << call;
  ASSERT_EQ(diagnostics.size(), 1u);
  EXPECT_NE(diagnostics[0].find("ProbeShader"), std::string::npos);
  EXPECT_NE(diagnostics[0].find("fragment"), std::string::npos);
  EXPECT_NE(diagnostics[0].find("syntax error"), std::string::npos);
}

TEST_F(FakeDriverTest, LinkFailureLooksUpNoUniform) {
  driver.linkStatus = 0;
  ProbeShader shader;
  ASSERT_TRUE(shader.InitProgram());
  EXPECT_FALSE(shader.CompileFragmentShader());
  EXPECT_EQ(driver.calls.back(), "InfoLog 100 4096");
  EXPECT_EQ(shader.first, -7);
  EXPECT_EQ(shader.second, -7);
}

// The scenes build every program with all steps whatever each returned.
TEST_F(FakeDriverTest, SceneBuildRunsEveryStepAfterAFailure) {
  driver.failingShader = 101;  // the vertex program
  ProbeShader shader;
  MorlenGL::BuildProgram(shader);
  const std::vector<std::string> afterVertex(driver.calls.begin() + 4, driver.calls.end());
  const std::vector<std::string> expected = {
      "InfoLog 101 4096",
      "CreateShader " + Str(GL_FRAGMENT_SHADER_ARB), "Source 102 1 nul", "Compile 102", "Attach 100 102",
      "BindAttrib 100 " + Str(MorlenGL::kTangentAttribute) + " Tangent", "Link 100",
      "Location First", "Location Second"};
  EXPECT_EQ(afterVertex, expected);  // the vertex program is never attached

  // Without shader support there is no program: the compile steps call nothing.
  driver.extensions.clear();
  driver.calls.clear();
  ProbeShader none;
  MorlenGL::BuildProgram(none);
  EXPECT_EQ(none.program, 0u);
  EXPECT_TRUE(driver.calls.empty());
  EXPECT_EQ(none.first, -7);
}

// [SECTION] destruction

TEST_F(FakeDriverTest, DestructionDeletesVertexFragmentProgramInOrder) {
  {
    ProbeShader shader;
    ASSERT_TRUE(shader.InitProgram());
    ASSERT_TRUE(shader.CompileVertexShader());
    ASSERT_TRUE(shader.CompileFragmentShader());
    driver.calls.clear();
  }
  EXPECT_EQ(driver.calls, (std::vector<std::string>{"Delete 101", "Delete 102", "Delete 100"}));

  driver.calls.clear();
  { ProbeShader shader; ASSERT_TRUE(shader.InitProgram()); }  // only the program exists
  EXPECT_EQ(driver.calls, (std::vector<std::string>{"CreateProgram", "Delete 103"}));
}

TEST_F(FakeDriverTest, DestructionAfterTheContextIsGoneCallsNothing) {
  {
    ProbeShader shader;
    ASSERT_TRUE(shader.InitProgram());
    driver.contextCurrent = false;
    driver.calls.clear();
  }
  EXPECT_TRUE(driver.calls.empty());
}

TEST_F(FakeDriverTest, NeverInitialisedObjectStartsZeroedAndDeletesNothing) {
  // Built over garbage so that a field the constructor forgot would show.
  alignas(ProbeShader) unsigned char storage[sizeof(ProbeShader)];
  std::memset(storage, 0xAB, sizeof storage);
  ProbeShader* shader = new (storage) ProbeShader;
  EXPECT_TRUE(TableIsEmpty(shader->entry));
  EXPECT_EQ(shader->program, 0u);
  EXPECT_EQ(shader->vertexShader, 0u);
  EXPECT_EQ(shader->fragmentShader, 0u);
  shader->~ProbeShader();
  EXPECT_TRUE(driver.calls.empty());
  EXPECT_TRUE(driver.lookups.empty());
}

TEST(ExtensionSearch, SubstringAndWholeName) {
  using MorlenGL::ExtensionListHas;
  using MorlenGL::ExtensionTextContains;
  EXPECT_TRUE(ExtensionTextContains("GL_A GL_B_x", "GL_B"));
  EXPECT_FALSE(ExtensionTextContains(nullptr, "GL_B"));
  EXPECT_TRUE(ExtensionListHas("GL_A GL_EXT_framebuffer_object", "GL_EXT_framebuffer_object"));
  EXPECT_TRUE(ExtensionListHas("GL_EXT_framebuffer_object GL_A", "GL_EXT_framebuffer_object"));
  EXPECT_FALSE(ExtensionListHas("GL_EXT_framebuffer_object_blit", "GL_EXT_framebuffer_object"));
  EXPECT_FALSE(ExtensionListHas("XGL_EXT_framebuffer_object", "GL_EXT_framebuffer_object"));
  EXPECT_FALSE(ExtensionListHas(nullptr, "GL_EXT_framebuffer_object"));
}

// [SECTION] the real driver

struct TangentProbe : cShaderSystem {
  GLint tangentLocation = 0, unusedLocation = 0, tintLocation = -1;
  TangentProbe() : cShaderSystem("TangentProbe") {}
  bool CompileVertexShader() override {
    return CompileVertex(R"(#version 120
attribute vec3 Tangent;
varying vec3 t;
void main() { t = Tangent; gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; })");
  }
  bool CompileFragmentShader() override {
    return CompileFragmentAndLink(R"(#version 120
uniform vec4 Tint;
uniform float Unused;
varying vec3 t;
void main() { gl_FragColor = Tint + vec4(t, 0.0); })",
                                  {{"Tangent", &tangentLocation}, {"Unused", &unusedLocation},
                                   {"Tint", &tintLocation}});
  }
};


TEST(ShaderSystemGl, BasePairDrawsTheColourWithoutRed) {
  REQUIRE_GL();
  cShaderSystem shader;
  ASSERT_TRUE(shader.InitProgram());
  ASSERT_TRUE(shader.CompileVertexShader());
  ASSERT_TRUE(shader.CompileFragmentShader());
  effectstest::QuadPassState(1024, 768);
  glUseProgram(shader.program);
  glColor4f(1.0f, 0.5f, 0.25f, 1.0f);
  MorlenGL::DrawQuad();
  glUseProgram(0);
  testsupport::Rgba p = testsupport::ReadPixel(512, 384);
  EXPECT_EQ(p.r, 0);
  EXPECT_NEAR(p.g, 128, 1);
  EXPECT_NEAR(p.b, 64, 1);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ShaderSystemGl, TangentSitsAtItsFixedLocationAndUndeclaredNamesGiveMinusOne) {
  REQUIRE_GL();
  TangentProbe shader;
  ASSERT_TRUE(shader.InitProgram());
  ASSERT_TRUE(shader.CompileVertexShader());
  ASSERT_TRUE(shader.CompileFragmentShader());
  EXPECT_EQ(glGetAttribLocation(shader.program, "Tangent"), static_cast<GLint>(MorlenGL::kTangentAttribute));
  EXPECT_EQ(shader.tangentLocation, -1);  // an attribute, not a uniform
  EXPECT_EQ(shader.unusedLocation, -1);   // declared but inactive
  EXPECT_GE(shader.tintLocation, 0);

  // Writing to -1 changes nothing and raises no error.
  effectstest::QuadPassState(1024, 768);
  glUseProgram(shader.program);
  glUniform4f(shader.tintLocation, 0.0f, 1.0f, 0.0f, 1.0f);
  glUniform1f(shader.tangentLocation, 5.0f);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  MorlenGL::SetCurrentTangent(0.0f, 0.0f, 0.5f);  // every vertex sees the current value
  MorlenGL::DrawQuad();
  MorlenGL::SetCurrentTangent(0.0f, 0.0f, 0.0f);
  glUseProgram(0);
  testsupport::Rgba p = testsupport::ReadPixel(10, 10);
  EXPECT_EQ(p.r, 0);
  EXPECT_EQ(p.g, 255);
  EXPECT_NEAR(p.b, 128, 1);
}

TEST(ShaderSystemGl, SyntaxErrorFailsQuietlyUnlessVerbose) {
  REQUIRE_GL();
  struct Broken : cShaderSystem {
    Broken() : cShaderSystem("Broken") {}
    bool CompileVertexShader() override { return CompileVertex("#version 120\nvoid main() { gl_Position = ; }"); }
  };
  std::vector<std::string> lines;
  plat::CaptureDiagnostics(&lines);
  Broken quiet;
  ASSERT_TRUE(quiet.InitProgram());
  EXPECT_FALSE(quiet.CompileVertexShader());
  EXPECT_TRUE(lines.empty());
  plat::SetVerbose(true);
  Broken loud;
  ASSERT_TRUE(loud.InitProgram());
  EXPECT_FALSE(loud.CompileVertexShader());
  plat::SetVerbose(false);
  plat::CaptureDiagnostics(nullptr);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("Broken: vertex program did not compile", 0), 0u) << lines[0];
}

TEST(ShaderSystemGl, DestructionFreesTheProgramObjects) {
  REQUIRE_GL();
  GLuint program, vs, fs;
  {
    cShaderSystem shader;
    ASSERT_TRUE(shader.InitProgram());
    ASSERT_TRUE(shader.CompileVertexShader());
    ASSERT_TRUE(shader.CompileFragmentShader());
    program = shader.program;
    vs = shader.vertexShader;
    fs = shader.fragmentShader;
    ASSERT_TRUE(glIsProgram(program));
  }
  EXPECT_FALSE(glIsProgram(program));
  EXPECT_FALSE(glIsShader(vs));
  EXPECT_FALSE(glIsShader(fs));
}

}  // namespace
