// field_mesh_bench.cpp -- one frame of the metaball scene's field and surface, meshed once or per pass.
#include <benchmark/benchmark.h>

#include "assets/geometry.h"
#include "scenes/abstract_ii_state.h"

using namespace MorlenGL;

namespace {

// Ten passes a frame draw the balls: four full views and the six faces of the water's cube.
constexpr int kPassesWithBalls = 10;

// The scene's grid with the balls where they are at scene time T (before the contraction).
struct Frame {
  IsoGrid grid;
  std::array<Metaball, 4> balls = AbstractIIState{}.balls;
  explicit Frame(float T) {
    AllocateGrid(grid);
    BuildGrid(grid, 30);
    const std::array<Vec3, 4> orbit = BallOrbits(T);
    for (int i = 0; i < 4; ++i) balls[i].x = orbit[i].x, balls[i].y = orbit[i].y, balls[i].z = orbit[i].z;
  }
};

void BM_FieldOnly(benchmark::State& state) {
  Frame frame(5);
  for (auto _ : state) {
    EvaluateField(frame.grid, frame.balls);
    benchmark::DoNotOptimize(frame.grid.points[0].value);
  }
}
BENCHMARK(BM_FieldOnly)->Unit(benchmark::kMicrosecond);

// The frame as described: the field, then the surface polygonised anew by every pass.
void BM_FieldAndPolygoniseEveryPass(benchmark::State& state) {
  Frame frame(5);
  CountingEmitter out;
  for (auto _ : state) {
    EvaluateField(frame.grid, frame.balls);
    for (int pass = 0; pass < kPassesWithBalls; ++pass) Polygonise(frame.grid, 1.0f, out);
    benchmark::DoNotOptimize(out.vertices);
  }
  state.counters["triangles"] = frame.grid.triangleCount;
}
BENCHMARK(BM_FieldAndPolygoniseEveryPass)->Unit(benchmark::kMicrosecond);

// The frame as the scene runs it: the field, then one mesh that every pass draws.
void BM_FieldAndMeshOnce(benchmark::State& state) {
  Frame frame(5);
  IsoMesh mesh;
  for (auto _ : state) {
    EvaluateField(frame.grid, frame.balls);
    PolygoniseInto(frame.grid, 1.0f, mesh);
    benchmark::DoNotOptimize(mesh.vertices.data());
  }
  state.counters["triangles"] = frame.grid.triangleCount;
}
BENCHMARK(BM_FieldAndMeshOnce)->Unit(benchmark::kMicrosecond);

}  // namespace
