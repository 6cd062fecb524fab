// text_render.h -- FreeType typesetting of the overlays' texts (DejaVu faces) into coverage masks.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "canvas.h"

namespace datagen {

// Coverage in [0, 1] per texel, the stencil that text and glows are painted through.
struct Mask {
  int width = 0, height = 0;
  std::vector<float> a;
  Mask(int w, int h) : width(w), height(h), a(size_t(w) * size_t(h), 0.0f) {}
  float& At(int x, int y) { return a[size_t(y) * size_t(width) + size_t(x)]; }
  void Blur(int radius);  // three box passes, close to a Gaussian
  void PaintOnto(Canvas& canvas, Rgb colour, float opacity) const;
};

enum class Face { kSans, kSansBold, kSansLight, kSerif, kSerifItalic, kCondensedBold, kMono };

enum class Align { kLeft, kCentre, kRight };

struct TextStyle {
  Face face = Face::kSans;
  float size = 32;      // pixel height of the em square
  float stretchY = 1;   // >1 makes glyphs taller, for pictures the show stretches sideways
  float tracking = 0;   // extra pixels after every glyph
  Align align = Align::kLeft;
};

class Typesetter {
 public:
  Typesetter();
  ~Typesetter();
  // Loads every face from the DejaVu folder; false with *error naming the missing file.
  bool Open(const std::string& fontDir, std::string* error);
  float Width(const TextStyle& style, const std::string& text);
  // Adds the text's coverage to the mask; x is the left edge, centre or right edge per style.align.
  void Render(Mask& mask, const TextStyle& style, float x, float baseline, const std::string& text);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace datagen
