// procgen.cpp -- hashing value noise and its octave sums.
#include "procgen.h"

namespace datagen {

static uint32_t Hash(int32_t x, int32_t y, int32_t z, uint32_t seed) {
  uint32_t h = seed * 0x27D4EB2Du;
  h ^= uint32_t(x) * 0x85EBCA6Bu;
  h = (h << 13) | (h >> 19);
  h ^= uint32_t(y) * 0xC2B2AE35u;
  h = (h << 11) | (h >> 21);
  h ^= uint32_t(z) * 0x165667B1u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

static float Lattice(int32_t x, int32_t y, int32_t z, uint32_t seed) {
  return float(Hash(x, y, z, seed) >> 8) * (1.0f / 16777215.0f);
}

static float Fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

static int32_t Wrap(int32_t i, int period) {
  if (period <= 0) return i;
  int32_t m = i % period;
  return m < 0 ? m + period : m;
}

float Noise2(float x, float y, int period, uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y);
  int32_t ix = int32_t(fx), iy = int32_t(fy);
  float tx = Fade(x - fx), ty = Fade(y - fy);
  int32_t x0 = Wrap(ix, period), x1 = Wrap(ix + 1, period);
  int32_t y0 = Wrap(iy, period), y1 = Wrap(iy + 1, period);
  float a = Mix(Lattice(x0, y0, 0, seed), Lattice(x1, y0, 0, seed), tx);
  float b = Mix(Lattice(x0, y1, 0, seed), Lattice(x1, y1, 0, seed), tx);
  return Mix(a, b, ty);
}

float Noise3(float x, float y, float z, uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  int32_t ix = int32_t(fx), iy = int32_t(fy), iz = int32_t(fz);
  float tx = Fade(x - fx), ty = Fade(y - fy), tz = Fade(z - fz);
  float c[2];
  for (int k = 0; k < 2; ++k) {
    float a = Mix(Lattice(ix, iy, iz + k, seed), Lattice(ix + 1, iy, iz + k, seed), tx);
    float b = Mix(Lattice(ix, iy + 1, iz + k, seed), Lattice(ix + 1, iy + 1, iz + k, seed), tx);
    c[k] = Mix(a, b, ty);
  }
  return Mix(c[0], c[1], tz);
}

float Fbm2(float x, float y, int period, int octaves, uint32_t seed) {
  float sum = 0, amp = 1, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * Noise2(x, y, period, seed + uint32_t(o) * 7919u);
    norm += amp;
    amp *= 0.5f;
    x *= 2;
    y *= 2;
    if (period > 0) period *= 2;
  }
  return sum / norm;
}

float Fbm3(V3 p, int octaves, uint32_t seed) {
  float sum = 0, amp = 1, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * Noise3(p.x, p.y, p.z, seed + uint32_t(o) * 7919u);
    norm += amp;
    amp *= 0.5f;
    p = p * 2.03f;
  }
  return sum / norm;
}

float Ridged3(V3 p, int octaves, uint32_t seed) {
  float sum = 0, amp = 1, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    float n = 1 - std::fabs(2 * Noise3(p.x, p.y, p.z, seed + uint32_t(o) * 104729u) - 1);
    sum += amp * n * n;
    norm += amp;
    amp *= 0.5f;
    p = p * 2.07f;
  }
  return sum / norm;
}

V3 SphereDirection(float u, float v) {
  float phi = 2 * kPi * u, theta = kPi * (v - 0.5f);
  return {std::cos(theta) * std::cos(phi), std::sin(theta), -std::cos(theta) * std::sin(phi)};
}

}  // namespace datagen
