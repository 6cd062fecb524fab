// skies_sprites.cpp -- PNG skies (equirectangular, opaque) and the alpha sprites of the particle systems.
#include <cmath>

#include "pictures.h"

namespace datagen {

namespace {

// Sparse stars from a hash of the texel; the same texel always gets the same star.
float Star(int x, int y, uint32_t seed, float density) {
  Rng rng(uint64_t(uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u ^ seed));
  float r = rng.Unit();
  return r < density ? std::pow(rng.Unit(), 3.0f) : 0.0f;
}

// Rows are top to bottom; u wraps round the sky sphere, so the clouds tile in x.
Canvas Sky(const Ramp& height, const Ramp& cloudColour, uint32_t seed, float stars) {
  Canvas c(1024, 512);
  c.ForEach([&](int x, int y, float* p) {
    float u = (float(x) + 0.5f) / 1024, v = (float(y) + 0.5f) / 512;
    float cloud = Fbm2(u * 8, v * 4, 8, 6, seed);
    float wisps = SmoothStep(0.45f, 0.8f, cloud);
    Rgb base = height(v);
    Rgb col = Lerp(base, cloudColour(cloud), wisps * 0.8f);
    float s = Star(x, y, seed, stars) * (1 - wisps);
    SetTexel(p, Add(col, {s, s, s}), 1);
  });
  return c;
}

bool Skies(const FileSink& sink) {
  Canvas night = Sky({{{0.0f, {0.01f, 0.02f, 0.08f}}, {0.5f, {0.04f, 0.08f, 0.22f}}, {1.0f, {0.01f, 0.02f, 0.06f}}}},
                     {{{0.4f, {0.10f, 0.20f, 0.45f}}, {1.0f, {0.45f, 0.70f, 0.95f}}}}, 1901, 0.004f);
  // The metaball scene sees this sky at full strength, adds a blurred copy of its whole picture
  // as glow and god rays over it, and at its end grades it white where the sum lies between a
  // fifth and four fifths of full and black elsewhere. So the night and the smoky clouds are kept
  // under a tenth and only a narrow horizon band and the clouds' crests near a third: doubled,
  // they grade to a white horizon and crests on black, not a white sheet.
  Canvas dawn = Sky({{{0.0f, {0.02f, 0.03f, 0.09f}}, {0.40f, {0.04f, 0.04f, 0.10f}}, {0.46f, {0.22f, 0.15f, 0.20f}},
                      {0.5f, {0.38f, 0.27f, 0.16f}}, {0.54f, {0.22f, 0.12f, 0.09f}}, {0.60f, {0.04f, 0.03f, 0.04f}},
                      {1.0f, {0.02f, 0.01f, 0.02f}}}},
                    {{{0.4f, {0.05f, 0.04f, 0.06f}}, {0.7f, {0.09f, 0.07f, 0.09f}}, {1.0f, {0.34f, 0.30f, 0.28f}}}}, 1902,
                    0.001f);
  Canvas crimson = Sky({{{0.0f, {0.06f, 0.01f, 0.04f}}, {0.5f, {0.25f, 0.03f, 0.12f}}, {1.0f, {0.05f, 0.01f, 0.06f}}}},
                       {{{0.4f, {0.45f, 0.08f, 0.25f}}, {1.0f, {0.95f, 0.45f, 0.55f}}}}, 1903, 0.003f);
  return SavePng(sink, "skybox.png", night, 3) && SavePng(sink, "skybox_bonjour.png", dawn, 3) &&
         SavePng(sink, "velumdrannick.png", crimson, 3);
}

// ---- [sprites] ----

Canvas Halo() {
  Canvas c(64, 64);
  c.ForEach([](int x, int y, float* p) {
    float r = std::hypot((float(x) + 0.5f) / 32 - 1, (float(y) + 0.5f) / 32 - 1);
    float a = Clamp01(std::exp(-r * r * 4) - 0.02f);  // reaches exactly 0 before the edge
    SetTexel(p, {a * 0.85f, a * 0.95f, a}, a);
  });
  return c;
}

// Vanes either side of a shaft, combed into barbs; the quill points down the picture.
Canvas FeatherSprite() {
  Canvas c(128, 256);
  c.ForEach([](int x, int y, float* p) {
    float u = (float(x) + 0.5f) / 128 * 2 - 1, t = 1 - (float(y) + 0.5f) / 256;
    float width = 0.85f * std::pow(std::sin(kPi * Clamp01((t - 0.08f) / 0.92f)), 0.7f);
    float edge = SmoothStep(width, width - 0.08f, std::fabs(u));
    float barbs = 0.75f + 0.25f * std::sin((t * 90 + std::fabs(u) * 40));
    float shaft = SmoothStep(0.05f, 0.0f, std::fabs(u)) * (t < 0.98f ? 1.0f : 0.0f);
    float a = std::max(edge * barbs, shaft);
    Rgb col = Lerp({0.95f, 0.97f, 1.0f}, {0.55f, 0.65f, 0.85f}, std::fabs(u) * 0.8f);
    SetTexel(p, col, Clamp01(a));
  });
  return c;
}

// A pointed leaf with a midrib and side veins, green turning gold towards the tip.
Canvas LeafSprite() {
  Canvas c(256, 256);
  c.ForEach([](int x, int y, float* p) {
    float u = (float(x) + 0.5f) / 128 - 1, t = 1 - (float(y) + 0.5f) / 256;
    float width = LeafHalfWidth(t);
    float stem = (t < 0.12f && std::fabs(u) < kLeafStemHalfWidth) ? 1.0f : 0.0f;
    float a = std::max(SmoothStep(width, width - 0.03f, std::fabs(u)), stem);
    float vein = std::max(SmoothStep(0.025f, 0.0f, std::fabs(u)),
                          SmoothStep(0.03f, 0.0f, std::fabs(std::fmod(t * 8 - std::fabs(u) * 5 + 8, 1.0f) - 0.5f)) * 0.6f);
    Rgb col = Lerp({0.16f, 0.45f, 0.12f}, {0.85f, 0.62f, 0.16f}, SmoothStep(0.3f, 1.0f, t));
    col = Lerp(col, {0.75f, 0.80f, 0.40f}, vein * 0.7f);
    SetTexel(p, col, Clamp01(a));
  });
  return c;
}

Canvas Flame() {
  Canvas c(128, 256);
  c.ForEach([](int x, int y, float* p) {
    float u = (float(x) + 0.5f) / 64 - 1, t = 1 - (float(y) + 0.5f) / 256;
    float flicker = 0.15f * (Noise2(u * 3, t * 6, 0, 2001) - 0.5f);
    float width = 0.7f * std::sqrt(Clamp01(1 - t)) * Clamp01(t * 6);
    float a = SmoothStep(width, width * 0.4f, std::fabs(u + flicker));
    Rgb col = Lerp({1.0f, 0.95f, 0.6f}, {0.9f, 0.2f, 0.05f}, Clamp01(t * 1.3f));
    SetTexel(p, col, Clamp01(a));
  });
  return c;
}

// An emblem: rings with ticks around a name.
Canvas Emblem(Typesetter& ts) {
  Canvas c(512, 512);
  c.Fill({0, 0, 0}, 0);
  c.ForEach([](int x, int y, float* p) {
    float dx = (float(x) + 0.5f) / 256 - 1, dy = (float(y) + 0.5f) / 256 - 1;
    float r = std::hypot(dx, dy), a = std::atan2(dy, dx);
    float ring = std::max(SmoothStep(0.012f, 0.0f, std::fabs(r - 0.9f)), SmoothStep(0.008f, 0.0f, std::fabs(r - 0.78f)));
    float ticks = (r > 0.8f && r < 0.88f && std::fabs(std::sin(a * 24)) > 0.96f) ? 1.0f : 0.0f;
    float v = std::max(ring, ticks);
    SetTexel(p, {0.9f, 0.85f, 0.6f}, v);
  });
  TextStyle s;
  s.face = Face::kSerif;
  s.size = 84;
  s.align = Align::kCentre;
  s.tracking = 10;
  PaintText(c, ts, s, 256, 286, "ULVASH", {{0.95f, 0.9f, 0.65f}, 1, {1, 0.7f, 0.3f}, 0.6f, 6});
  return c;
}

}  // namespace

bool MakeSkiesAndSprites(const FileSink& sink, Typesetter& ts) {
  return Skies(sink) && SavePng(sink, "waterparticle.png", Halo()) && SavePng(sink, "feather.png", FeatherSprite()) &&
         SavePng(sink, "leaf.png", LeafSprite()) && SavePng(sink, "flame1.png", Flame()) &&
         SavePng(sink, "ulvash.png", Emblem(ts));
}

}  // namespace datagen
