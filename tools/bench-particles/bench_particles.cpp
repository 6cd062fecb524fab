// bench_particles.cpp -- the largest pool the show runs (2000 feathers): one Update, and one DrawAll.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#include <GL/glu.h>

#include <memory>
#include <string>

#include "effects/particle_system.h"
#include "platform/counter.h"
#include "platform/window_backend.h"

namespace {

constexpr int kPool = 2000;
constexpr int64_t kFrequency = 10000;

// hundredthsPerFrame 1 is the usual frame; 0 is two frames within one hundredth, where every
// particle dies and waits for its rebirth.
void BM_Update(benchmark::State& state) {
  const int hundredthsPerFrame = static_cast<int>(state.range(0));
  plat::UseVirtualCounter(kFrequency, 0);
  MorlenGL::Timer clock;
  MorlenGL::cFeatherParticleSystem feathers;
  feathers.emitter = {0, 0, 0};
  feathers.colour = {1, 1, 1};
  feathers.Init(kPool);
  feathers.clock = &clock;
  feathers.lifeScale = 100;
  feathers.acceleration = {0.05f, -0.02f, 0.01f};
  for (auto _ : state) {
    plat::AdvanceVirtualCounter(hundredthsPerFrame * kFrequency / 100);
    clock.Advance();
    feathers.Update();
    benchmark::DoNotOptimize(feathers.particles.data());
    benchmark::ClobberMemory();
  }
  state.counters["per_particle"] = benchmark::Counter(
      kPool, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  plat::UseRealCounter();
}

// The headless context, made once; without one the benchmark is skipped with the reason.
bool HaveContext(benchmark::State& state) {
  static std::unique_ptr<plat::WindowBackend> backend;
  static std::string error;
  if (!backend) {
    backend = plat::CreateHeadlessBackend();
    if (!backend->Create(plat::WindowDesc{}, &error)) error = "no headless context: " + error;
  }
  if (!backend->IsCreated()) state.SkipWithError(error.c_str());
  return backend->IsCreated();
}

// A feather-sized bent card of 2 x 6 cells with mapping, as the generated feather.3ds has.
void MakeCard(c3DsModelSystem& model) {
  MeshObject card;
  for (int j = 0; j <= 6; ++j) {
    for (int i = 0; i <= 2; ++i) {
      const float s = float(i) / 2, t = float(j) / 6, y = (t - 0.5f) * 15;
      card.vertices.insert(card.vertices.end(), {(s - 0.5f) * 5, y, 0.2f * y * y / 15});
      card.normals.insert(card.normals.end(), {0, 0, 1});
      card.tangents.insert(card.tangents.end(), {1, 0, 0});
      card.texCoords.insert(card.texCoords.end(), {s, t});
    }
  }
  FaceGroup group;
  for (uint16_t j = 0; j < 6; ++j) {
    for (uint16_t i = 0; i < 2; ++i) {
      const uint16_t a = uint16_t(j * 3 + i), b = uint16_t(a + 1), c = uint16_t(a + 3), d = uint16_t(c + 1);
      group.indices.insert(group.indices.end(), {a, b, d, a, d, c});
    }
  }
  group.indexCount = int32_t(group.indices.size());
  card.vertexCount = 21;
  card.texCoordCount = 21;
  card.hasTexCoords = true;
  card.groups.push_back(group);
  model.objects.push_back(card);
  model.objectCount = 1;
}

// DrawAll into a 4 x 4 viewport, so the figure is the cost of sending the feathers, not of filling
// their pixels. Arg 0: the model's arrays are sent per feather; 1: its prepared display list.
void BM_DrawFeathers(benchmark::State& state) {
  if (!HaveContext(state)) return;
  MorlenGL::cFeatherParticleSystem feathers;
  MakeCard(feathers.model);
  if (state.range(0) == 1) feathers.model.Prepare();
  feathers.emitter = {0, 0, -60};
  feathers.Init(kPool);
  glViewport(0, 0, 4, 4);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45, 1, 0.01, 10000);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  for (auto _ : state) {
    feathers.DrawAll();
    glFinish();
  }
  state.counters["per_particle"] = benchmark::Counter(
      kPool, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_Update)->Arg(1)->Arg(0);
BENCHMARK(BM_DrawFeathers)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
