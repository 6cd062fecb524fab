// model_3ds_test.cpp -- the 3DS reader on files written by the test writer: layout, normals, damage.
#include <gtest/gtest.h>

#include <cmath>

#include "assets/model_3ds.h"
#include "platform/diagnostics.h"
#include "support/temp_dir.h"
#include "writer_3ds.h"

using namespace test3ds;

namespace {

// Loads bytes through a real file and collects what would reach stderr.
struct Loaded {
  c3DsModelSystem model;
  std::vector<std::string> reports;
  bool ok = false;
};

void LoadBytes(const std::string& bytes, Loaded& out) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("m.3ds"), bytes);
  plat::CaptureDiagnostics(&out.reports);
  out.ok = out.model.Load(dir.File("m.3ds"));
  plat::CaptureDiagnostics(nullptr);
}

void ExpectVec(const float* v, float x, float y, float z, float tolerance = 1e-6f) {
  EXPECT_NEAR(v[0], x, tolerance);
  EXPECT_NEAR(v[1], y, tolerance);
  EXPECT_NEAR(v[2], z, tolerance);
}

TEST(Model3ds, StoresFileZUpAsYUp) {
  Loaded l;
  LoadBytes(SingleTriangle({{1, 2, 3}, {4, 5, 6}, {7, 8, 10}}), l);
  ASSERT_TRUE(l.ok);
  ASSERT_EQ(l.model.objectCount, 1);
  const MeshObject& o = l.model.objects[0];
  EXPECT_EQ(o.name, "tri");
  ASSERT_EQ(o.vertexCount, 3);
  ExpectVec(&o.vertices[0], 1, 3, -2);
  ExpectVec(&o.vertices[6], 7, 10, -8);
  EXPECT_TRUE(l.reports.empty());
}

TEST(Model3ds, SingleTriangleNormalPointsUp) {
  Loaded l;
  LoadBytes(SingleTriangle(), l);
  const MeshObject& o = l.model.objects[0];
  for (int v = 0; v < 3; ++v) ExpectVec(&o.normals[3 * v], 0, 1, 0);
  ASSERT_EQ(o.groupCount, 1);
  EXPECT_EQ(o.groups[0].materialIndex, 0);
  EXPECT_EQ(o.groups[0].indices, (std::vector<uint16_t>{0, 1, 2}));
  EXPECT_EQ(o.indexCount, 3);
  EXPECT_TRUE(o.tangents.empty());  // no mapping coordinates, no tangents
}

TEST(Model3ds, SharedVertexGetsAreaWeightedNormalAndUnusedVertexStaysZero) {
  // Face 0 lies in the file's x-y plane (OpenGL up, area 0.5); face 1 in the file's x-z
  // plane (area 2, facing OpenGL +z). Vertex 0 is shared; vertex 5 is used by no face.
  std::vector<V3> vs = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {2, 0, 0}, {0, 0, 2}, {9, 9, 9}};
  std::string file = Main({Editor({Object(
      "two", {Mesh({Vertices(vs), Faces({{0, 1, 2}, {0, 3, 4}}, {Group("x", {0, 1})})})})})}).Bytes();
  Loaded l;
  LoadBytes(file, l);
  const MeshObject& o = l.model.objects[0];
  // Unnormalised face normals: (0, 1, 0) and (0, 0, 4) -> shared vertex (0, 1, 4) / sqrt(17).
  float s = std::sqrt(17.0f);
  ExpectVec(&o.normals[0], 0, 1 / s, 4 / s);
  ExpectVec(&o.normals[3], 0, 1, 0);
  ExpectVec(&o.normals[9], 0, 0, 1);
  ExpectVec(&o.normals[15], 0, 0, 0);
  // The unknown material name gives materialCount (0 here).
  EXPECT_EQ(o.groups[0].materialIndex, 0);
  EXPECT_EQ(l.model.materialCount, 0);
}

