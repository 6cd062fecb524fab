// procgen.h -- the generator's own deterministic random numbers, vectors and noise.
#pragma once
#include <cmath>
#include <cstdint>

namespace datagen {

constexpr float kPi = 3.14159265358979f;

// Every generated file seeds its own Rng, so files never depend on the order they are made in.
struct Rng {
  uint64_t state;
  explicit Rng(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
  uint32_t Next() {  // xorshift64*, high half
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return uint32_t((state * 0x2545F4914F6CDD1Dull) >> 32);
  }
  float Unit() { return float(Next() >> 8) * (1.0f / 16777216.0f); }  // [0, 1)
  float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
};

struct V3 {
  float x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float Length(V3 a) { return std::sqrt(Dot(a, a)); }
inline V3 Normalize(V3 a) {
  float l = Length(a);
  return l > 0 ? a * (1.0f / l) : V3{0, 1, 0};
}

inline float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float Mix(float a, float b, float t) { return a + (b - a) * t; }
inline float SmoothStep(float e0, float e1, float x) {
  float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

// Value noise in [0, 1]. The 2D kind repeats every `period` lattice cells (0: never),
// so flat maps tile under the repeat wrap of the picture loader.
float Noise2(float x, float y, int period, uint32_t seed);
float Noise3(float x, float y, float z, uint32_t seed);
// Sums of octaves, normalised back to [0, 1].
float Fbm2(float x, float y, int period, int octaves, uint32_t seed);
float Fbm3(V3 p, int octaves, uint32_t seed);
// 1 on ridges, 0 in valleys: cracks, veins and mountain crests.
float Ridged3(V3 p, int octaves, uint32_t seed);

// Unit direction of an equirectangular texel: u runs once around the y axis, v from the
// south pole (0) to the north pole (1); the same mapping the sphere models carry.
V3 SphereDirection(float u, float v);

}  // namespace datagen
