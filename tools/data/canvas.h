// canvas.h -- floating-point pictures and height fields that the image generators paint into.
#pragma once
#include <functional>
#include <vector>

#include "image_writers.h"
#include "procgen.h"

namespace datagen {

struct Rgb {
  float r = 0, g = 0, b = 0;
};
inline Rgb Lerp(Rgb a, Rgb b, float t) { return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)}; }
inline Rgb Scale(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb Add(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
// Writes one texel of a Canvas (see Canvas::ForEach).
inline void SetTexel(float* px, Rgb c, float a) {
  px[0] = c.r;
  px[1] = c.g;
  px[2] = c.b;
  px[3] = a;
}

// Straight (not premultiplied) colour with alpha, each in [0, 1].
struct Canvas {
  int width = 0, height = 0;
  std::vector<float> rgba;
  Canvas(int w, int h);
  float* At(int x, int y) { return &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4]; }
  void Fill(Rgb c, float a);
  // Paints colour c with coverage a over what is there (the "over" operator).
  void Over(int x, int y, Rgb c, float a);
  void ForEach(const std::function<void(int x, int y, float* px)>& paint);
  Image ToImage(int channels) const;
};

// One float per texel; x wraps when the field tiles.
struct HeightField {
  int width = 0, height = 0;
  std::vector<float> h;
  HeightField(int w, int h);
  float& At(int x, int y) { return h[size_t(y) * size_t(width) + size_t(x)]; }
  float Wrapped(int x, int y) const;
  void Build(const std::function<float(float u, float v)>& fn);  // u, v at texel centres, v = 0 at the top row
};

// Tangent-space normal map (blue up) from the slopes of the field, wrapping at the edges.
Image NormalMapFrom(const HeightField& field, float strength);
// A colour picture from the field and its texel coordinates.
Image ColourFrom(const HeightField& field, const std::function<Rgb(float h, float u, float v)>& shade);

// Piecewise-linear colour ramp over [0, 1].
struct Ramp {
  struct Stop {
    float at;
    Rgb colour;
  };
  std::vector<Stop> stops;
  Rgb operator()(float t) const;
};

}  // namespace datagen