TEST(Model3ds, MainChunkIdentifierIsNotChecked) {
  Loaded a, b;
  LoadBytes(SingleTriangle(), a);
  std::string other = SingleTriangle();
  other[0] = 0x12;
  other[1] = 0x34;
  LoadBytes(other, b);
  ASSERT_TRUE(b.ok);
  ASSERT_EQ(b.model.objectCount, 1);
  EXPECT_EQ(b.model.objects[0].vertices, a.model.objects[0].vertices);
  EXPECT_EQ(b.model.objects[0].groups[0].indices, a.model.objects[0].groups[0].indices);
}

TEST(Model3ds, ChunkOrderDoesNotMatter) {
  // Faces before vertices and mapping, the material after the object, a light object
  // (no mesh) first, groups listing faces out of order.
  std::vector<V3> vs = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  Chunk faces = Faces({{0, 1, 2}, {0, 2, 3}}, {Group("other", {1}), Group("stone", {1, 0})});
  std::string file =
      Main({Editor({Object("light", {Chunk{0x4600, std::string(12, '\0'), {}}}),
                    Object("quad", {Mesh({faces, Mapping({{0, 0}, {1, 0}, {1, 1}, {0, 1}}),
                                          Vertices(vs)})}),
                    MaterialChunk("skin"), MaterialChunk("stone")})})
          .Bytes();
  Loaded l;
  LoadBytes(file, l);
  ASSERT_TRUE(l.ok);
  ASSERT_EQ(l.model.objectCount, 2);
  ASSERT_EQ(l.model.materialCount, 2);
  EXPECT_EQ(l.model.materials[1].name, "stone");
  EXPECT_EQ(l.model.objects[0].vertexCount, 0);
  const MeshObject& q = l.model.objects[1];
  EXPECT_TRUE(q.hasTexCoords);
  EXPECT_EQ(q.texCoordCount, 4);
  EXPECT_EQ(q.indexCount, 6);
  ASSERT_EQ(q.groupCount, 2);
  EXPECT_EQ(q.groups[0].materialIndex, 2);  // "other" is unknown: materialCount
  EXPECT_EQ(q.groups[1].materialIndex, 1);
  EXPECT_EQ(q.groups[1].indices, (std::vector<uint16_t>{0, 2, 3, 0, 1, 2}));
  EXPECT_EQ(q.groups[1].indexCount, 6);
}

TEST(Model3ds, TangentFollowsUAndIsOrthogonalUnit) {
  // A flat quad whose u runs along x: tangent (1, 0, 0) everywhere.
  std::vector<V3> vs = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  std::string file =
      Main({Editor({Object("quad", {Mesh({Vertices(vs), Mapping({{0, 0}, {1, 0}, {1, 1}, {0, 1}}),
                                          Faces({{0, 1, 2}, {0, 2, 3}}, {Group("a", {0, 1})})})})})})
          .Bytes();
  Loaded l;
  LoadBytes(file, l);
  const MeshObject& q = l.model.objects[0];
  ASSERT_EQ(q.tangents.size(), 12u);
  for (int v = 0; v < 4; ++v) ExpectVec(&q.tangents[3 * v], 1, 0, 0);

  // u running along the file's y (OpenGL -z) gives (0, 0, -1).
  std::string turned =
      Main({Editor({Object("quad", {Mesh({Vertices(vs), Mapping({{0, 0}, {0, 1}, {1, 1}, {1, 0}}),
                                          Faces({{0, 1, 2}, {0, 2, 3}})})})})})
          .Bytes();
  Loaded t;
  LoadBytes(turned, t);
  for (int v = 0; v < 4; ++v) ExpectVec(&t.model.objects[0].tangents[3 * v], 0, 0, -1);
}

TEST(Model3ds, DegenerateMappingStillGivesUnitTangentOrthogonalToNormal) {
  std::vector<V3> vs = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}};
  std::string file =
      Main({Editor({Object("flat", {Mesh({Vertices(vs), Mapping({{0.5f, 0.5f}, {0.5f, 0.5f},
                                                                  {0.5f, 0.5f}, {0.5f, 0.5f}}),
                                          Faces({{0, 1, 2}})})})})})
          .Bytes();
  Loaded l;
  LoadBytes(file, l);
  const MeshObject& o = l.model.objects[0];
  for (int v = 0; v < 4; ++v) {
    const float* t = &o.tangents[3 * v];
    const float* n = &o.normals[3 * v];
    EXPECT_NEAR(t[0] * t[0] + t[1] * t[1] + t[2] * t[2], 1.0f, 1e-5f) << v;
    EXPECT_NEAR(t[0] * n[0] + t[1] * n[1] + t[2] * n[2], 0.0f, 1e-5f) << v;
  }
}

