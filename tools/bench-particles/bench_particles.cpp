// bench_particles.cpp -- time of one Update on the largest pool the show runs (2000 feathers).
#include <benchmark/benchmark.h>

#include "effects/particle_system.h"
#include "platform/counter.h"

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

}  // namespace

BENCHMARK(BM_Update)->Arg(1)->Arg(0);
BENCHMARK_MAIN();
