// text_render.cpp -- glyph rasterising with FreeType, kerning, and the mask operations.
#include "text_render.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

namespace datagen {

// ---- [masks] ----

static void BoxPass(std::vector<float>& a, int w, int h, int r, bool horizontal) {
  std::vector<float> line(size_t(horizontal ? w : h));
  int n = horizontal ? w : h, lines = horizontal ? h : w;
  for (int l = 0; l < lines; ++l) {
    auto idx = [&](int i) { return horizontal ? size_t(l) * size_t(w) + size_t(i) : size_t(i) * size_t(w) + size_t(l); };
    float sum = 0;
    for (int i = -r; i <= r; ++i) sum += (i >= 0 && i < n) ? a[idx(i)] : 0.0f;
    for (int i = 0; i < n; ++i) {
      line[size_t(i)] = sum / float(2 * r + 1);
      int out = i - r, in = i + r + 1;
      if (out >= 0) sum -= a[idx(out)];
      if (in < n) sum += a[idx(in)];
    }
    for (int i = 0; i < n; ++i) a[idx(i)] = line[size_t(i)];
  }
}

void Mask::Blur(int radius) {
  for (int pass = 0; pass < 3; ++pass) {
    BoxPass(a, width, height, radius, true);
    BoxPass(a, width, height, radius, false);
  }
}

void Mask::PaintOnto(Canvas& canvas, Rgb colour, float opacity) const {
  for (int y = 0; y < height && y < canvas.height; ++y)
    for (int x = 0; x < width && x < canvas.width; ++x)
      canvas.Over(x, y, colour, Clamp01(a[size_t(y) * size_t(width) + size_t(x)]) * opacity);
}

// ---- [typesetting] ----

struct Typesetter::Impl {
  FT_Library library = nullptr;
  std::vector<FT_Face> faces;
  ~Impl() {
    for (FT_Face f : faces) FT_Done_Face(f);
    if (library) FT_Done_FreeType(library);
  }
  FT_Face Prepare(const TextStyle& style) {
    FT_Face face = faces[size_t(style.face)];
    FT_Set_Pixel_Sizes(face, FT_UInt(std::lround(style.size)), FT_UInt(std::lround(style.size * style.stretchY)));
    return face;
  }
};

Typesetter::Typesetter() : impl_(std::make_unique<Impl>()) {}
Typesetter::~Typesetter() = default;

bool Typesetter::Open(const std::string& fontDir, std::string* error) {
  static const char* kFiles[] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-ExtraLight.ttf",
                                 "DejaVuSerif.ttf", "DejaVuSerif-Italic.ttf", "DejaVuSansCondensed-Bold.ttf",
                                 "DejaVuSansMono.ttf"};
  if (FT_Init_FreeType(&impl_->library) != 0) {
    *error = "FreeType could not start";
    return false;
  }
  for (const char* file : kFiles) {
    std::string path = fontDir + "/" + file;
    FT_Face face = nullptr;
    if (FT_New_Face(impl_->library, path.c_str(), 0, &face) != 0) {
      *error = path + ": font not found (install fonts-dejavu-core)";
      return false;
    }
    impl_->faces.push_back(face);
  }
  return true;
}

// Decodes one UTF-8 sequence; malformed bytes read as '?'.
static uint32_t NextCodepoint(const std::string& s, size_t* i) {
  unsigned char c = static_cast<unsigned char>(s[(*i)++]);
  if (c < 0x80) return c;
  int extra = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
  if (extra < 0) return '?';
  uint32_t cp = c & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (*i >= s.size() || (static_cast<unsigned char>(s[*i]) & 0xC0) != 0x80) return '?';
    cp = (cp << 6) | (static_cast<unsigned char>(s[(*i)++]) & 0x3F);
  }
  return cp;
}

// Walks the glyphs of text, handing each rendered bitmap and its pen position to draw.
template <typename Draw>
static float Layout(FT_Face face, const TextStyle& style, const std::string& text, bool render, Draw draw) {
  float pen = 0;
  FT_UInt previous = 0;
  for (size_t i = 0; i < text.size();) {
    FT_UInt glyph = FT_Get_Char_Index(face, NextCodepoint(text, &i));
    if (previous && glyph && FT_HAS_KERNING(face)) {
      FT_Vector k;
      FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &k);
      pen += float(k.x) / 64.0f;
    }
    if (FT_Load_Glyph(face, glyph, render ? FT_LOAD_RENDER : FT_LOAD_DEFAULT) != 0) continue;
    if (render) draw(face->glyph, pen);
    pen += float(face->glyph->advance.x) / 64.0f + style.tracking;
    previous = glyph;
  }
  return pen - (text.empty() ? 0 : style.tracking);
}

float Typesetter::Width(const TextStyle& style, const std::string& text) {
  return Layout(impl_->Prepare(style), style, text, false, [](FT_GlyphSlot, float) {});
}

void Typesetter::Render(Mask& mask, const TextStyle& style, float x, float baseline, const std::string& text) {
  FT_Face face = impl_->Prepare(style);
  float width = Layout(face, style, text, false, [](FT_GlyphSlot, float) {});
  float left = style.align == Align::kCentre ? x - width / 2 : style.align == Align::kRight ? x - width : x;
  Layout(face, style, text, true, [&](FT_GlyphSlot slot, float pen) {
    const FT_Bitmap& bm = slot->bitmap;
    int ox = int(std::lround(left + pen)) + slot->bitmap_left;
    int oy = int(std::lround(baseline)) - slot->bitmap_top;
    for (unsigned row = 0; row < bm.rows; ++row) {
      for (unsigned col = 0; col < bm.width; ++col) {
        int px = ox + int(col), py = oy + int(row);
        if (px < 0 || py < 0 || px >= mask.width || py >= mask.height) continue;
        float cov = float(bm.buffer[int(row) * bm.pitch + int(col)]) / 255.0f;
        float& m = mask.At(px, py);
        m = m + cov - m * cov;
      }
    }
  });
}

}  // namespace datagen