TEST(Model3ds, ShortMappingListIsPaddedForDrawing) {
  std::string file =
      Main({Editor({Object("tri", {Mesh({Vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}),
                                         Mapping({{0.25f, 0.75f}}), Faces({{0, 1, 2}})})})})})
          .Bytes();
  Loaded l;
  LoadBytes(file, l);
  const MeshObject& o = l.model.objects[0];
  EXPECT_EQ(o.texCoordCount, 1);
  ASSERT_EQ(o.texCoords.size(), 6u);
  EXPECT_EQ(o.texCoords[0], 0.25f);
  EXPECT_EQ(o.texCoords[5], 0.0f);
}

TEST(Model3ds, LongNamesAreCutAt79Characters) {
  std::string longName(120, 'n');
  std::string file = Main({Editor({MaterialChunk(longName),
                                   Object(longName, {Mesh({Vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}),
                                                           Faces({{0, 1, 2}}, {Group(longName, {0})})})})})})
                         .Bytes();
  Loaded l;
  LoadBytes(file, l);
  EXPECT_EQ(l.model.materials[0].name, std::string(79, 'n'));
  const MeshObject& o = l.model.objects[0];
  EXPECT_EQ(o.name, std::string(79, 'n'));
  // The mesh after the long name is still found, and the cut names still match.
  EXPECT_EQ(o.vertexCount, 3);
  EXPECT_EQ(o.groups[0].materialIndex, 0);
  ASSERT_EQ(l.reports.size(), 1u);
  EXPECT_NE(l.reports[0].find("cut"), std::string::npos);
}

TEST(Model3ds, QuotedPathKeepsTheFirstQuotedPart) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("q.3ds"), SingleTriangle());
  c3DsModelSystem m;
  EXPECT_TRUE(m.Load("\"\"" + dir.File("q.3ds") + "\" trailing words"));
  EXPECT_EQ(m.objectCount, 1);
}

// [section] damage: each case is reported in one line and read as far as it can be trusted

TEST(Model3dsDamage, MissingFileIsReportedAndLeavesModelEmpty) {
  c3DsModelSystem m;
  std::vector<std::string> reports;
  plat::CaptureDiagnostics(&reports);
  EXPECT_FALSE(m.Load("no/such/file.3ds"));
  plat::CaptureDiagnostics(nullptr);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("no/such/file.3ds"), std::string::npos);
  EXPECT_EQ(m.objectCount, 0);
  EXPECT_TRUE(m.objects.empty());
  EXPECT_EQ(m.file, nullptr);
}

TEST(Model3dsDamage, BadFaceIndicesAndGroupNumbersAreDroppedAndReportedOnce) {
  std::vector<V3> vs = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  Chunk faces = Faces({{0, 1, 2}, {0, 1, 3}, {7, 1, 2}, {1, 2, 0}, {2, 1, 0}},
                      {Group("a", {4, 1, 0, 5, 200, 3})});
  std::string file = Main({Editor({Object("o", {Mesh({Vertices(vs), faces})})})}).Bytes();
  Loaded l;
  LoadBytes(file, l);
  EXPECT_FALSE(l.ok);
  const MeshObject& o = l.model.objects[0];
  EXPECT_EQ(o.faceIndices, (std::vector<uint16_t>{0, 1, 2, 1, 2, 0, 2, 1, 0}));
  EXPECT_EQ(o.indexCount, 9);
  // Face numbers keep their file meaning after the drop: 4 and 3 are the file's last two
  // faces, 1 was dropped with its face, 5 and 200 lie past the list.
  EXPECT_EQ(o.groups[0].indices, (std::vector<uint16_t>{2, 1, 0, 0, 1, 2, 1, 2, 0}));
  ASSERT_EQ(l.reports.size(), 1u);
  EXPECT_NE(l.reports[0].find("2 face(s)"), std::string::npos) << l.reports[0];
  EXPECT_NE(l.reports[0].find("2 material-group face number(s)"), std::string::npos) << l.reports[0];
}

