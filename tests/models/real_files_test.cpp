// real_files_test.cpp -- the reader on real 3DS files, cross-checked against Assimp as a peer reader.
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <cmath>
#include <filesystem>

#include "assets/model_3ds.h"
#include "platform/diagnostics.h"

namespace {

namespace fs = std::filesystem;

// Assimp's own 3DS samples, from Debian's assimp-testmodels (scripts/install-deps installs it).
const std::string kTestData = TOLVANE_3DS_SAMPLES "/3DS";

std::vector<std::string> RealFiles() {
  std::vector<std::string> files;
  if (!fs::is_directory(kTestData)) return files;
  for (const auto& entry : fs::directory_iterator(kTestData)) {
    std::string ext = entry.path().extension().string();
    if (ext == ".3ds" || ext == ".3DS") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

#define REQUIRE_TEST_DATA()                                                  \
  do {                                                                       \
    ASSERT_FALSE(RealFiles().empty()) << "no 3DS samples at " << kTestData \
                                      << ": run scripts/install-deps"; \
  } while (0)

struct Corner { float p[3]; };
struct Triangle { Corner c[3]; };

// Our faces as positions, over all objects of the model.
std::vector<Triangle> OurTriangles(const c3DsModelSystem& m) {
  std::vector<Triangle> out;
  for (const MeshObject& o : m.objects)
    for (size_t f = 0; f + 2 < o.faceIndices.size(); f += 3) {
      Triangle t;
      for (int k = 0; k < 3; ++k)
        std::copy_n(&o.vertices[3 * o.faceIndices[f + k]], 3, t.c[k].p);
      out.push_back(t);
    }
  return out;
}

// Assimp's faces placed in the scene. Assimp keeps each 3DS mesh in its object's local
// frame and gives the node the object's transform; the root node carries the Z-up to Y-up
// rotation, rows (1 0 0 | 0 0 1 | 0 -1 0), which is our (x, z, -y). The product of the node
// transforms from the root therefore maps Assimp's vertices back onto ours.
void AssimpTriangles(const aiScene* scene, const aiNode* node, aiMatrix4x4 parent,
                     std::vector<Triangle>& out) {
  aiMatrix4x4 global = parent * node->mTransformation;
  for (unsigned i = 0; i < node->mNumMeshes; ++i) {
    const aiMesh* mesh = scene->mMeshes[node->mMeshes[i]];
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
      const aiFace& face = mesh->mFaces[f];
      if (face.mNumIndices != 3) continue;
      Triangle t;
      for (int k = 0; k < 3; ++k) {
        aiVector3D v = global * mesh->mVertices[face.mIndices[k]];
        t.c[k] = {{v.x, v.y, v.z}};
      }
      out.push_back(t);
    }
  }
  for (unsigned i = 0; i < node->mNumChildren; ++i)
    AssimpTriangles(scene, node->mChildren[i], global, out);
}

bool Same(const Triangle& a, const Triangle& b, float tolerance) {
  for (int k = 0; k < 3; ++k)
    for (int j = 0; j < 3; ++j)
      if (!(std::fabs(a.c[k].p[j] - b.c[k].p[j]) <= tolerance)) return false;
  return true;
}

// Edge lengths in corner order: equal for faces that differ by a rigid motion.
bool Congruent(const Triangle& a, const Triangle& b, float tolerance) {
  auto edge = [](const Triangle& t, int i) {
    const float* p = t.c[i].p;
    const float* q = t.c[(i + 1) % 3].p;
    return std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
  };
  for (int i = 0; i < 3; ++i)
    if (!(std::fabs(edge(a, i) - edge(b, i)) <= tolerance)) return false;
  return true;
}

// Assimp places a node by the keyframer's pose at frame 0, which we do not read: in these
// files that pose moves the object away from its editor position (a rotation, a parent).
bool PosedByKeyframer(const std::string& path) {
  std::string name = fs::path(path).filename().string();
  return name == "RotatingCube.3DS" || name == "CameraRollAnimWithChildObject.3ds";
}

float Extent(const std::vector<Triangle>& ts) {
  float extent = 1e-6f;
  for (const Triangle& t : ts)
    for (const Corner& c : t.c)
      for (float v : c.p) extent = std::max(extent, std::fabs(v));
  return extent;
}

TEST(RealFiles, LoadCleanlyWithUnitNormalsAndTangents) {
  REQUIRE_TEST_DATA();
  for (const std::string& path : RealFiles()) {
    if (fs::file_size(path) == 0) continue;  // the empty file has its own test
    SCOPED_TRACE(path);
    std::vector<std::string> reports;
    plat::CaptureDiagnostics(&reports);
    c3DsModelSystem m;
    bool ok = m.Load(path);
    plat::CaptureDiagnostics(nullptr);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(reports.empty()) << (reports.empty() ? "" : reports[0]);
    ASSERT_GT(m.objectCount, 0);
    for (const MeshObject& o : m.objects) {
      for (size_t i = 0; i + 2 < o.normals.size(); i += 3) {
        float n = std::hypot(o.normals[i], o.normals[i + 1], o.normals[i + 2]);
        EXPECT_TRUE(n == 0.0f || std::fabs(n - 1.0f) < 1e-4f) << o.name << " vertex " << i / 3;
      }
      for (size_t i = 0; i + 2 < o.tangents.size(); i += 3)
        EXPECT_NEAR(std::hypot(o.tangents[i], o.tangents[i + 1], o.tangents[i + 2]), 1.0f, 1e-4f);
    }
  }
}

TEST(RealFiles, EmptyFileIsReportedAndLeavesModelEmpty) {
  REQUIRE_TEST_DATA();
  std::vector<std::string> reports;
  plat::CaptureDiagnostics(&reports);
  c3DsModelSystem m;
  EXPECT_FALSE(m.Load(TOLVANE_3DS_SAMPLES "/invalid/empty.3ds"));
  plat::CaptureDiagnostics(nullptr);
  EXPECT_EQ(reports.size(), 1u);
  EXPECT_EQ(m.objectCount, 0);
}

TEST(RealFiles, AssimpReadsTheSameFacesAndVertices) {
  REQUIRE_TEST_DATA();
  for (const std::string& path : RealFiles()) {
    if (fs::file_size(path) == 0) continue;
    SCOPED_TRACE(path);
    c3DsModelSystem m;
    ASSERT_TRUE(m.Load(path));
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    std::vector<Triangle> theirs;
    AssimpTriangles(scene, scene->mRootNode, aiMatrix4x4(), theirs);
    std::vector<Triangle> ours = OurTriangles(m);

    // Assimp gives every face its own three vertices: its vertex count is 3 x faces.
    unsigned theirVertices = 0;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) theirVertices += scene->mMeshes[i]->mNumVertices;
    ASSERT_EQ(ours.size(), theirs.size());
    EXPECT_EQ(theirVertices, 3 * ours.size());

    // Every one of their faces is one of ours, corner by corner, each of ours used once
    // (only up to a rigid motion where the keyframer poses the object).
    float tolerance = 1e-4f * Extent(ours);
    auto match = PosedByKeyframer(path) ? Congruent : Same;
    std::vector<bool> used(ours.size(), false);
    size_t unmatched = 0;
    for (const Triangle& t : theirs) {
      size_t k = 0;
      while (k < ours.size() && (used[k] || !match(ours[k], t, tolerance))) ++k;
      if (k == ours.size())
        ++unmatched;
      else
        used[k] = true;
    }
    EXPECT_EQ(unmatched, 0u);
  }
}

}  // namespace
