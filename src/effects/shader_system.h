// shader_system.h -- cShaderSystem, the base of every GLSL effect: entry points, compile, link, bind shapes.
#pragma once
#include <epoxy/gl.h>

#include <initializer_list>

namespace MorlenGL {

// Texture units shared by all programs; a scene binds a program's inputs to exactly these.
namespace TextureUnit {
// Five-texture surface programs.
constexpr int kColorMap = 0;
constexpr int kNormalMap = 1;
constexpr int kHeightMap = 2;
constexpr int kSpecularMap = 3;
constexpr int kCubeMap = 4;
// Chromatic refraction.
constexpr int kChromaticColorMap = 0;
constexpr int kChromaticCubeMap = 1;
// Depth of field.
constexpr int kDofSharp = 0;
constexpr int kDofBlur = 1;
constexpr int kDofDepth = 2;
// Every other image filter, and the ring wave.
constexpr int kFilterInput = 0;
}  // namespace TextureUnit

// One pointer per OpenGL entry point, loaded by that name for each object.
// Trap: <epoxy/gl.h> defines each gl* name as a macro, so these members are really called
// epoxy_gl*; always reach them through the table (entry.glUniform1fARB), which stays consistent.
struct ShaderEntryPoints {
  PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectARB;
  PFNGLCREATESHADEROBJECTARBPROC glCreateShaderObjectARB;
  PFNGLLINKPROGRAMARBPROC glLinkProgramARB;
  PFNGLCOMPILESHADERARBPROC glCompileShaderARB;
  PFNGLGETINFOLOGARBPROC glGetInfoLogARB;
  PFNGLDELETEOBJECTARBPROC glDeleteObjectARB;
  PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB;
  PFNGLSHADERSOURCEARBPROC glShaderSourceARB;
  PFNGLATTACHOBJECTARBPROC glAttachObjectARB;
  PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB;
  PFNGLGETUNIFORMLOCATIONARBPROC glGetUniformLocationARB;
  PFNGLUNIFORM4FARBPROC glUniform4fARB;
  PFNGLUNIFORM3FARBPROC glUniform3fARB;
  PFNGLUNIFORM2FARBPROC glUniform2fARB;
  PFNGLUNIFORM1FARBPROC glUniform1fARB;
  PFNGLUNIFORM1IARBPROC glUniform1iARB;
  PFNGLUNIFORM2FVARBPROC glUniform2fvARB;
  PFNGLACTIVETEXTUREARBPROC glActiveTextureARB;
  // Not one of the eighteen: fixes where "Tangent" lives before each link (optional, may be null).
  PFNGLBINDATTRIBLOCATIONARBPROC glBindAttribLocationARB;
};

// Owner: the scene holds each shader object by value; Init builds it once, the destructor frees it.
class cShaderSystem {
 public:
  // className names the object in verbose compile and link logs.
  explicit cShaderSystem(const char* className = "cShaderSystem");
  virtual ~cShaderSystem();
  cShaderSystem(const cShaderSystem&) = delete;
  cShaderSystem& operator=(const cShaderSystem&) = delete;

  // Checks the driver's extensions, loads the entry points and creates the program object.
  bool InitProgram();
  // Slot 0: compiles this class's vertex text and attaches it.
  virtual bool CompileVertexShader();
  // Slot 1: compiles this class's fragment text, attaches it, links and looks up the uniforms.
  virtual bool CompileFragmentShader();
  // Slot 2: always true; kept for the interface, nothing depends on it.
  virtual bool IsReady();

  ShaderEntryPoints entry;
  GLhandleARB program;
  GLhandleARB vertexShader;
  GLhandleARB fragmentShader;

 protected:
  struct UniformSlot {
    const char* name;
    GLint* location;
  };

  // The compile steps every class runs with its own texts and its own uniform order.
  bool CompileVertex(const char* text);
  bool CompileFragmentAndLink(const char* text, std::initializer_list<UniformSlot> uniforms);
  // Fills each slot with its name's location in the linked program, in the order given.
  void LookUpUniforms(std::initializer_list<UniformSlot> uniforms);

  // Bind and Unbind pieces. After a failed InitProgram the program calls do nothing, while the
  // texture calls still run, so the quad falls back to the fixed-function, unfiltered picture.
  void UseProgram(GLhandleARB handle) const;
  void Uniform1i(GLint location, int value) const;
  void Uniform1f(GLint location, float value) const;
  void Uniform2f(GLint location, const float value[2]) const;
  void Uniform3f(GLint location, const float value[3]) const;
  void Uniform3f(GLint location, float x, float y, float z) const;
  void Uniform4f(GLint location, const float value[4]) const;
  void SelectUnit(int unit) const;
  // Select the unit, enable the target there, bind the texture.
  void BindUnit(int unit, GLenum target, GLuint texture) const;
  // The image filters' input: enable 2D on whatever unit is current, then unit 0 as BindUnit.
  void BindFilterInput(GLuint texture) const;
  // The four surface maps on units 0 to 3 and the cube map on unit 4, which stays active.
  void BindSurfaceTextures(GLuint colorMap, GLuint normalMap, GLuint heightMap, GLuint specularMap,
                           GLuint cubeMap) const;
  void UnbindFilter() const;
  void UnbindSurface() const;
  void UnbindChromatic() const;

 private:
  bool CompileStage(GLenum type, const char* text, GLhandleARB* handle, const char* stageName);
  void LogDetail(GLhandleARB object, const char* what) const;

  const char* className;
  bool entryPointsLoaded;
};

// Sets the current value of the "Tangent" attribute, which the models do not supply per vertex.
void SetCurrentTangent(float x, float y, float z);

}  // namespace MorlenGL
