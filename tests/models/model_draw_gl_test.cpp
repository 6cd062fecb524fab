// model_draw_gl_test.cpp -- Draw on the headless context: pixels, array state, the Tangent attribute, prepared lists.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include "assets/model_3ds.h"
#include "assets/vertex_attributes.h"
#include "support/gl_context.h"
#include "writer_3ds.h"

using namespace test3ds;

namespace {

// File coordinates (x, 0, y) land in the OpenGL plane z = 0; this triangle covers the window.
const std::vector<V3> kCover = {{-1, 0, -1}, {3, 0, -1}, {-1, 0, 3}};

c3DsModelSystem LoadModel(const std::string& bytes) {
  c3DsModelSystem m;
  m.LoadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "gl");
  return m;
}

std::string CoverFile(bool mapped, const std::string& name = "cover") {
  std::vector<Chunk> mesh = {Vertices(kCover), Faces({{0, 1, 2}}, {Group("m", {0})})};
  if (mapped) mesh.push_back(Mapping({{0, 0}, {1, 0}, {0, 1}}));
  return Main({Editor({Object(name, {Mesh(mesh)})})}).Bytes();
}

void ResetState() {
  glViewport(0, 0, 1024, 768);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glUseProgram(0);
  glColor3f(1, 1, 1);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
}

TEST(ModelDrawGl, DrawsItsFacesAndSwitchesOffArraysItDoesNotSupply) {
  REQUIRE_GL();
  ResetState();
  c3DsModelSystem mapped = LoadModel(CoverFile(true));
  mapped.Draw();
  EXPECT_EQ(testsupport::ReadPixel(512, 384).r, 255);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));

  c3DsModelSystem plain = LoadModel(CoverFile(false));
  plain.useNormals = false;
  plain.Draw();
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
  EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
  GLint tangentArray = 1;
  glGetVertexAttribiv(MorlenGL::kTangentAttribute, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &tangentArray);
  EXPECT_EQ(tangentArray, 0);  // never left pointing at a model's data
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(ModelDrawGl, PlacementFieldsMoveTheModelAndInvisibleDrawsNothing) {
  REQUIRE_GL();
  ResetState();
  c3DsModelSystem m = LoadModel(CoverFile(false));
  m.x = 10;  // pushed out of view
  m.Draw();
  EXPECT_EQ(testsupport::ReadPixel(512, 384).r, 0);

  m.x = 0;
  m.visible = false;
  glDisableClientState(GL_VERTEX_ARRAY);
  m.Draw();
  EXPECT_EQ(testsupport::ReadPixel(512, 384).r, 0);
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  GLint depth = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  EXPECT_EQ(depth, 1);
}

GLuint Compile(GLenum kind, const char* text) {
  GLuint s = glCreateShader(kind);
  glShaderSource(s, 1, &text, nullptr);
  glCompileShader(s);
  return s;
}

// Shows the Tangent attribute as colour.
GLuint TangentProgram() {
  const char* vertex =
      "#version 120\n"
      "attribute vec3 Tangent;\n"
      "varying vec3 t;\n"
      "void main() { t = Tangent; gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; }\n";
  const char* fragment =
      "#version 120\n"
      "varying vec3 t;\n"
      "void main() { gl_FragColor = vec4(abs(t), 1.0); }\n";
  GLuint program = glCreateProgram();
  glAttachShader(program, Compile(GL_VERTEX_SHADER, vertex));
  glAttachShader(program, Compile(GL_FRAGMENT_SHADER, fragment));
  glBindAttribLocation(program, MorlenGL::kTangentAttribute, "Tangent");
  glLinkProgram(program);
  GLint linked = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  EXPECT_TRUE(linked);
  return program;
}

// A prepared model replays its own copy of the faces, tangents included: moving the arrays away
// after Prepare must change nothing.
TEST(ModelDrawGl, TangentArrivesAtItsFixedAttributeLocationFromArraysAndList) {
  REQUIRE_GL();
  GLuint program = TangentProgram();
  for (bool prepared : {false, true}) {
    SCOPED_TRACE(prepared);
    ResetState();
    glUseProgram(program);
    // Without the array the current value (blue) would show.
    glVertexAttrib3f(MorlenGL::kTangentAttribute, 0, 0, 1);
    c3DsModelSystem m = LoadModel(CoverFile(true));  // u runs along x: tangent (1, 0, 0)
    if (prepared) {
      ASSERT_TRUE(m.Prepare());
      for (float& v : m.objects[0].vertices) v += 100;
    }
    m.Draw();
    testsupport::Rgba p = testsupport::ReadPixel(512, 384);
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.b, 0);
    GLint tangentArray = 1;
    glGetVertexAttribiv(MorlenGL::kTangentAttribute, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &tangentArray);
    EXPECT_EQ(tangentArray, 0);
  }
  glUseProgram(0);
  glDeleteProgram(program);
}

// The placement fields still move a prepared model, and another useNormals than the list was
// recorded with draws from the arrays again.
TEST(ModelDrawGl, PreparedModelKeepsPlacementAndFallsBackToItsArrays) {
  REQUIRE_GL();
  ResetState();
  c3DsModelSystem m = LoadModel(CoverFile(true));
  ASSERT_TRUE(m.Prepare());
  m.x = 10;
  m.Draw();
  EXPECT_EQ(testsupport::ReadPixel(512, 384).r, 0);
  m.x = 0;
  for (float& v : m.objects[0].vertices) v += 100;
  m.useNormals = false;
  m.Draw();
  EXPECT_EQ(testsupport::ReadPixel(512, 384).r, 0);
  m.useNormals = true;
  m.Draw();
  EXPECT_EQ(testsupport::ReadPixel(512, 384).r, 255);
  // Loading again forgets the list: the new faces (moved away here) are what is drawn.
  const std::string again = CoverFile(true);
  m.LoadFromMemory(reinterpret_cast<const uint8_t*>(again.data()), again.size(), "again");
  for (float& v : m.objects[0].vertices) v += 100;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  m.Draw();
  EXPECT_EQ(testsupport::ReadPixel(512, 384).r, 0);
  GLint depth = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  EXPECT_EQ(depth, 1);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
