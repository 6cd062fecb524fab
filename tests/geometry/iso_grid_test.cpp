// iso_grid_test.cpp -- grid numbering, marching-cubes tables and Polygonise output.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "assets/geometry.h"
#include "assets/marching_cubes_tables.h"
#include "platform/diagnostics.h"

using namespace MorlenGL;

namespace {

struct Captured {
  std::vector<std::string> lines;
  Captured() { plat::CaptureDiagnostics(&lines); }
  ~Captured() { plat::CaptureDiagnostics(nullptr); }
};

IsoGrid Built(int n) {
  IsoGrid grid;
  EXPECT_TRUE(AllocateGrid(grid, n));
  EXPECT_TRUE(BuildGrid(grid, n));
  return grid;
}

template <class Field>
void Fill(IsoGrid& grid, Field field) {
  for (GridPoint& p : grid.points) p.value = field(p);
}

int CountTableTriangles(int index) {
  int n = 0;
  while (kTriangleTable[index][3 * n] != -1) ++n;
  return n;
}

}  // namespace

// --- grid ------------------------------------------------------------------------------------------

TEST(IsoGrid, SixtyCellsSpanMinusTenToTenWithTheDocumentedNumbering) {
  IsoGrid grid = Built(60);
  EXPECT_EQ(grid.pointCount, 226981);
  EXPECT_EQ(grid.cubeCount, 216000);
  const GridPoint& first = grid.points[0];
  const GridPoint& last = grid.points[226980];
  EXPECT_EQ(first.x, -10);
  EXPECT_EQ(first.y, -10);
  EXPECT_EQ(first.z, -10);
  EXPECT_EQ(last.x, 10);
  EXPECT_EQ(last.y, 10);
  EXPECT_EQ(last.z, 10);
  // k runs innermost and moves z; i runs outermost and moves x.
  EXPECT_EQ(grid.points[1].z, first.z + 20.0f / 60);
  EXPECT_EQ(grid.points[3721].x, first.x + 20.0f / 60);
  const int expected[8] = {0, 1, 62, 61, 3721, 3722, 3783, 3782};
  for (int c = 0; c < 8; ++c) EXPECT_EQ(grid.cubes[0].corner[c], expected[c]) << "corner " << c;
  // The last cell's corner 6 is the last point.
  EXPECT_EQ(grid.cubes[215999].corner[6], 226980);
}

TEST(IsoGrid, ArraysAreSizedFromNAndBuildRefusesWhatDoesNotFit) {
  IsoGrid grid;
  ASSERT_TRUE(AllocateGrid(grid, 4));
  EXPECT_EQ(grid.points.size(), 125u);
  EXPECT_EQ(grid.cubes.size(), 64u);
  Captured diag;
  EXPECT_FALSE(BuildGrid(grid, 5));
  EXPECT_FALSE(BuildGrid(grid, 0));
  EXPECT_FALSE(AllocateGrid(grid, -1));
  EXPECT_EQ(diag.lines.size(), 3u);
  EXPECT_TRUE(BuildGrid(grid, 2));  // smaller than allocated is fine
  EXPECT_EQ(grid.cubeCount, 8);
  EXPECT_EQ(grid.points[26].x, 10);
}

// --- tables ----------------------------------------------------------------------------------------

TEST(MarchingCubesTables, EdgeTableMatchesTheClassicEntries) {
  const int classic[16] = {0x0,   0x109, 0x203, 0x30a, 0x406, 0x50f, 0x605, 0x70c,
                           0x80c, 0x905, 0xa0f, 0xb06, 0xc0a, 0xd03, 0xe09, 0xf00};
  for (int c = 0; c < 16; ++c) EXPECT_EQ(kEdgeTable[c], classic[c]) << c;
  EXPECT_EQ(kEdgeTable[255], 0);
  for (int c = 0; c < 256; ++c) EXPECT_EQ(kEdgeTable[c], kEdgeTable[255 - c]);
}