TEST(Model3dsDamage, HugeCountsAreCutToWhatFits) {
  Chunk vertices = Vertices({{1, 2, 3}, {4, 5, 6}});
  vertices.payload.replace(0, 2, U16(65535));
  Chunk faces = Faces({{0, 1, 1}});
  faces.payload.replace(0, 2, U16(40000));
  std::string file = Main({Editor({Object("o", {Mesh({vertices, faces})})})}).Bytes();
  Loaded l;
  LoadBytes(file, l);
  const MeshObject& o = l.model.objects[0];
  EXPECT_EQ(o.vertexCount, 2);
  EXPECT_EQ(o.vertices.size(), 6u);
  EXPECT_EQ(o.indexCount, 3);
  ASSERT_EQ(l.reports.size(), 1u);
  EXPECT_NE(l.reports[0].find("counts"), std::string::npos) << l.reports[0];
}

TEST(Model3dsDamage, ZeroLengthAndOversizedChunksEndTheirLevel) {
  Chunk zero{0x1234, "", {}, 0};
  std::string file = Main({Editor({Object("a", {Mesh({Vertices({{0, 0, 0}})})}), zero,
                                   Object("b", {})})})
                         .Bytes();
  Loaded l;
  LoadBytes(file, l);
  EXPECT_FALSE(l.ok);
  EXPECT_EQ(l.model.objectCount, 1);  // "b" is behind the broken chunk
  EXPECT_EQ(l.model.objects[0].vertexCount, 1);
  ASSERT_EQ(l.reports.size(), 1u);

  Chunk big = Vertices({{0, 0, 0}});
  big.lengthOverride = 1000;
  Loaded o;
  LoadBytes(Main({Editor({Object("a", {Mesh({big})})})}).Bytes(), o);
  EXPECT_EQ(o.model.objectCount, 1);
  EXPECT_EQ(o.model.objects[0].vertexCount, 0);
  EXPECT_EQ(o.reports.size(), 1u);
}

TEST(Model3dsDamage, EveryTruncationIsSafeAndReported) {
  std::string file = SingleTriangle();
  for (size_t n = 0; n < file.size(); ++n) {
    Loaded l;
    LoadBytes(file.substr(0, n), l);
    EXPECT_FALSE(l.ok) << n;
    EXPECT_EQ(l.reports.size(), 1u) << n;
  }
  // With the main chunk's length made to fit, the cut lands inside the inner chunks.
  for (size_t n = 7; n < file.size(); ++n) {
    std::string cut = file.substr(0, n);
    cut.replace(2, 4, U32(uint32_t(n)));
    Loaded l;
    LoadBytes(cut, l);
    EXPECT_FALSE(l.ok) << n;
    EXPECT_EQ(l.reports.size(), 1u) << n;
  }
}

TEST(Model3dsDamage, RandomBytesNeverCrash) {
  // A fixed generator so a failure reproduces; structure-aware prefixes keep it past the main chunk.
  uint32_t state = 12345;
  auto next = [&state] { return state = state * 1664525u + 1013904223u; };
  std::string valid = SingleTriangle();
  for (int round = 0; round < 300; ++round) {
    std::string bytes = valid;
    for (int k = 0; k < 1 + round % 8; ++k) bytes[next() % bytes.size()] = char(next() >> 24);
    c3DsModelSystem m;
    std::vector<std::string> reports;
    plat::CaptureDiagnostics(&reports);
    bool ok = m.LoadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "r");
    plat::CaptureDiagnostics(nullptr);
    EXPECT_LE(reports.size(), 1u);
    EXPECT_EQ(ok, reports.empty()) << round;
    for (const MeshObject& o : m.objects) {
      EXPECT_EQ(o.normals.size(), o.vertices.size());
      for (uint16_t i : o.faceIndices) EXPECT_LT(i, o.vertexCount);
      for (const FaceGroup& g : o.groups)
        for (uint16_t i : g.indices) EXPECT_LT(i, o.vertexCount);
    }
  }
}

}  // namespace
