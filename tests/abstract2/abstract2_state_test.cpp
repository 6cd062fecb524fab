// abstract2_state_test.cpp -- the metaball scene's state, field and surface, without OpenGL.
#include "scenes/abstract_ii_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>
#include <vector>

using namespace MorlenGL;

namespace {

// The scene's update steps on a clock that moves only when told, as the frame loop would move it.
struct SteppedScene {
  AbstractIIState state;
  cParticleSystem particles;
  Timer clock;

  SteppedScene() {
    clock.m_timeShift = 0;
    clock.m_elapsed = clock.m_lastElapsed = 0;
    particles.clock = &clock;
    particles.Init(50);
  }
  void FrameAt(int32_t cs) {
    clock.m_lastElapsed = clock.m_elapsed;
    clock.m_elapsed = cs;
    StepAbstractII(state, particles, ReadSceneTime(clock));
  }
  // Frames of step hundredths until cs reaches to.
  void RunTo(int32_t to, int32_t step = 2) {
    while (clock.m_elapsed + step <= to) FrameAt(clock.m_elapsed + step);
  }
};

void ExpectBallAt(const Metaball& b, float x, float y, float z, float tolerance = 1e-4f) {
  EXPECT_NEAR(b.x, x, tolerance);
  EXPECT_NEAR(b.y, y, tolerance);
  EXPECT_NEAR(b.z, z, tolerance);
}

}  // namespace

// At T = 0 (c = 1, s = 0) and T = pi/8 (c = 0, s = 1) the orbits reduce to hand-checked points.
TEST(AbstractIIOrbits, FourBallsFollowTheirOrbitsUntilTheContraction) {
  const std::array<Vec3, 4> at0 = BallOrbits(0);
  const float expected0[4][3] = {{-2, 0, -1}, {4, -0.4f, 5}, {-5, 0, 0}, {5, 0, 0}};
  const float T = static_cast<float>(M_PI / 8);
  const std::array<Vec3, 4> at1 = BallOrbits(T);
  const float expected1[4][3] = {
      {0, 4 * std::sin(5 * T), 0}, {5, std::sin(0.8f * T), 0}, {-0.2f, 4.8f, 1.8f}, {0.2f, -4.8f, -1.8f}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(at0[i].x, expected0[i][0], 1e-5f);
    EXPECT_NEAR(at0[i].y, expected0[i][1], 1e-5f);
    EXPECT_NEAR(at0[i].z, expected0[i][2], 1e-5f);
    EXPECT_NEAR(at1[i].x, expected1[i][0], 1e-5f);
    EXPECT_NEAR(at1[i].y, expected1[i][1], 1e-5f);
    EXPECT_NEAR(at1[i].z, expected1[i][2], 1e-5f);
  }
  // The update places the balls on their orbits, strengths untouched.
  SteppedScene s;
  s.RunTo(1000);
  const std::array<Vec3, 4> orbit = BallOrbits(10);
  for (int i = 0; i < 4; ++i) ExpectBallAt(s.state.balls[i], orbit[i].x, orbit[i].y, orbit[i].z);
  EXPECT_EQ(s.state.balls[3].w, 8);
  EXPECT_EQ(s.state.contract, 1.0f);
}

TEST(AbstractIIOrbits, BallsContractFrom22To35ThenFollowTheSlowOrbitFrom32) {
  SteppedScene s;
  s.RunTo(2190);
  EXPECT_EQ(s.state.contract, 1.0f);
  s.RunTo(3000);
  // About eight seconds of 0.5 per second on top of 1, and the orbit divided by it.
  EXPECT_NEAR(s.state.contract, 5.0f, 0.02f);
  const std::array<Vec3, 4> orbit = BallOrbits(30);
  for (int i = 0; i < 4; ++i)
    ExpectBallAt(s.state.balls[i], orbit[i].x / s.state.contract, orbit[i].y / s.state.contract,
                 orbit[i].z / s.state.contract);
  s.RunTo(3600);
  EXPECT_NEAR(s.state.contract, 7.5f, 0.02f);
  s.RunTo(4000);
  EXPECT_NEAR(s.state.contract, 7.5f, 0.02f);  // no further from 35 s
  // The slow orbit: phase grows by T / 1000 per frame, the balls a quarter apart on one curve.
  EXPECT_GT(s.state.orbitPhase, 0.5f);
  for (int i = 0; i < 4; ++i) {
    const Vec3 p = SlowOrbitPoint(s.state.orbitPhase + 0.25f * static_cast<float>(i));
    ExpectBallAt(s.state.balls[i], p.x, p.y, p.z);
  }
  const Vec3 start = SlowOrbitPoint(0);
  EXPECT_NEAR(start.x, -2.66f, 1e-5f);
  EXPECT_NEAR(start.y, 0.28f, 1e-5f);
  EXPECT_NEAR(start.z, 1.7f, 1e-5f);
}

