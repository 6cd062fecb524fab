// canvas.cpp -- painting, height fields, normal maps and colour ramps.
#include "canvas.h"

#include <algorithm>

namespace datagen {

static uint8_t Byte(float v) { return uint8_t(Clamp01(v) * 255.0f + 0.5f); }

Canvas::Canvas(int w, int h) : width(w), height(h), rgba(size_t(w) * size_t(h) * 4, 0.0f) {}

void Canvas::Fill(Rgb c, float a) {
  for (size_t i = 0; i < rgba.size(); i += 4) {
    rgba[i] = c.r;
    rgba[i + 1] = c.g;
    rgba[i + 2] = c.b;
    rgba[i + 3] = a;
  }
}

void Canvas::Over(int x, int y, Rgb c, float a) {
  if (x < 0 || y < 0 || x >= width || y >= height || a <= 0) return;
  float* p = At(x, y);
  float outA = a + p[3] * (1 - a);
  if (outA <= 0) return;
  float keep = p[3] * (1 - a);
  p[0] = (c.r * a + p[0] * keep) / outA;
  p[1] = (c.g * a + p[1] * keep) / outA;
  p[2] = (c.b * a + p[2] * keep) / outA;
  p[3] = outA;
}

void Canvas::ForEach(const std::function<void(int, int, float*)>& paint) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) paint(x, y, At(x, y));
}

Image Canvas::ToImage(int channels) const {
  Image out(width, height, channels);
  for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i) {
    for (int c = 0; c < channels; ++c) out.pixels[i * size_t(channels) + size_t(c)] = Byte(rgba[i * 4 + size_t(c)]);
  }
  return out;
}

HeightField::HeightField(int w, int hgt) : width(w), height(hgt), h(size_t(w) * size_t(hgt), 0.0f) {}

float HeightField::Wrapped(int x, int y) const {
  x = ((x % width) + width) % width;
  y = ((y % height) + height) % height;
  return h[size_t(y) * size_t(width) + size_t(x)];
}

void HeightField::Build(const std::function<float(float, float)>& fn) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) At(x, y) = fn((float(x) + 0.5f) / float(width), (float(y) + 0.5f) / float(height));
}

Image NormalMapFrom(const HeightField& field, float strength) {
  Image out(field.width, field.height, 3);
  for (int y = 0; y < field.height; ++y) {
    for (int x = 0; x < field.width; ++x) {
      // Rows run top to bottom, so "up" in the picture is y - 1.
      float dx = field.Wrapped(x + 1, y) - field.Wrapped(x - 1, y);
      float dy = field.Wrapped(x, y - 1) - field.Wrapped(x, y + 1);
      V3 n = Normalize({-dx * strength, -dy * strength, 1.0f});
      uint8_t* p = out.At(x, y);
      p[0] = Byte(n.x * 0.5f + 0.5f);
      p[1] = Byte(n.y * 0.5f + 0.5f);
      p[2] = Byte(n.z * 0.5f + 0.5f);
    }
  }
  return out;
}

Image ColourFrom(const HeightField& field, const std::function<Rgb(float, float, float)>& shade) {
  Image out(field.width, field.height, 3);
  for (int y = 0; y < field.height; ++y) {
    for (int x = 0; x < field.width; ++x) {
      Rgb c = shade(field.h[size_t(y) * size_t(field.width) + size_t(x)], (float(x) + 0.5f) / float(field.width),
                    (float(y) + 0.5f) / float(field.height));
      uint8_t* p = out.At(x, y);
      p[0] = Byte(c.r);
      p[1] = Byte(c.g);
      p[2] = Byte(c.b);
    }
  }
  return out;
}

Rgb Ramp::operator()(float t) const {
  if (t <= stops.front().at) return stops.front().colour;
  for (size_t i = 1; i < stops.size(); ++i) {
    if (t <= stops[i].at) {
      float f = (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
      return Lerp(stops[i - 1].colour, stops[i].colour, f);
    }
  }
  return stops.back().colour;
}

}  // namespace datagen
