// sphere_bench.cpp -- fifty 64 x 64 wobbling spheres a frame, by gluSphere and as the prepared mesh, on the headless context.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <memory>
#include <string>

#include "assets/geometry.h"
#include "effects/lighting_shaders.h"
#include "platform/window_backend.h"

using namespace MorlenGL;

namespace {

// A small viewport keeps rasterising out of the figures: they measure sending and transforming the
// vertices (through the spheres' wave program, as in the scene).
bool EnsureContext() {
  static std::unique_ptr<plat::WindowBackend> backend;
  if (!backend) {
    backend = plat::CreateHeadlessBackend();
    plat::WindowDesc desc;
    desc.width = 64;
    desc.height = 64;
    std::string error;
    if (!backend->Create(desc, &error)) std::fprintf(stderr, "sphere_bench: %s\n", error.c_str());
  }
  return backend->IsCreated();
}

template <class DrawOne>
void FiftySpheres(benchmark::State& state, DrawOne drawOne) {
  if (!EnsureContext()) {
    state.SkipWithError("no headless OpenGL context");
    return;
  }
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-100, 100, -100, 100, -100, 100);
  glMatrixMode(GL_MODELVIEW);
  cVertexDistort wave;
  if (wave.InitProgram() && wave.CompileVertexShader()) wave.CompileFragmentShader();
  wave.time = 5;
  wave.Bind(Camera{});
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (int k = 0; k < 50; ++k) {
      glPushMatrix();
      glTranslatef(static_cast<float>(k % 10) * 15 - 70, static_cast<float>(k / 10) * 15 - 30, 0);
      glScalef(5, 5, 5);
      drawOne();
      glPopMatrix();
    }
    glFinish();
  }
  wave.Unbind();
}

void BM_GluSphere(benchmark::State& state) {
  GLUquadric* quadric = gluNewQuadric();
  gluQuadricNormals(quadric, GLU_SMOOTH);
  gluQuadricTexture(quadric, GL_TRUE);
  FiftySpheres(state, [quadric] { gluSphere(quadric, 1, 64, 64); });
  gluDeleteQuadric(quadric);
}
BENCHMARK(BM_GluSphere)->Unit(benchmark::kMillisecond);

void BM_PreparedSphere(benchmark::State& state) {
  SphereMesh mesh = BuildSphereMesh(1, 64, 64);
  if (EnsureContext()) UploadSphereMesh(mesh);
  FiftySpheres(state, [&mesh] { DrawSphereMesh(mesh); });
}
BENCHMARK(BM_PreparedSphere)->Unit(benchmark::kMillisecond);

}  // namespace
