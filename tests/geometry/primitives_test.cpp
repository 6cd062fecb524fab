// primitives_test.cpp -- cube, icosphere and line pen, recorded without a context.
#include <gtest/gtest.h>

#include <cmath>

#include "assets/geometry.h"

using namespace MorlenGL;
using Recorded = RecordingEmitter::RecordedVertex;

namespace {

float Length(const float v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

void ExpectPosition(const Recorded& v, float x, float y, float z, float tolerance = 1e-6f) {
  EXPECT_NEAR(v.position[0], x, tolerance);
  EXPECT_NEAR(v.position[1], y, tolerance);
  EXPECT_NEAR(v.position[2], z, tolerance);
}

}  // namespace

TEST(DrawCube, SixFacesWithOutwardNormals) {
  RecordingEmitter rec;
  DrawCube(rec);
  ASSERT_EQ(rec.batches.size(), 1u);
  const auto& vs = rec.batches[0].vertices;
  EXPECT_EQ(rec.batches[0].mode, Primitive::Quads);
  ASSERT_EQ(vs.size(), 24u);
  for (const Recorded& v : vs) {
    const float along = v.normal[0] * v.position[0] + v.normal[1] * v.position[1] +
                        v.normal[2] * v.position[2];
    EXPECT_EQ(along, 1.0f) << "each vertex lies on the face its normal points out of";
  }
  // Six different normals, one per face of four vertices.
  for (int f = 0; f < 6; ++f)
    for (int g = f + 1; g < 6; ++g) {
      const float* a = vs[f * 4].normal;
      const float* b = vs[g * 4].normal;
      EXPECT_FALSE(a[0] == b[0] && a[1] == b[1] && a[2] == b[2]) << f << " " << g;
    }
  // The back face starts at (-1, -1, -1) with texture coordinate (1, 0).
  ExpectPosition(vs[4], -1, -1, -1);
  EXPECT_EQ(vs[4].texCoord[0], 1.0f);
  EXPECT_EQ(vs[4].texCoord[1], 0.0f);
}

TEST(DrawIcosphere, DepthZeroIsTheIcosahedron) {
  RecordingEmitter rec;
  DrawIcosphere(0, 2.0f, rec);
  EXPECT_EQ(rec.TriangleCount(), 20);
  ASSERT_EQ(rec.batches.size(), 1u);
  const auto& vs = rec.batches[0].vertices;
  // The first face is (0, 4, 1): (-a, 0, b), (0, b, a), (a, 0, b), scaled by the radius.
  const float a = 0.525731112119133606f, b = 0.850650808352039932f;
  ExpectPosition(vs[0], -2 * a, 0, 2 * b);
  ExpectPosition(vs[1], 0, 2 * b, 2 * a);
  ExpectPosition(vs[2], 2 * a, 0, 2 * b);
  // The last face is (7, 2, 11).
  ExpectPosition(vs[57], 0, -2 * b, -2 * a);
  ExpectPosition(vs[59], -2 * b, -2 * a, 0);
  EXPECT_EQ(vs[1].texCoord[0], vs[1].normal[0]);
  EXPECT_EQ(vs[1].texCoord[1], vs[1].normal[1]);
}

TEST(DrawIcosphere, EachDepthSplitsEveryFaceIntoFourOnTheSphere) {
  for (int depth : {1, 2}) {
    RecordingEmitter rec;
    DrawIcosphere(depth, 0.075f, rec);
    EXPECT_EQ(rec.TriangleCount(), depth == 1 ? 80 : 320);
    for (const Recorded& v : rec.batches[0].vertices) {
      ASSERT_NEAR(Length(v.normal), 1.0f, 1e-5f);
      ASSERT_NEAR(v.position[0], 0.075f * v.normal[0], 1e-6f);
      ASSERT_NEAR(Length(v.position), 0.075f, 1e-6f);
    }
  }
  // Depth 1, first face (P, Q, R) = vertices 0, 4, 1: the first sub-triangle is (P, M_PQ, M_PR),
  // the fourth (M_PQ, M_QR, M_PR).
  RecordingEmitter rec;
  DrawIcosphere(1, 1.0f, rec);
  const auto& vs = rec.batches[0].vertices;
  const float a = 0.525731112119133606f, b = 0.850650808352039932f;
  ExpectPosition(vs[0], -a, 0, b);
  const float pq[3] = {-a / 2, b / 2, (a + b) / 2};
  const float n = Length(pq);
  ExpectPosition(vs[1], pq[0] / n, pq[1] / n, pq[2] / n, 1e-6f);
  ExpectPosition(vs[2], 0, 0, 1, 1e-6f);  // midpoint of (-a, 0, b) and (a, 0, b), normalised
  ExpectPosition(vs[9], pq[0] / n, pq[1] / n, pq[2] / n, 1e-6f);
  ExpectPosition(vs[11], 0, 0, 1, 1e-6f);
}

TEST(DrawIcosphere, NegativeDepthDrawsThePlainIcosahedron) {
  RecordingEmitter rec;
  DrawIcosphere(-3, 1.0f, rec);
  EXPECT_EQ(rec.TriangleCount(), 20);
}

TEST(LinePen, LineToDrawsOneSegmentAndMovesThePen) {
  RecordingEmitter rec;
  LinePen pen;
  pen.x = 1, pen.y = 2, pen.z = 3;
  LineTo(pen, 4, 5, 6, rec);
  ASSERT_EQ(rec.batches.size(), 1u);
  EXPECT_EQ(rec.batches[0].mode, Primitive::Lines);
  ASSERT_EQ(rec.batches[0].vertices.size(), 2u);
  ExpectPosition(rec.batches[0].vertices[0], 1, 2, 3);
  ExpectPosition(rec.batches[0].vertices[1], 4, 5, 6);
  EXPECT_EQ(pen.x, 4);
  EXPECT_EQ(pen.z, 6);
}

TEST(LinePen, ForwardFollowsTheHeadingAndDropsToZEqualsZero) {
  RecordingEmitter rec;
  LinePen pen;
  pen.z = 7;
  pen.heading = 180;
  Forward(pen, 2, rec);
  ExpectPosition(rec.batches[0].vertices[0], 0, 0, 7);
  EXPECT_NEAR(pen.x, -2, 1e-4f);
  EXPECT_NEAR(pen.y, 0, 1e-4f);
  EXPECT_EQ(pen.z, 0);
}

TEST(LinePen, SpiralDrawsNPlusOneSegments) {
  RecordingEmitter rec;
  LinePen pen;
  Spiral(pen, 0, 1, 90, 0.5f, rec);
  ASSERT_EQ(rec.batches.size(), 1u);
  ExpectPosition(rec.batches[0].vertices[1], 1, 0, 0);
  EXPECT_EQ(pen.heading, 90);

  RecordingEmitter two;
  LinePen second;
  Spiral(second, 1, 1, 90, 0.5f, two);
  ASSERT_EQ(two.batches.size(), 2u);
  ExpectPosition(two.batches[1].vertices[0], 1, 0, 0);
  ExpectPosition(two.batches[1].vertices[1], 1, 1.5f, 0, 1e-4f);
  EXPECT_EQ(second.heading, 180);
  // The degree factor is a little above pi / 180, so 90 degrees lands just left of x = 1.
  EXPECT_LT(second.x, 1.0f);

  RecordingEmitter none;
  LinePen third;
  Spiral(third, -1, 1, 90, 0.5f, none);
  EXPECT_TRUE(none.batches.empty());
}