TEST(AbstractIIFlash, GateFadesAtOnceRisesToFullAt32AndALongFrameSkipsIt) {
  SteppedScene s;
  EXPECT_EQ(s.state.flashGate, 1.0f);
  s.RunTo(34);
  EXPECT_EQ(s.state.flashGate, 0.0f);  // 3 per second, clamped
  s.RunTo(3140);
  EXPECT_EQ(s.state.flashGate, 0.0f);
  s.RunTo(3176);
  const float rising = s.state.flashGate;
  EXPECT_GT(rising, 0.5f);
  EXPECT_LT(rising, 1.0f);
  s.FrameAt(3178);
  EXPECT_NEAR(s.state.flashGate - rising, 0.06f, 1e-4f);  // 3 per second
  s.RunTo(3198);
  EXPECT_EQ(s.state.flashGate, 1.0f);
  s.RunTo(3300);
  EXPECT_NEAR(s.state.flashGate, 0.0f, 1e-6f);
  // One frame over the whole rise: nothing.
  SteppedScene jump;
  jump.RunTo(3140);
  jump.FrameAt(3210);
  EXPECT_EQ(jump.state.flashGate, 0.0f);
}

TEST(AbstractIIIso, LevelRisesFrom32To40AndFadesRunFrom50) {
  SteppedScene s;
  s.RunTo(3190);
  EXPECT_EQ(IsoLevel(s.state), 1.0f);
  s.RunTo(3600);
  EXPECT_NEAR(IsoLevel(s.state), 1.8f, 0.01f);
  s.RunTo(4400);
  EXPECT_NEAR(IsoLevel(s.state), 2.6f, 0.01f);
  // Water and sky on the way: water passes 0 at 12 s and keeps rising, the sky is full from 22 s.
  EXPECT_NEAR(s.state.waterHeight, 32.0f, 0.05f);
  EXPECT_EQ(s.state.skyFade, 1.0f);
  EXPECT_EQ(s.state.endFade, 0.0f);
  s.RunTo(5200);
  EXPECT_NEAR(s.state.shrink, 0.5f, 0.01f);
  EXPECT_NEAR(s.state.endFade, 0.5f, 0.01f);
  EXPECT_NEAR(s.state.bwMix, 0.25f, 0.01f);
  s.RunTo(6400);
  EXPECT_EQ(s.state.endFade, 1.0f);
  EXPECT_EQ(s.state.bwMix, 1.0f);
  EXPECT_EQ(s.state.shrink, 0.5f);
}

TEST(AbstractIIDraw, SpiralJumpsOnceFrom10To20AndCameraBrakesToAStop) {
  AbstractIIState s;
  for (int i = 0; i < 39; ++i) StepSpiral(s, 0.25f);
  EXPECT_EQ(s.spiralTime, 9.75f);
  EXPECT_EQ(SpiralSegments(s), 97);
  StepSpiral(s, 0.25f);
  EXPECT_EQ(s.spiralTime, 20.0f);
  StepSpiral(s, 0.25f);
  EXPECT_EQ(s.spiralTime, 20.25f);  // grows on from 20
  EXPECT_EQ(SpiralSegments(s), 202);

  // Until the end fade starts, the camera circles at T + 2.5; then it slows to a stop.
  EXPECT_FLOAT_EQ(StepCameraAngle(s, 49.9f, 0.1f), 52.4f);
  s.endFade = 0.5f;
  EXPECT_FLOAT_EQ(StepCameraAngle(s, 50.0f, 0.1f), 52.45f);
  s.endFade = 1.0f;
  EXPECT_FLOAT_EQ(StepCameraAngle(s, 60.0f, 0.1f), 52.45f);
}

TEST(AbstractIIField, SumsEachBallsInverseSquareAndItsOutwardGradient) {
  IsoGrid grid;
  ASSERT_TRUE(AllocateGrid(grid, 4));
  ASSERT_TRUE(BuildGrid(grid, 4));  // points 5 units apart, from -10
  // Point (i, j, k) = (2, 2, 2) is the origin; ball 0 sits on it exactly.
  const int origin = (2 * 5 + 2) * 5 + 2;
  const std::array<Metaball, 4> balls{{{0, 0, 0, 5}, {3, 0, 0, 6}, {0, 4, 0, 8}, {0, 0, -2, 2}}};
  EvaluateField(grid, balls);
  const GridPoint& p = grid.points[origin];
  EXPECT_FLOAT_EQ(p.value, 5 / 0.0001f + 6.0f / 9 + 8.0f / 16 + 2.0f / 4);
  // d = point - ball, over r^4: ball 0 has d = 0 and adds nothing.
  EXPECT_FLOAT_EQ(p.nx, -3 * 6.0f / 81);
  EXPECT_FLOAT_EQ(p.ny, -4 * 8.0f / 256);
  EXPECT_FLOAT_EQ(p.nz, 2 * 2.0f / 16);
  // The field is rewritten, not added to.
  EvaluateField(grid, balls);
  EXPECT_FLOAT_EQ(grid.points[origin].value, p.value);
  const GridPoint& corner = grid.points[0];  // (-10, -10, -10)
  const float r2 = 100 + 100 + 100;
  EXPECT_NEAR(corner.value, 5 / r2 + 6 / (169 + 200.0f) + 8 / (100 + 196 + 100.0f) + 2 / (200 + 64.0f), 1e-6f);
}

