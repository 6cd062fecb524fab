// overlays.cpp -- the typeset pictures: logos, frames, lyrics, panels, greetings, scroller, title cards.
#include <algorithm>
#include <cmath>
#include <vector>

#include "pictures.h"
#include "platform/diagnostics.h"

namespace datagen {

namespace {

const char* kTitle = "Quenmar Vell - Orvanth Selune";
const char* kProgram = "TOLVANE";

// Full-screen overlays match the 1024 x 768 window one texel to one pixel.
constexpr int kScreenW = 1024, kScreenH = 768;

Canvas Clear(int w, int h) {
  Canvas c(w, h);
  c.Fill({0, 0, 0}, 0);
  return c;
}

TextStyle Style(Face face, float size, Align align = Align::kCentre, float tracking = 0) {
  TextStyle s;
  s.face = face;
  s.size = size;
  s.align = align;
  s.tracking = tracking;
  return s;
}

const Ink kWhiteGlow{{1, 1, 1}, 1, {0.55f, 0.75f, 1.0f}, 0.8f, 10};
const Ink kSoft{{0.92f, 0.94f, 1.0f}, 0.9f, {0, 0, 0}, 0.6f, 4};

void Rule(Canvas& c, float x0, float x1, float y, Rgb colour, float opacity) {
  for (int x = int(x0); x < int(x1); ++x) {
    float edge = std::min(1.0f, std::min(float(x) - x0, x1 - float(x)) / 40);
    c.Over(x, int(y), colour, opacity * edge);
  }
}

// ---- [logos: the planet scene's title sequence] ----

bool Logos(const FileSink& sink, Typesetter& ts) {
  Canvas a = Clear(kScreenW, kScreenH);
  PaintText(a, ts, Style(Face::kSansBold, 150, Align::kCentre, 18), 512, 420, kProgram, kWhiteGlow);
  PaintText(a, ts, Style(Face::kSerifItalic, 40), 512, 490, "presents", kSoft);
  Canvas b = Clear(kScreenW, kScreenH);
  PaintText(b, ts, Style(Face::kSerif, 108), 512, 410, "Quenmar Vell", kWhiteGlow);
  PaintText(b, ts, Style(Face::kSansLight, 34, Align::kCentre, 8), 512, 480, "MUSIC AND MOTION", kSoft);
  Canvas c = Clear(kScreenW, kScreenH);
  PaintText(c, ts, Style(Face::kSerifItalic, 108), 512, 410, "Orvanth Selune", kWhiteGlow);
  PaintText(c, ts, Style(Face::kSansLight, 34, Align::kCentre, 8), 512, 480, "A JOURNEY IN SEVEN SCENES", kSoft);
  Canvas d = Clear(kScreenW, kScreenH);
  PaintText(d, ts, Style(Face::kSerif, 66), 512, 380, kTitle, kWhiteGlow);
  Rule(d, 262, 762, 412, {1, 1, 1}, 0.8f);
  PaintText(d, ts, Style(Face::kSansBold, 44, Align::kCentre, 14), 512, 470, kProgram, kSoft);
  return SavePng(sink, "logo1.png", a) && SavePng(sink, "logo2.png", b) && SavePng(sink, "logo3.png", c) &&
         SavePng(sink, "logo4.png", d);
}

// ---- [frame overlays] ----

void Brackets(Canvas& c, float inset, float arm, Rgb colour, float opacity) {
  for (int k = 0; k < 4; ++k) {
    float x = k % 2 ? float(c.width) - inset : inset, y = k / 2 ? float(c.height) - inset : inset;
    float sx = k % 2 ? -1.0f : 1.0f, sy = k / 2 ? -1.0f : 1.0f;
    for (int i = 0; i < int(arm); ++i) {
      for (int w = 0; w < 3; ++w) {
        c.Over(int(x + sx * float(i)), int(y + sy * float(w)), colour, opacity);
        c.Over(int(x + sx * float(w)), int(y + sy * float(i)), colour, opacity);
      }
    }
  }
}

// Darkens towards the top and bottom edges, as a soft letterbox.
void Vignette(Canvas& c, float depth, float opacity) {
  for (int y = 0; y < c.height; ++y) {
    float fromEdge = float(std::min(y, c.height - 1 - y));
    float a = opacity * SmoothStep(depth, 0, fromEdge);
    for (int x = 0; x < c.width; ++x) c.Over(x, y, {0, 0, 0}, a);
  }
}

// A cool haze that thickens towards the corners, like light caught in a lens. The tree scene's
// sky sinks to a tenth of full and this overlay is over it all the time, so the haze is what keeps
// its last half minute from going black behind the feathers.
void EdgeHaze(Canvas& c, Rgb colour, float opacity) {
  c.ForEach([&](int x, int y, float* p) {
    float ex = (float(x) + 0.5f) / float(c.width) * 2 - 1, ey = (float(y) + 0.5f) / float(c.height) * 2 - 1;
    float a = opacity * SmoothStep(0.6f, 1.35f, std::hypot(ex, ey));
    SetTexel(p, colour, a);
  });
}

bool Frames(const FileSink& sink, Typesetter& ts) {
  const Rgb pale{0.9f, 0.95f, 1.0f};
  Canvas og1 = Clear(kScreenW, kScreenH);
  Vignette(og1, 90, 0.7f);
  Brackets(og1, 28, 60, pale, 0.85f);
  PaintText(og1, ts, Style(Face::kSansBold, 20, Align::kLeft, 6), 48, 732, "TOLVANE  /  CHAPTER II", kSoft);
  PaintText(og1, ts, Style(Face::kSerifItalic, 22, Align::kRight), 976, 732, kTitle, kSoft);
  Canvas og2 = Clear(kScreenW, kScreenH);
  Vignette(og2, 70, 0.6f);
  Brackets(og2, 28, 44, {0.7f, 0.95f, 1.0f}, 0.8f);
  PaintText(og2, ts, Style(Face::kSansLight, 30, Align::kLeft, 10), 52, 72, "BENEATH THE SURFACE", kSoft);
  PaintText(og2, ts, Style(Face::kSansBold, 18, Align::kLeft, 6), 54, 100, "TOLVANE  /  CHAPTER IV", kSoft);
  Canvas og3 = Clear(kScreenW, kScreenH);
  EdgeHaze(og3, {0.50f, 0.58f, 0.85f}, 0.3f);
  Brackets(og3, 24, 36, pale, 0.7f);
  PaintText(og3, ts, Style(Face::kSansBold, 40, Align::kLeft, 12), 48, 80, kProgram, kWhiteGlow);
  Rule(og3, 48, 330, 96, pale, 0.7f);
  PaintText(og3, ts, Style(Face::kSerifItalic, 22, Align::kRight), 976, 62, kTitle, kSoft);
  Canvas og4 = Clear(kScreenW, kScreenH);
  Vignette(og4, 110, 0.55f);  // at the top: the closing scroller comes up from the bottom
  PaintText(og4, ts, Style(Face::kSansBold, 34, Align::kCentre, 20), 512, 58, kProgram, kWhiteGlow);
  PaintText(og4, ts, Style(Face::kSerifItalic, 24), 512, 94, kTitle, kSoft);
  Canvas box = Clear(kScreenW, kScreenH);
  for (int y = 0; y < kScreenH; ++y)
    if (y < 96 || y >= kScreenH - 96)
      for (int x = 0; x < kScreenW; ++x) box.Over(x, y, {0, 0, 0}, 1);
  return SavePng(sink, "og1.png", og1) && SavePng(sink, "og2.png", og2) && SavePng(sink, "og3.png", og3) &&
         SavePng(sink, "og4.png", og4) && SavePng(sink, "letterbox.png", box);
}

// ---- [lyrics and information panels of the tree scene] ----

bool Lyrics(const FileSink& sink, Typesetter& ts) {
  const char* lines[3][2] = {{"the sky forgets its colour", "and every leaf remembers"},
                             {"we were light", "before the fall"},
                             {"and light is where", "we land"}};
  const Ink ink{{1.0f, 0.97f, 0.9f}, 1, {1.0f, 0.7f, 0.35f}, 0.55f, 8};
  for (int k = 0; k < 3; ++k) {
    Canvas c = Clear(kScreenW, kScreenH);
    PaintText(c, ts, Style(Face::kSerifItalic, 58), 512, 250, lines[k][0], ink);
    PaintText(c, ts, Style(Face::kSerifItalic, 58), 512, 330, lines[k][1], ink);
    std::string name = "lyric" + std::to_string(k + 1) + ".png";
    if (!SavePng(sink, name.c_str(), c)) return false;
  }
  return true;
}

// Panels fill the lower right at about 480 x 360 pixels, so 512 x 384 keeps them square-texelled.
bool Panels(const FileSink& sink, Typesetter& ts) {
  struct Panel {
    const char* file;
    const char* heading;
    std::vector<const char*> lines;
  };
  const Panel panels[] = {
      {"info1.png", "TOLVANE", {"a real-time demo", "OpenGL 2.1 and GLSL 1.20", "seven scenes in 5:04"}},
      {"info2.png", "MUSIC", {kTitle, "synthesized at 120 bpm", "kick, bass, pads and bells"}},
      {"info3.png", "GRAPHICS", {"every model, map and sky", "grown from noise", "by tolvane-data"}},
      {"info5.png", "THANK YOU", {"for watching", "and for the light", "see you at the next party"}},
  };
  for (const Panel& p : panels) {
    Canvas c = Clear(512, 384);
    PaintPanel(c, 16, 16, 496, 368, 22, {0.02f, 0.04f, 0.08f}, 0.62f);
    PaintPanel(c, 16, 16, 496, 22, 3, {0.6f, 0.85f, 1.0f}, 0.9f);
    PaintText(c, ts, Style(Face::kSansBold, 46, Align::kLeft, 8), 44, 96, p.heading, kWhiteGlow);
    float y = 170;
    for (const char* line : p.lines) {
      PaintText(c, ts, Style(Face::kSans, 25, Align::kLeft), 46, y, line, kSoft);
      y += 58;
    }
    if (!SavePng(sink, p.file, c)) return false;
  }
  return true;
}

// ---- [greetings on the credit rings] ----

// A 2048 x 128 strip wrapped once round the ring; solid lines at the top and bottom rows are what
// the ring's rolled edges sample.
bool Greetings(const FileSink& sink, Typesetter& ts) {
  const char* names[2] = {
      "greetings to  \u00b7  Halcyon Drift  \u00b7  Nullpoint  \u00b7  Vertex Choir  \u00b7  Mirrorfall",
      "Copper Lantern  \u00b7  Sable Orbit  \u00b7  Lumen Cartel  \u00b7  Quiet Static  \u00b7  Tidewire"};
  for (int k = 0; k < 2; ++k) {
    Canvas c = Clear(2048, 128);
    for (int y = 0; y < 128; ++y)
      if (y < 6 || y >= 122)
        for (int x = 0; x < 2048; ++x) c.Over(x, y, {0.8f, 0.9f, 1.0f}, 0.9f);
    TextStyle s = Style(Face::kCondensedBold, 64, Align::kCentre, 2);
    s.size *= std::min(1.0f, 1900 / ts.Width(s, names[k]));  // keep clear of the seam at u = 0
    const Ink ink{{1, 1, 1}, 1, {0.4f, 0.7f, 1.0f}, 0.6f, 5};
    PaintText(c, ts, s, 1024, 88, names[k], ink);
    std::string name = "greet" + std::to_string(k + 1) + ".png";
    if (!SavePng(sink, name.c_str(), c)) return false;
  }
  return true;
}

// ---- [scroller] ----

// Drawn 2.08 x 4.87 units, about 1024 x 1805 window pixels from 1024 x 2048 texels: glyphs are
// set 1.135 times taller so they arrive with their true shape. The scroller rises 0.25 units a
// second from centre -5, its top row starting at the middle of the window. So the upper half stays
// empty: the credits come up from the bottom edge at about 13 s, reach the logo's title at the top
// only once the closing image covers it (from 26 s), and the last two lines stand near the top, over
// the closing image's rings, when the show ends at 44 s.
bool Scroller(const FileSink& sink, Typesetter& ts) {
  const std::vector<std::pair<int, const char*>> lines = {
      {0, "a demo made of numbers"}, {0, "every sound is a sum of sines"}, {0, "every planet a field of noise"},
      {0, ""}, {2, "CREDITS"}, {0, "code|the Tolvane crew"}, {0, "music|Quenmar Vell"},
      {0, "models|tolvane-data"}, {0, "skies|tolvane-data"}, {0, ""}, {2, "GREETINGS"},
      {0, "Halcyon Drift|Nullpoint"}, {0, "Vertex Choir|Mirrorfall"}, {0, "Copper Lantern|Sable Orbit"},
      {0, "Lumen Cartel|Quiet Static"}, {0, "Paper Moons|Tidewire"}, {0, ""},
      {1, "the water keeps what the sky lets go"}, {0, ""}, {2, "THE END"}, {1, "thank you for watching"}};
  Canvas c = Clear(1024, 2048);
  float y = 1064;
  for (const auto& [kind, text] : lines) {
    TextStyle s = kind == 2 ? Style(Face::kSansBold, 56, Align::kCentre, 14)
                  : kind == 1 ? Style(Face::kSerifItalic, 40)
                              : Style(Face::kSans, 32);
    s.stretchY = 1.135f;
    std::string line = text;
    size_t bar = line.find('|');
    if (bar == std::string::npos) {
      PaintText(c, ts, s, 512, y, line, kind == 2 ? kWhiteGlow : kSoft);
    } else {  // two columns meeting at the middle
      s.align = Align::kRight;
      PaintText(c, ts, s, 492, y, line.substr(0, bar), kSoft);
      s.align = Align::kLeft;
      PaintText(c, ts, s, 532, y, line.substr(bar + 1), kSoft);
    }
    y += kind == 2 ? 84 : kind == 1 ? 56 : line.empty() ? 24 : 46;
  }
  return SavePng(sink, "scroller.png", c);
}

// ---- [title cards: JPEG pictures shown full screen] ----

// Deep blue with a faint nebula; never pure black, which the picture loader would make see-through.
Canvas CardBackground(uint32_t seed) {
  Canvas c(kScreenW, kScreenH);
  c.ForEach([seed](int x, int y, float* p) {
    float u = float(x) / kScreenW, v = float(y) / kScreenH;
    float r = std::hypot(u - 0.5f, (v - 0.5f) * 0.75f);
    float cloud = Fbm2(u * 5, v * 4, 0, 5, seed);
    float light = 0.1f + 0.25f * SmoothStep(0.6f, 0.0f, r) * cloud;
    SetTexel(p, {0.02f + light * 0.5f, 0.03f + light * 0.6f, 0.06f + light}, 1);
  });
  return c;
}

// The loading screen draws its quad 3.08 x 2.08 units at distance 4, wider than the window: only
// texels x 145..879 and y 78..690 show, stretched 1.40 across and 1.25 down. The card keeps to
// that window and sets its type 1.11 times taller so it lands with its true shape.
bool TitleCards(const FileSink& sink, Typesetter& ts) {
  Canvas loading = CardBackground(1801);
  auto card = [](Face face, float size, float tracking) {
    TextStyle s = Style(face, size, Align::kCentre, tracking);
    s.stretchY = 1.11f;
    return s;
  };
  PaintText(loading, ts, card(Face::kSansBold, 96, 12), 512, 400, kProgram, kWhiteGlow);
  PaintText(loading, ts, card(Face::kSerifItalic, 30, 0), 512, 452, kTitle, kSoft);
  PaintText(loading, ts, card(Face::kSansLight, 18, 8), 512, 640, "LOADING", kSoft);
  // The closing image carries no words: the scroller's last lines stand over it at the end.
  Canvas done = CardBackground(1802);
  done.ForEach([](int x, int y, float* p) {  // three soft rings, the closing image's abstract motif
    float u = float(x) / kScreenW, v = float(y) / kScreenH;
    for (int k = 0; k < 3; ++k) {
      float d = std::hypot(u - 0.3f - 0.2f * float(k), (v - 0.58f) * 0.75f) - 0.12f - 0.04f * float(k);
      float ring = std::exp(-d * d / 0.00004f) * 0.5f;
      p[0] += ring * 0.9f;
      p[1] += ring * 0.6f;
      p[2] += ring * 0.4f;
    }
  });
  return SaveJpeg(sink, "loading.jpg", loading) && SaveJpeg(sink, "donetreabstrakt.jpg", done);
}

}  // namespace

bool MakeOverlays(const FileSink& sink, const std::string& fontDir) {
  Typesetter ts;
  std::string error;
  if (!ts.Open(fontDir, &error)) {
    plat::Report("%s", error.c_str());
    return false;
  }
  return Logos(sink, ts) && Frames(sink, ts) && Lyrics(sink, ts) && Panels(sink, ts) && Greetings(sink, ts) &&
         Scroller(sink, ts) && TitleCards(sink, ts) && MakeSkiesAndSprites(sink, ts);
}

}  // namespace datagen
