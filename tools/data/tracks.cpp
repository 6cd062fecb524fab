// tracks.cpp -- the planet scene's camera paths as keyframe text (time>x>y>z>interpolation>).
#include <cmath>
#include <cstdio>
#include <string>

#include "data_set.h"

namespace datagen {

namespace {

constexpr int kCosineTable = 5;

// Keys every three seconds over the scene's 57 s and a little beyond, so the baked table
// covers every frame of the window.
constexpr int kKeyStep = 300;   // hundredths of a second
constexpr int kLastKey = 5850;

struct Key {
  int time;
  V3 p;
};

std::string Format(const std::vector<Key>& keys) {
  std::string out;
  char line[96];
  for (const Key& k : keys) {
    std::snprintf(line, sizeof line, "%d>%.3f>%.3f>%.3f>%d>\n", k.time, double(k.p.x), double(k.p.y), double(k.p.z),
                  kCosineTable);
    out += line;
  }
  return out;
}

// The eye circles the planet (radius 45) about 0.85 of a turn, from 88 out to about 114, close
// enough that the black sphere (radius 20 + 12 per second from 48 s) swallows it at the end.
V3 Eye(float t) {
  float angle = 0.5f + 0.095f * t;
  float radius = 88 + 0.45f * t;
  float height = 22 * std::sin(0.13f * t) + 0.25f * t;
  return {radius * std::sin(angle), height, radius * std::cos(angle)};
}

// The look-at point sits off the planet's centre, sideways to the eye, so the planet's limb crosses
// the picture with sky and halos beside it; after 32 s it leans towards the black curves that grow
// from (-14, 31, -36.5).
V3 Target(float t) {
  V3 eye = Eye(t);
  V3 side = Normalize(V3{eye.z, 0, -eye.x});
  V3 p = side * (30 + 6 * std::sin(0.07f * t)) + V3{0, 8 + 6 * std::sin(0.17f * t), 0};
  float lean = SmoothStep(28, 40, t) * 0.45f;
  return p + (V3{-14, 31, -36.5f} - p) * lean;
}

std::vector<Key> Sample(V3 (*path)(float)) {
  std::vector<Key> keys;
  for (int time = 0; time <= kLastKey; time += kKeyStep) keys.push_back({time, path(float(time) / 100)});
  if (keys.back().time != kLastKey) keys.push_back({kLastKey, path(float(kLastKey) / 100)});
  return keys;
}

}  // namespace

bool MakeTracks(const FileSink& sink) {
  return sink("dof_kf_pos.dkf", Format(Sample(Eye))) && sink("dof_kf_targ.dkf", Format(Sample(Target)));
}

}  // namespace datagen
