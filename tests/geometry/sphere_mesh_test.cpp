// sphere_mesh_test.cpp -- the prepared sphere, patch and icosphere: layout without OpenGL, and vertex for vertex what OpenGL was sent before.
#include <epoxy/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "assets/geometry.h"
#include "assets/patch_mesh.h"
#include "support/gl_context.h"

using namespace MorlenGL;

namespace {

TEST(SphereMesh, QuadStripsFromPoleToPoleWithGluTextureCoordinates) {
  const float r = 5;
  const SphereMesh mesh = BuildSphereMesh(r, 8, 4);
  ASSERT_EQ(mesh.vertices.size(), 4u * 18u);
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i <= 8; ++i) {
      SCOPED_TRACE(testing::Message() << "stack " << j << " slice " << i);
      const SphereVertex& low = mesh.vertices[j * 18 + 2 * i];
      const SphereVertex& high = mesh.vertices[j * 18 + 2 * i + 1];
      // Each pair: the ring further down z first, then the ring above it.
      EXPECT_LT(low.position[2], high.position[2]);
      EXPECT_FLOAT_EQ(high.texCoord[1], 1 - j / 4.0f);
      EXPECT_FLOAT_EQ(low.texCoord[1], 1 - (j + 1) / 4.0f);
      EXPECT_FLOAT_EQ(low.texCoord[0], 1 - i / 8.0f);
      for (const SphereVertex* v : {&low, &high}) {
        const float* p = v->position;
        EXPECT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), r, 1e-5f);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(v->normal[k] * r, p[k], 1e-5f);
      }
    }
  // Slice 0 points along +y and a quarter turn along +x, where s is already down to 0.75.
  EXPECT_NEAR(mesh.vertices[18 + 0].position[1], r * std::sin(3.14159265f / 2), 1e-5f);
  EXPECT_NEAR(mesh.vertices[18 + 4].position[0], r * std::sin(3.14159265f / 2), 1e-5f);
  EXPECT_FLOAT_EQ(mesh.vertices[18 + 4].texCoord[0], 0.75f);
  // Both poles are single points; the seam repeats the first slice to the bit.
  EXPECT_EQ(mesh.vertices[1].position[0], 0.0f);
  EXPECT_EQ(mesh.vertices[1].position[2], r);
  EXPECT_EQ(mesh.vertices[3 * 18 + 16].position[1], 0.0f);
  EXPECT_EQ(mesh.vertices[3 * 18 + 16].position[2], -r);
  EXPECT_EQ(std::memcmp(mesh.vertices[16].position, mesh.vertices[0].position, sizeof(float) * 3), 0);

  // What gluSphere refuses to draw gives nothing.
  EXPECT_TRUE(BuildSphereMesh(1, 1, 4).Empty());
  EXPECT_TRUE(BuildSphereMesh(1, 8, 0).Empty());
  EXPECT_TRUE(BuildSphereMesh(-1, 8, 4).Empty());
}

// Every vertex OpenGL receives (object-space position, normal, texture coordinate), captured with
// transform feedback so the comparison is to the bit. `lines` for line primitives.
std::vector<float> Received(const std::function<void()>& draw, bool lines = false) {
  static GLuint program = 0;
  if (program == 0) {
    const char* text =
        "#version 120\nvarying vec3 p; varying vec3 n; varying vec2 t;\n"
        "void main() { p = gl_Vertex.xyz; n = gl_Normal; t = gl_MultiTexCoord0.xy; gl_Position = vec4(0.0); }\n";
    const GLuint shader = glCreateShader(GL_VERTEX_SHADER);
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    program = glCreateProgram();
    glAttachShader(program, shader);
    const char* names[] = {"p", "n", "t"};
    glTransformFeedbackVaryings(program, 3, names, GL_INTERLEAVED_ATTRIBS);
    glLinkProgram(program);
  }
  constexpr size_t kCapacity = 8 * 3 * 64 * 64 * 2;
  GLuint buffer = 0, query = 0;
  glGenBuffers(1, &buffer);
  glGenQueries(1, &query);
  glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, buffer);
  glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, kCapacity * sizeof(float), nullptr, GL_STATIC_READ);
  glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, buffer);
  glUseProgram(program);
  glEnable(GL_RASTERIZER_DISCARD);
  glBeginQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN, query);
  glBeginTransformFeedback(lines ? GL_LINES : GL_TRIANGLES);
  draw();
  glEndTransformFeedback();
  glEndQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN);
  glDisable(GL_RASTERIZER_DISCARD);
  glUseProgram(0);
  GLuint primitives = 0;
  glGetQueryObjectuiv(query, GL_QUERY_RESULT, &primitives);
  std::vector<float> out(std::min<size_t>(primitives * (lines ? 2 : 3) * 8, kCapacity));
  glGetBufferSubData(GL_TRANSFORM_FEEDBACK_BUFFER, 0, static_cast<GLsizeiptr>(out.size() * sizeof(float)), out.data());
  glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, 0);
  glDeleteBuffers(1, &buffer);
  glDeleteQueries(1, &query);
  return out;
}