// Every row must triangulate exactly its crossing edges into a consistently wound patch whose
// open border runs only along the cell's faces: catches a mistyped entry anywhere in the table.
TEST(MarchingCubesTables, EveryCaseIsAConsistentPatchOverItsCrossingEdges) {
  for (int c = 0; c < 256; ++c) {
    const signed char* row = kTriangleTable[c];
    const int triangles = CountTableTriangles(c);
    ASSERT_LE(triangles, 5) << c;
    int used = 0;
    std::map<std::pair<int, int>, int> directed;
    for (int t = 0; t < triangles; ++t) {
      for (int k = 0; k < 3; ++k) {
        const int e = row[3 * t + k];
        ASSERT_TRUE(e >= 0 && e < 12) << "case " << c;
        used |= 1 << e;
        directed[{e, row[3 * t + (k + 1) % 3]}]++;
      }
    }
    EXPECT_EQ(used, kEdgeTable[c]) << "case " << c;
    for (const auto& [edge, count] : directed) {
      EXPECT_EQ(count, 1) << "case " << c << " repeats a directed edge";
      const bool shared = directed.count({edge.second, edge.first}) > 0;
      if (shared) continue;
      // A border segment: both crossing edges must touch one common cell face, i.e. their four
      // corners lie on at most four distinct corners sharing one coordinate.
      const int corners[4] = {kEdgeCorners[edge.first][0], kEdgeCorners[edge.first][1],
                              kEdgeCorners[edge.second][0], kEdgeCorners[edge.second][1]};
      static const int pos[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                    {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
      bool onFace = false;
      for (int axis = 0; axis < 3; ++axis) {
        bool same = true;
        for (int k : corners) same = same && pos[k][axis] == pos[corners[0]][axis];
        onFace = onFace || same;
      }
      EXPECT_TRUE(onFace) << "case " << c << " border " << edge.first << "-" << edge.second;
    }
  }
}

// --- cells and Polygonise --------------------------------------------------------------------------

TEST(Polygonise, OnlyCornerZeroInsideGivesOneTriangleFromEdgesZeroThreeEight) {
  IsoGrid grid = Built(1);
  Fill(grid, [](const GridPoint&) { return 1.0f; });
  grid.points[0].value = 0;
  for (int k = 0; k < grid.pointCount; ++k) grid.points[k].nx = static_cast<float>(k);
  grid.points[0].ny = 4;
  RecordingEmitter rec;
  Polygonise(grid, 0.25f, rec);
  EXPECT_EQ(grid.triangleCount, 1);
  ASSERT_EQ(rec.batches.size(), 1u);
  ASSERT_EQ(rec.batches[0].vertices.size(), 3u);
  const auto& vs = rec.batches[0].vertices;
  // t = 0.25 from corner 0 (-10, -10, -10) along edge 0 (to corner 1, +z), edge 3 (to corner 3,
  // +y) and edge 8 (to corner 4, +x).
  const float edge0[3] = {-10, -10, -5}, edge3[3] = {-10, -5, -10}, edge8[3] = {-5, -10, -10};
  const float* expected[3] = {edge0, edge3, edge8};
  const int otherCorner[3] = {1, 3, 4};
  for (int v = 0; v < 3; ++v) {
    for (int a = 0; a < 3; ++a) EXPECT_FLOAT_EQ(vs[v].position[a], expected[v][a]) << v << a;
    const int point = grid.cubes[0].corner[otherCorner[v]];
    const float nx = 0.25f * static_cast<float>(point);
    EXPECT_FLOAT_EQ(vs[v].normal[0], nx);
    EXPECT_FLOAT_EQ(vs[v].normal[1], 4 * 0.75f);
    EXPECT_FLOAT_EQ(vs[v].texCoord[0], nx);
    EXPECT_FLOAT_EQ(vs[v].texCoord[1], -3.0f);
  }
}

TEST(Polygonise, AllInsideOrAllOutsideEmitsNothing) {
  IsoGrid grid = Built(6);
  for (float value : {-1.0f, 0.5f, 2.0f}) {
    Fill(grid, [value](const GridPoint&) { return value; });
    grid.triangleCount = 99;
    RecordingEmitter rec;
    Polygonise(grid, 0.5f, rec);  // below, equal (counts as outside), above
    EXPECT_EQ(grid.triangleCount, 0) << value;
    ASSERT_EQ(rec.batches.size(), 1u);
    EXPECT_TRUE(rec.batches[0].vertices.empty());
    EXPECT_TRUE(rec.batches[0].ended);
  }
}

// A ball (value rises towards the centre, as a blob field does): every vertex on the level
// sphere, and every triangle wound so that its front faces away from the centre.
TEST(Polygonise, BallSurfaceLiesOnTheLevelAndFacesOutward) {
  IsoGrid grid = Built(20);
  Fill(grid, [](const GridPoint& p) { return 100 - (p.x * p.x + p.y * p.y + p.z * p.z); });
  RecordingEmitter rec;
  Polygonise(grid, 100 - 35.5f, rec);  // radius about 5.96, off the lattice values
  ASSERT_GT(grid.triangleCount, 100);
  EXPECT_EQ(rec.TriangleCount(), grid.triangleCount);
  const auto& vs = rec.batches[0].vertices;
  for (size_t i = 0; i < vs.size(); i += 3) {
    const float* a = vs[i].position;
    const float* b = vs[i + 1].position;
    const float* c = vs[i + 2].position;
    for (const float* p : {a, b, c})
      ASSERT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), std::sqrt(35.5f), 0.05f);
    const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const float outward = n[0] * (a[0] + b[0] + c[0]) + n[1] * (a[1] + b[1] + c[1]) + n[2] * (a[2] + b[2] + c[2]);
    ASSERT_GT(outward, 0) << "triangle " << i / 3;
  }
}
