// polygonise_bench.cpp -- one Polygonise pass over the show's 60-cell grid, without OpenGL.
#include <benchmark/benchmark.h>

#include <cmath>

#include "assets/geometry.h"

using namespace MorlenGL;

namespace {

// Three blobs, the kind of field the scene writes each frame.
IsoGrid BlobGrid() {
  IsoGrid grid;
  AllocateGrid(grid, 60);
  BuildGrid(grid, 60);
  const float centres[3][3] = {{-3, 0, 0}, {3, 1, 0}, {0, -2, 2}};
  for (GridPoint& p : grid.points) {
    p.value = 0;
    for (const auto& c : centres) {
      const float dx = p.x - c[0], dy = p.y - c[1], dz = p.z - c[2];
      p.value += 10.0f / (dx * dx + dy * dy + dz * dz + 0.01f);
    }
    const float r = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z) + 1e-6f;
    p.nx = p.x / r, p.ny = p.y / r, p.nz = p.z / r;
  }
  return grid;
}

void BM_Polygonise60(benchmark::State& state) {
  IsoGrid grid = BlobGrid();
  CountingEmitter out;
  for (auto _ : state) {
    Polygonise(grid, 1.0f, out);
    benchmark::DoNotOptimize(out.vertices);
  }
  state.counters["triangles"] = grid.triangleCount;
  state.SetItemsProcessed(state.iterations() * grid.cubeCount);
}
BENCHMARK(BM_Polygonise60)->Unit(benchmark::kMillisecond);

}  // namespace
