// patch_mesh.cpp -- capturing the evaluator's mesh through feedback mode, and drawing it.
#include "assets/patch_mesh.h"

#include <epoxy/gl.h>

#include <cstddef>

namespace MorlenGL {

namespace {

// Feedback reports window coordinates, which have been through the transforms; the first texture
// coordinate comes back as the vertex program wrote it, so each pass copies attributes into it.
constexpr const char* kPositionAndS =
    "#version 120\nvoid main() { gl_Position = vec4(0.0, 0.0, 0.0, 1.0);"
    " gl_TexCoord[0] = vec4(gl_Vertex.xyz, gl_MultiTexCoord0.s); }\n";
constexpr const char* kNormalAndT =
    "#version 120\nvoid main() { gl_Position = vec4(0.0, 0.0, 0.0, 1.0);"
    " gl_TexCoord[0] = vec4(gl_Normal, gl_MultiTexCoord0.t); }\n";

// A point in GL_3D_COLOR_TEXTURE feedback: the token, x y z, r g b a, then s t r q.
constexpr size_t kPointFloats = 12;
constexpr size_t kTexCoordAt = 8;

GLuint VertexOnlyProgram(const char* text) {
  const GLuint shader = glCreateShader(GL_VERTEX_SHADER);
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  const GLuint program = glCreateProgram();
  glAttachShader(program, shader);
  glLinkProgram(program);
  glDeleteShader(shader);
  GLint linked = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  if (linked == GL_TRUE) return program;
  glDeleteProgram(program);
  return 0;
}

// The grid's points row after row (v outer, as GL_POINT evaluates them, with the same u and v
// steps as GL_FILL), four floats each: what the program put in the first texture coordinate.
bool FeedbackPoints(const char* programText, int uSteps, int vSteps, std::vector<float>& out) {
  const GLuint program = VertexOnlyProgram(programText);
  if (program == 0) return false;
  const size_t points = static_cast<size_t>(uSteps + 1) * static_cast<size_t>(vSteps + 1);
  std::vector<GLfloat> feedback(points * kPointFloats + 1);
  glUseProgram(program);
  glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_3D_COLOR_TEXTURE, feedback.data());
  glRenderMode(GL_FEEDBACK);
  glEvalMesh2(GL_POINT, 0, uSteps, 0, vSteps);
  const GLint values = glRenderMode(GL_RENDER);
  glUseProgram(0);
  glDeleteProgram(program);
  if (values < 0 || static_cast<size_t>(values) != points * kPointFloats) return false;
  out.resize(points * 4);
  for (size_t p = 0; p < points; ++p) {
    const GLfloat* point = &feedback[p * kPointFloats];
    if (point[0] != static_cast<GLfloat>(GL_POINT_TOKEN)) return false;
    for (int k = 0; k < 4; ++k) out[p * 4 + k] = point[kTexCoordAt + k];
  }
  return true;
}

}  // namespace

bool CapturePatchMesh(int uSteps, int vSteps, VertexStrips& mesh) {
  mesh = VertexStrips{};
  if (uSteps < 1 || vSteps < 1) return false;
  GLint program = 0;
  GLfloat normal[4], texCoord[4];
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  glGetFloatv(GL_CURRENT_NORMAL, normal);
  glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord);
  std::vector<float> first, second;
  const bool captured = FeedbackPoints(kPositionAndS, uSteps, vSteps, first) &&
                        FeedbackPoints(kNormalAndT, uSteps, vSteps, second);
  glUseProgram(static_cast<GLuint>(program));
  glNormal3fv(normal);
  glTexCoord4fv(texCoord);
  if (!captured) return false;

  auto at = [&](int u, int v) {
    const size_t p = (static_cast<size_t>(v) * static_cast<size_t>(uSteps + 1) + static_cast<size_t>(u)) * 4;
    return SphereVertex{{first[p], first[p + 1], first[p + 2]},
                        {second[p], second[p + 1], second[p + 2]},
                        {first[p + 3], second[p + 3]}};
  };
  mesh.mode = GL_TRIANGLE_STRIP;
  mesh.keepCurrent = true;
  for (int v = 0; v < vSteps; ++v) {
    mesh.first.push_back(static_cast<int32_t>(mesh.vertices.size()));
    mesh.count.push_back(2 * (uSteps + 1));
    for (int u = 0; u <= uSteps; ++u) {
      mesh.vertices.push_back(at(u, v));
      mesh.vertices.push_back(at(u, v + 1));
    }
  }
  mesh.buffer = UploadVertices(mesh.vertices);
  return true;
}

}  // namespace MorlenGL
