// pictures.cpp -- shared picture helpers: saving, typeset ink with glow, panels.
#include "pictures.h"

#include <algorithm>
#include <cmath>

#include "platform/diagnostics.h"

namespace datagen {

bool SavePng(const FileSink& sink, const char* name, const Canvas& canvas, int channels) {
  std::string bytes, error;
  if (!EncodePng(canvas.ToImage(channels), &bytes, &error)) {
    plat::Report("%s: %s", name, error.c_str());
    return false;
  }
  return sink(name, bytes);
}

bool SaveJpeg(const FileSink& sink, const char* name, const Canvas& canvas) {
  std::string bytes, error;
  if (!EncodeJpeg(canvas.ToImage(3), 92, &bytes, &error)) {
    plat::Report("%s: %s", name, error.c_str());
    return false;
  }
  return sink(name, bytes);
}

void PaintText(Canvas& canvas, Typesetter& ts, const TextStyle& style, float x, float baseline,
               const std::string& text, const Ink& ink) {
  // No line may run off the picture: a long one is set smaller to keep a 40-texel margin.
  TextStyle fitted = style;
  float room = float(canvas.width - 80), width = ts.Width(style, text);
  if (width > room) fitted.size *= room / width;
  Mask mask(canvas.width, canvas.height);
  ts.Render(mask, fitted, x, baseline, text);
  if (ink.glowOpacity > 0) {
    Mask glow = mask;
    glow.Blur(ink.glowRadius);
    for (float& a : glow.a) a = std::min(1.0f, a * 2.5f);
    glow.PaintOnto(canvas, ink.glow, ink.glowOpacity);
  }
  mask.PaintOnto(canvas, ink.colour, ink.opacity);
}

void PaintPanel(Canvas& canvas, float x0, float y0, float x1, float y1, float radius, Rgb colour, float opacity) {
  for (int y = std::max(0, int(y0) - 1); y < std::min(canvas.height, int(y1) + 2); ++y) {
    for (int x = std::max(0, int(x0) - 1); x < std::min(canvas.width, int(x1) + 2); ++x) {
      float px = float(x) + 0.5f, py = float(y) + 0.5f;
      float dx = std::max({x0 + radius - px, 0.0f, px - (x1 - radius)});
      float dy = std::max({y0 + radius - py, 0.0f, py - (y1 - radius)});
      float inside = Clamp01(radius - std::hypot(dx, dy) + 0.5f);
      canvas.Over(x, y, colour, inside * opacity);
    }
  }
}

}  // namespace datagen