// -1 when a and b hold the same bits, else the first float that differs (a short failure message
// instead of two hundred thousand numbers).
long FirstDifference(const std::vector<float>& a, const std::vector<float>& b) {
  if (a.size() != b.size()) return static_cast<long>(std::min(a.size(), b.size()));
  for (size_t k = 0; k < a.size(); ++k)
    if (std::memcmp(&a[k], &b[k], sizeof(float)) != 0) return static_cast<long>(k);
  return -1;
}

// The current normal and the first two texture coordinates: what a draw leaves behind.
std::array<float, 5> CurrentNormalAndTexCoord() {
  float normal[4], texCoord[4];
  glGetFloatv(GL_CURRENT_NORMAL, normal);
  glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord);
  return {normal[0], normal[1], normal[2], texCoord[0], texCoord[1]};
}

TEST(SphereMeshOnGl, SendsExactlyWhatGluSphereSends) {
  REQUIRE_GL();
  ASSERT_GE(epoxy_gl_version(), 30) << "transform feedback is needed to read back the vertices";
  GLUquadric* quadric = gluNewQuadric();
  gluQuadricNormals(quadric, GLU_SMOOTH);
  gluQuadricTexture(quadric, GL_TRUE);
  struct Case { double radius; int slices, stacks; };
  for (const Case c : {Case{1, 64, 64}, Case{5, 64, 64}, Case{2.5, 7, 5}, Case{0.1, 32, 32}}) {
    SCOPED_TRACE(testing::Message() << c.radius << " " << c.slices << "x" << c.stacks);
    SphereMesh mesh = BuildSphereMesh(c.radius, c.slices, c.stacks);
    const std::vector<float> glu = Received([&] { gluSphere(quadric, c.radius, c.slices, c.stacks); });
    ASSERT_EQ(glu.size(), static_cast<size_t>(c.slices * c.stacks * 2 * 3 * 8));
    EXPECT_EQ(FirstDifference(Received([&] { DrawSphereMesh(mesh); }), glu), -1) << "from memory";
    UploadSphereMesh(mesh);
    EXPECT_NE(mesh.buffer, 0u);
    EXPECT_EQ(FirstDifference(Received([&] { DrawSphereMesh(mesh); }), glu), -1) << "from the buffer";
    // Both leave the same current normal and texture coordinate behind.
    std::array<float, 5> after[2];
    for (int way = 0; way < 2; ++way) {
      glNormal3f(7, 7, 7);
      glTexCoord2f(7, 7);
      Received([&] { way == 0 ? DrawSphereMesh(mesh) : gluSphere(quadric, c.radius, c.slices, c.stacks); });
      after[way] = CurrentNormalAndTexCoord();
    }
    EXPECT_EQ(after[0], after[1]);
    EXPECT_NE(after[0][0], 7.0f);
  }
  gluDeleteQuadric(quadric);
  // The client arrays are as they were: off, and no buffer left bound.
  EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
  GLint bound = -1;
  glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
  EXPECT_EQ(bound, 0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace

// A patch drawn through the evaluator and the same patch taken from it once: the same vertices to the
// bit, the same current normal and texture coordinate after, and the capture itself leaves the
// program and current attributes alone.
TEST(PatchMeshOnGl, SendsExactlyWhatTheEvaluatorSends) {
  REQUIRE_GL();
  ASSERT_GE(epoxy_gl_version(), 30) << "transform feedback is needed to read back the vertices";
  // A curved 4 x 4 patch; texture coordinates from a 2 x 2 map.
  float points[4][4][3];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      points[i][j][0] = 0.7f * static_cast<float>(j) - 1.1f;
      points[i][j][1] = 0.3f * static_cast<float>((i * 7 + j * 3) % 5) - 0.45f;
      points[i][j][2] = 0.9f * static_cast<float>(i) - 1.3f;
    }
  const float texCoords[2][2][2] = {{{0, 0}, {0, 1}}, {{1, 0}, {1, 1}}};
  glEnable(GL_MAP2_VERTEX_3);
  glEnable(GL_MAP2_TEXTURE_COORD_2);
  glEnable(GL_AUTO_NORMAL);
  glMap2f(GL_MAP2_VERTEX_3, 0, 1, 3, 4, 0, 1, 12, 4, &points[0][0][0]);
  glMap2f(GL_MAP2_TEXTURE_COORD_2, 0, 1, 2, 2, 0, 1, 4, 2, &texCoords[0][0][0]);
  struct Grid { int u, v; };
  for (const Grid g : {Grid{64, 64}, Grid{7, 3}}) {
    SCOPED_TRACE(testing::Message() << g.u << "x" << g.v);
    glMapGrid2f(g.u, 0, 1, g.v, 0, 1);
    glNormal3f(7, 7, 7);
    glTexCoord2f(7, 7);
    VertexStrips mesh;
    ASSERT_TRUE(CapturePatchMesh(g.u, g.v, mesh));
    EXPECT_EQ(CurrentNormalAndTexCoord()[0], 7.0f);
    EXPECT_EQ(CurrentNormalAndTexCoord()[4], 7.0f);
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);

    const std::vector<float> evaluated = Received([&] { glEvalMesh2(GL_FILL, 0, g.u, 0, g.v); });
    ASSERT_EQ(evaluated.size(), static_cast<size_t>(g.u * g.v * 2 * 3 * 8));
    std::array<float, 5> after[2];
    for (int way = 0; way < 2; ++way) {
      const std::vector<float> sent =
          Received([&] { way == 0 ? glEvalMesh2(GL_FILL, 0, g.u, 0, g.v) : DrawVertexStrips(mesh); });
      EXPECT_EQ(FirstDifference(sent, evaluated), -1) << way;
      after[way] = CurrentNormalAndTexCoord();
    }
    EXPECT_EQ(after[0], after[1]);
  }
  glDisable(GL_MAP2_VERTEX_3);
  glDisable(GL_MAP2_TEXTURE_COORD_2);
  glDisable(GL_AUTO_NORMAL);

  // The icosphere prepared once sends what it sends vertex by vertex.
  const VertexStrips sphere = PrepareIcosphere(4, 1);
  EXPECT_NE(sphere.buffer, 0u);
  EXPECT_EQ(FirstDifference(Received([&] { DrawVertexStrips(sphere); }), Received([] { DrawIcosphere(4, 1); })), -1);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

namespace {

class ImmediateEmitter : public GeometryEmitter {
 public:
  void Begin(Primitive mode) override {
    static const GLenum kModes[] = {GL_LINES, GL_TRIANGLES, GL_QUADS, GL_LINE_STRIP};
    glBegin(kModes[static_cast<int>(mode)]);
  }
  void TexCoord(float s, float t) override { glTexCoord2f(s, t); }
  void Normal(float x, float y, float z) override { glNormal3f(x, y, z); }
  void Vertex(float x, float y, float z) override { glVertex3f(x, y, z); }
  void End() override { glEnd(); }
};

}  // namespace

// Batches sent as arrays reach OpenGL as the same vertices immediate mode sends, to the bit, and leave
// the same current normal and texture coordinate behind: with every attribute given, with none (the
// current ones fill in), with one given only after the first vertices, and merged into one draw.
TEST(ArrayEmitterOnGl, SendsWhatImmediateModeSends) {
  REQUIRE_GL();
  ASSERT_GE(epoxy_gl_version(), 30) << "transform feedback is needed to read back the vertices";
  struct Case {
    const char* name;
    bool lines;
    std::function<void(GeometryEmitter&)> send;
  };
  const Case cases[] = {
      {"cube", false, [](GeometryEmitter& out) { DrawCube(out); }},
      {"quad without normals", false, [](GeometryEmitter& out) { DrawQuad(out); }},
      {"icosphere", false, [](GeometryEmitter& out) { DrawIcosphere(1, 0.075f, out); }},
      {"normal and texture coordinate given late", false,
       [](GeometryEmitter& out) {
         out.Begin(Primitive::Triangles);
         out.Vertex(0, 0, 0);
         out.Vertex(1, 0, 0);
         out.Normal(0, 1, 0);
         out.Vertex(0, 1, 0);
         out.TexCoord(0.25f, 0.5f);
         out.Vertex(0, 0, 1);
         out.Vertex(1, 0, 1);
         out.Vertex(0, 1, 1);
         out.End();
       }},
      {"line pen", true,
       [](GeometryEmitter& out) {
         LinePen pen;
         Spiral(pen, 40, 0.01f, 10, 0.005f, out);
       }},
  };
  for (const Case& c : cases) {
    for (bool merge : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << (merge ? ", merged" : ""));
      std::vector<float> sent[2];
      std::array<float, 5> after[2];
      for (int way = 0; way < 2; ++way) {
        glNormal3f(0.5f, 0.25f, 7);
        glTexCoord2f(7, 0.75f);
        ImmediateEmitter immediate;
        ArrayEmitter arrays;
        arrays.merge = merge;
        sent[way] = Received(
            [&] {
              c.send(way == 0 ? static_cast<GeometryEmitter&>(immediate) : arrays);
              arrays.Flush();
            },
            c.lines);
        after[way] = CurrentNormalAndTexCoord();
      }
      ASSERT_FALSE(sent[0].empty());
      EXPECT_EQ(FirstDifference(sent[1], sent[0]), -1);
      EXPECT_EQ(after[1], after[0]);
    }
  }
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
