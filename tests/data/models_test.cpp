// models_test.cpp -- the generated 3DS models load with the engine's reader and fit their scenes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "assets/image_decode.h"
#include "assets/model_3ds.h"
#include "generated_data.h"

namespace {

struct Extent {
  float minR = 1e30f, maxR = 0;  // distances from the given centre
  float minY = 1e30f, maxY = -1e30f;
};

Extent Measure(const c3DsModelSystem& m, float cx = 0) {
  Extent e;
  for (const MeshObject& o : m.objects) {
    for (size_t i = 0; i + 2 < o.vertices.size(); i += 3) {
      float x = o.vertices[i] - cx, y = o.vertices[i + 1], z = o.vertices[i + 2];
      float r = std::sqrt(x * x + y * y + z * z);
      e.minR = std::min(e.minR, r);
      e.maxR = std::max(e.maxR, r);
      e.minY = std::min(e.minY, y);
      e.maxY = std::max(e.maxY, y);
    }
  }
  return e;
}

// Moller-Trumbore: does the ray from o along d cross any triangle of the model?
bool HitsAnyFace(const c3DsModelSystem& m, const float o[3], const float d[3]) {
  for (const MeshObject& obj : m.objects) {
    for (int f = 0; f < obj.indexCount; f += 3) {
      const float* a = &obj.vertices[size_t(obj.faceIndices[size_t(f)]) * 3];
      const float* b = &obj.vertices[size_t(obj.faceIndices[size_t(f) + 1]) * 3];
      const float* c = &obj.vertices[size_t(obj.faceIndices[size_t(f) + 2]) * 3];
      float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
      float p[3] = {d[1] * e2[2] - d[2] * e2[1], d[2] * e2[0] - d[0] * e2[2], d[0] * e2[1] - d[1] * e2[0]};
      float det = e1[0] * p[0] + e1[1] * p[1] + e1[2] * p[2];
      if (std::fabs(det) < 1e-9f) continue;
      float s[3] = {o[0] - a[0], o[1] - a[1], o[2] - a[2]};
      float u = (s[0] * p[0] + s[1] * p[1] + s[2] * p[2]) / det;
      if (u < 0 || u > 1) continue;
      float q[3] = {s[1] * e1[2] - s[2] * e1[1], s[2] * e1[0] - s[0] * e1[2], s[0] * e1[1] - s[1] * e1[0]};
      float v = (d[0] * q[0] + d[1] * q[1] + d[2] * q[2]) / det;
      if (v < 0 || u + v > 1) continue;
      if ((e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) / det > 0) return true;
    }
  }
  return false;
}

class Models : public ::testing::Test {
 protected:
  c3DsModelSystem Load(const std::string& name) {
    c3DsModelSystem m;
    EXPECT_TRUE(m.Load(datatest::Generated().full + "/" + name)) << name;
    return m;
  }
};

TEST_F(Models, EveryModelHasMappedFacesInMaterialGroups) {
  for (const std::string& name : datatest::ExpectedFiles()) {
    if (name.find(".3ds") == std::string::npos) continue;
    SCOPED_TRACE(name);
    c3DsModelSystem m = Load(name);
    ASSERT_GE(m.objectCount, 1);
    ASSERT_EQ(m.materialCount, 1);
    for (const MeshObject& o : m.objects) {
      SCOPED_TRACE(o.name);
      EXPECT_GT(o.indexCount, 0);
      EXPECT_TRUE(o.hasTexCoords);
      EXPECT_EQ(o.texCoordCount, o.vertexCount);
      ASSERT_EQ(o.groupCount, 1);
      EXPECT_EQ(o.groups[0].materialIndex, 0);  // the group names the file's material
      EXPECT_EQ(o.groups[0].indexCount, o.indexCount);
    }
  }
}

// Sizes the scenes' transforms and cameras call for (the table in tools/data/models.cpp).
TEST_F(Models, SizesFitTheScenesThatDrawThem) {
  Extent planet = Measure(Load("planet01.3ds"));
  EXPECT_NEAR(planet.maxR * 0.2f, 45, 3);  // the track's eye starts 78 away: surface ~33, near focus 30
  Extent cage = Measure(Load("planet01cage.3ds"));
  EXPECT_GT(cage.minR * 0.105f, 23.2f);  // water scene: the cage clears the water sphere
  EXPECT_GT(cage.minR, planet.maxR);     // planet scene: it covers the planet
  Extent water = Measure(Load("waterplanet.3ds"));
  EXPECT_LT(water.minR * 0.1f, 23.2f);  // seas under the water sphere...
  EXPECT_GT(water.maxR * 0.1f, 23.2f);  // ...and land above it
  Extent sky = Measure(Load("sky_sphere.3ds"));
  EXPECT_GT(sky.minR * 0.2f, 8.5f);  // metaball scene: the eye circles at 8
  EXPECT_GT(sky.minR * 20, 130);     // planet scene: beyond every eye position
  Extent cave = Measure(Load("cave.3ds"));
  EXPECT_GT(cave.minR * 20, 28);  // the eye reaches ~27 from the centre during the jolt
  Extent meteor = Measure(Load("meteor.3ds"));
  EXPECT_LT(meteor.maxR * 0.05f, 2);  // the god-ray sphere of radius 2 behind it shows all round
  EXPECT_GT(meteor.minR * 0.05f, 1.2f);
  Extent wheel = Measure(Load("wheel.3ds"));
  EXPECT_GT(wheel.minR * 0.01f, 0.4f);  // the chrome sphere of radius 0.4 sits in the hub
  Extent tree = Measure(Load("treeballcage.3ds"), 590);
  EXPECT_GT(tree.minR, Measure(Load("treball.3ds")).maxR);  // offset by +590: around the tree after -59
  Extent room = Measure(Load("pillarroom.3ds"));
  // The greeting puts the room at y -30 scaled 0.05: its floor lies below the lowest eye (-40) and the
  // spheres' bounce floor (-38), yet close under them.
  EXPECT_LT(room.minY * 0.05f - 30, -41);
  EXPECT_GT(room.minY * 0.05f - 30, -45);
  EXPECT_GT(room.maxR * 0.05f, 57);  // the greeting orbit (40..57) stays inside the walls
}

TEST_F(Models, CagesAreLatticesMappedBottomToTop) {
  for (const char* name : {"planet01cage.3ds", "treeballcage.3ds"}) {
    SCOPED_TRACE(name);
    c3DsModelSystem m = Load(name);
    Extent e = Measure(m);
    float lowV = 1, highV = 0;
    for (const MeshObject& o : m.objects) {
      for (int i = 0; i < o.vertexCount; ++i) {
        float y = o.vertices[size_t(i) * 3 + 1], v = o.texCoords[size_t(i) * 2 + 1];
        float expected = (y - e.minY) / (e.maxY - e.minY);
        ASSERT_NEAR(v, expected, 0.03f) << "vertex " << i;
        lowV = std::min(lowV, v);
        highV = std::max(highV, v);
      }
    }
    EXPECT_LT(lowV, 0.1f);
    EXPECT_GT(highV, 0.9f);
    // Open: a good share of the rays from the centre pass between the struts; a closed shell would
    // stop them all.
    float centreX = std::string(name) == "treeballcage.3ds" ? 590.0f : 0.0f;
    int blocked = 0, rays = 400;
    for (int k = 0; k < rays; ++k) {
      float z = 1 - 2 * (float(k) + 0.5f) / float(rays), r = std::sqrt(1 - z * z), a = 2.39996f * float(k);
      const float origin[3] = {centreX, 0, 0}, dir[3] = {r * std::cos(a), z, r * std::sin(a)};
      blocked += HitsAnyFace(m, origin, dir);
    }
    EXPECT_LT(blocked, rays * 3 / 4);
    EXPECT_GT(blocked, rays / 50);  // but there is a frame
    // The tree's cage stands between the eye and the planet when it turns to light: it must cut
    // the glowing disc into shafts.
    if (centreX != 0) {
      EXPECT_GT(blocked, rays * 2 / 5) << blocked;
    }
  }
}

TEST_F(Models, SkyFacesInwardsAndPlanetsOutwards) {
  auto facing = [](const c3DsModelSystem& m) {
    int out = 0, in = 0;
    for (const MeshObject& o : m.objects)
      for (size_t i = 0; i + 2 < o.vertices.size(); i += 3) {
        float d = o.vertices[i] * o.normals[i] + o.vertices[i + 1] * o.normals[i + 1] +
                  o.vertices[i + 2] * o.normals[i + 2];
        (d > 0 ? out : in)++;
      }
    return std::make_pair(out, in);
  };
  auto [skyOut, skyIn] = facing(Load("sky_sphere.3ds"));
  EXPECT_EQ(skyOut, 0);
  EXPECT_GT(skyIn, 0);
  auto [caveOut, caveIn] = facing(Load("cave.3ds"));
  EXPECT_GT(caveIn, 20 * caveOut);
  for (const char* name : {"planet01.3ds", "waterplanet.3ds", "treball.3ds", "meteor.3ds"}) {
    auto [o, i] = facing(Load(name));
    EXPECT_GT(o, 20 * i) << name;
  }
}

// Each piece is a patch of the whole surface moved out as one by the same short offset, so the
// cracks show as seams.
TEST_F(Models, CrackedMeteorIsTheMeteorInSeparatePiecesStandingApart) {
  c3DsModelSystem whole = Load("meteor.3ds"), cracked = Load("meteorcrack.3ds");
  ASSERT_GE(cracked.objectCount, 6);
  const std::vector<float>& corners = whole.objects[0].vertices;
  auto distanceToWhole = [&](float x, float y, float z) {
    float best = 1e30f;
    for (size_t i = 0; i < corners.size(); i += 3)
      best = std::min(best, std::hypot(x - corners[i], y - corners[i + 1], z - corners[i + 2]));
    return best;
  };
  int faces = 0, vertices = 0;
  for (const MeshObject& o : cracked.objects) {
    faces += o.indexCount / 3;
    vertices += o.vertexCount;
    // The whole's corner that the piece's first corner came from: the one 1.2 away.
    const float* p = o.vertices.data();
    size_t from = 0;
    for (size_t i = 0; i < corners.size(); i += 3) {
      const float d = std::hypot(p[0] - corners[i], p[1] - corners[i + 1], p[2] - corners[i + 2]);
      const float best = std::hypot(p[0] - corners[from], p[1] - corners[from + 1], p[2] - corners[from + 2]);
      if (std::fabs(d - 1.2f) < std::fabs(best - 1.2f)) from = i;
    }
    const float shift[3] = {p[0] - corners[from], p[1] - corners[from + 1], p[2] - corners[from + 2]};
    EXPECT_NEAR(std::hypot(shift[0], shift[1], shift[2]), 1.2f, 1e-3f) << o.name;
    for (size_t i = 0; i < o.vertices.size(); i += 3) {
      const float* v = &o.vertices[i];
      ASSERT_LT(distanceToWhole(v[0] - shift[0], v[1] - shift[1], v[2] - shift[2]), 1e-3f) << o.name;
    }
  }
  EXPECT_EQ(faces, whole.objects[0].indexCount / 3);
  // Vertices on the cracks exist once per piece, so the pieces can drift apart.
  EXPECT_GT(vertices, whole.objects[0].vertexCount + 200);
}

// The tree scene draws the leaf without blending, so its faces cover the picture's leaf, not the
// transparent square around it; its shattered cage pushes each vertex by its normal, so each flat
// strut (four vertices) shares one normal to fly off whole.
TEST_F(Models, LeafCoversItsPictureOnlyAndCageStrutsMoveWhole) {
  c3DsModelSystem leaf = Load("leaf.3ds");
  MorlenGL::Image picture;
  ASSERT_TRUE(MorlenGL::DecodePng(datatest::Generated().full + "/leaf.png", &picture));
  ASSERT_EQ(picture.channels, 4);
  int opaque = 0;
  for (size_t i = 3; i < picture.pixels.size(); i += 4) opaque += picture.pixels[i] > 128;
  const MeshObject& card = leaf.objects[0];
  float area = 0;  // in the picture's mapping space, where the whole picture is 1
  for (int f = 0; f < card.indexCount; f += 3) {
    const float* a = &card.texCoords[size_t(card.faceIndices[size_t(f)]) * 2];
    const float* b = &card.texCoords[size_t(card.faceIndices[size_t(f + 1)]) * 2];
    const float* c = &card.texCoords[size_t(card.faceIndices[size_t(f + 2)]) * 2];
    area += std::fabs((b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1])) / 2;
  }
  EXPECT_NEAR(area, float(opaque) / float(picture.width * picture.height), 0.03f);