// One ball: a closed, outward-facing surface on the sphere where w / r^2 meets the level, the
// same vertices as Polygonise sends.
TEST(AbstractIIField, OneBallMeshesToAClosedSphereAtTheIsoRadius) {
  IsoGrid grid;
  ASSERT_TRUE(AllocateGrid(grid, 60));
  ASSERT_TRUE(BuildGrid(grid, 30));
  const Metaball ball{0.3f, -0.2f, 0.1f, 9};
  EvaluateField(grid, {{ball, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}});
  const float iso = 1.0f;  // radius 3
  IsoMesh mesh;
  PolygoniseInto(grid, iso, mesh);
  ASSERT_GT(grid.triangleCount, 200);
  ASSERT_EQ(mesh.vertices.size(), 3u * grid.triangleCount);

  // Directed edges keyed on rounded positions: a closed, consistently wound surface uses each
  // edge once in each direction.
  auto key = [](const IsoMeshVertex& v) {
    return std::make_tuple(std::lround(v.position[0] * 1e4), std::lround(v.position[1] * 1e4),
                           std::lround(v.position[2] * 1e4));
  };
  std::map<std::pair<decltype(key(mesh.vertices[0])), decltype(key(mesh.vertices[0]))>, int> edges;
  for (size_t t = 0; t < mesh.vertices.size(); t += 3) {
    const IsoMeshVertex* v = &mesh.vertices[t];
    for (int e = 0; e < 3; ++e) ++edges[{key(v[e]), key(v[(e + 1) % 3])}];
    // Winding agrees with the outward normal.
    float a[3], b[3], n[3], c[3];
    for (int k = 0; k < 3; ++k) {
      a[k] = v[1].position[k] - v[0].position[k];
      b[k] = v[2].position[k] - v[0].position[k];
      c[k] = v[0].position[k];
    }
    n[0] = a[1] * b[2] - a[2] * b[1];
    n[1] = a[2] * b[0] - a[0] * b[2];
    n[2] = a[0] * b[1] - a[1] * b[0];
    const float outward = n[0] * (c[0] - ball.x) + n[1] * (c[1] - ball.y) + n[2] * (c[2] - ball.z);
    const float area2 = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (area2 > 1e-6f) {
      EXPECT_GT(outward, 0) << "triangle " << t / 3;
    }
  }
  for (const auto& [edge, count] : edges) {
    EXPECT_EQ(count, 1);
    EXPECT_EQ(edges.count({edge.second, edge.first}), 1u);
  }
  for (const IsoMeshVertex& v : mesh.vertices) {
    const float dx = v.position[0] - ball.x, dy = v.position[1] - ball.y, dz = v.position[2] - ball.z;
    EXPECT_NEAR(std::sqrt(dx * dx + dy * dy + dz * dz), 3.0f, 0.15f);
    // The normal is the field's gradient, pointing out; the texture coordinate comes from it.
    EXPECT_GT(v.normal[0] * dx + v.normal[1] * dy + v.normal[2] * dz, 0);
    EXPECT_EQ(v.texCoord[0], v.normal[0]);
    EXPECT_EQ(v.texCoord[1], -v.normal[1]);
  }

  // Exactly what Polygonise sends, vertex for vertex.
  RecordingEmitter recorded;
  Polygonise(grid, iso, recorded);
  ASSERT_EQ(recorded.batches.size(), 1u);
  const std::vector<RecordingEmitter::RecordedVertex>& sent = recorded.batches[0].vertices;
  ASSERT_EQ(sent.size(), mesh.vertices.size());
  for (size_t i = 0; i < sent.size(); ++i)
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(sent[i].position[k], mesh.vertices[i].position[k]);
      EXPECT_EQ(sent[i].normal[k], mesh.vertices[i].normal[k]);
    }
  // A rebuild replaces the surface instead of adding to it.
  PolygoniseInto(grid, iso, mesh);
  EXPECT_EQ(mesh.vertices.size(), sent.size());
}
