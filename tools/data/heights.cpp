// heights.cpp -- the height functions and outlines that models and their pictures share.
#include "data_set.h"

#include <algorithm>
#include <cmath>

namespace datagen {

float PlanetHeight(V3 dir) {
  float continents = Fbm3(dir * 1.6f, 6, 101);
  float ridges = Ridged3(dir * 3.1f, 4, 102);
  float h = Clamp01((continents - 0.5f) * 1.7f + 0.52f);
  float inland = SmoothStep(kPlanetSeaLevel, kPlanetSeaLevel + 0.2f, h);
  return Clamp01(h * 0.92f + ridges * 0.2f * inland);
}

float TreeHeight(V3 dir) {
  float crowns = Fbm3(dir * 9.0f, 4, 201);
  float clumps = Fbm3(dir * 2.5f, 3, 202);
  return Clamp01(SmoothStep(0.3f, 0.75f, crowns) * 0.7f + clumps * 0.3f);
}

float MeteorHeight(V3 dir) {
  float rock = Fbm3(dir * 1.7f, 5, 301);
  float cracks = Ridged3(dir * 4.3f, 3, 302);
  float h = 0.65f * SmoothStep(0.25f, 0.75f, rock) + 0.35f * (1 - cracks);
  // Craters: bowls with raised rims at fixed spots.
  Rng rng(303);
  for (int k = 0; k < 9; ++k) {
    V3 c = Normalize({rng.Range(-1, 1), rng.Range(-1, 1), rng.Range(-1, 1)});
    float size = rng.Range(0.15f, 0.4f);
    float d = Length(dir - c) / size;
    if (d < 1) h -= 0.25f * (1 - d * d);
    h += 0.12f * std::max(0.0f, 1 - std::fabs(d - 1) / 0.3f);
  }
  return Clamp01(h);
}

// sin(kPi) is a hair below zero in single precision: clamped, the tip has width 0, not a NaN.
float LeafHalfWidth(float t) {
  return 0.62f * std::pow(std::max(0.0f, std::sin(kPi * Clamp01((t - 0.1f) / 0.88f))), 0.9f);
}

}  // namespace datagen