  c3DsModelSystem cage = Load("treeballcage.3ds");
  const std::vector<float>& n = cage.objects[0].normals;
  ASSERT_EQ(cage.objects[0].vertexCount % 4, 0);
  for (size_t i = 0; i < n.size(); i += 12)
    for (size_t k = 3; k < 12; ++k) ASSERT_NEAR(n[i + k], n[i + k % 3], 1e-5f) << "strut " << i / 12;
}

TEST_F(Models, StructuresHaveTheirParts) {
  EXPECT_EQ(Load("chains.3ds").objectCount, 4);  // four hanging strands
  c3DsModelSystem room = Load("pillarroom.3ds");
  std::set<std::string> parts;
  for (const MeshObject& o : room.objects) parts.insert(o.name);
  EXPECT_EQ(parts, (std::set<std::string>{"floor", "columns", "architrave", "wall"}));
  Extent tower = Measure(Load("pillarbitch.3ds"));
  EXPECT_GT(tower.maxY * 0.05f - 30, 10);  // rises through ring B at y = +10
  c3DsModelSystem ring = Load("credring.3ds");
  float minU = 1, maxU = 0;
  for (size_t i = 0; i < ring.objects[0].texCoords.size(); i += 2) {
    minU = std::min(minU, ring.objects[0].texCoords[i]);
    maxU = std::max(maxU, ring.objects[0].texCoords[i]);
  }
  EXPECT_FLOAT_EQ(minU, 0);  // the greeting runs once round the band
  EXPECT_FLOAT_EQ(maxU, 1);
}

}  // namespace
