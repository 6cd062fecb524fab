// maps.cpp -- the JPEG surface maps: colour, normal and specular maps painted from shared height fields.
#include <cmath>

#include "canvas.h"
#include "data_set.h"
#include "platform/diagnostics.h"

namespace datagen {

namespace {

constexpr int kQuality = 92;

bool Jpeg(const FileSink& sink, const char* name, const Image& image) {
  std::string bytes, error;
  if (!EncodeJpeg(image, kQuality, &bytes, &error)) {
    plat::Report("%s: %s", name, error.c_str());
    return false;
  }
  return sink(name, bytes);
}

// Equirectangular field of a sphere function; row 0 is the north pole, as the picture loader
// puts the last row at v = 0, the models' south pole.
HeightField SphereField(float (*height)(V3)) {
  HeightField f(1024, 512);
  f.Build([height](float u, float v) { return height(SphereDirection(u, 1 - v)); });
  return f;
}

float Latitude(float v) { return std::fabs(1 - 2 * v); }  // 0 at the equator, 1 at the poles
float Detail(float u, float v, int freq, uint32_t seed) { return Fbm2(u * float(freq), v * float(freq), freq, 4, seed); }

// ---- [planets] ----

bool Planets(const FileSink& sink) {
  HeightField f = SphereField(PlanetHeight);
  Ramp alien{{{0.0f, {0.10f, 0.12f, 0.18f}}, {0.3f, {0.28f, 0.22f, 0.24f}}, {0.55f, {0.62f, 0.38f, 0.20f}},
              {0.75f, {0.78f, 0.55f, 0.30f}}, {1.0f, {0.95f, 0.88f, 0.74f}}}};
  Image desert = ColourFrom(f, [&](float h, float u, float v) {
    float grain = Detail(u, v, 64, 601);
    Rgb c = Scale(alien(h), 0.8f + 0.4f * grain);
    return Lerp(c, {0.92f, 0.94f, 1.0f}, SmoothStep(0.82f, 0.95f, Latitude(v) + 0.1f * grain));
  });
  Ramp sea{{{0.0f, {0.01f, 0.05f, 0.20f}}, {kPlanetSeaLevel, {0.05f, 0.28f, 0.48f}}}};
  Ramp land{{{kPlanetSeaLevel, {0.80f, 0.74f, 0.50f}}, {0.59f, {0.30f, 0.52f, 0.18f}}, {0.72f, {0.12f, 0.34f, 0.10f}},
             {0.84f, {0.46f, 0.38f, 0.26f}}, {0.92f, {0.58f, 0.54f, 0.50f}}, {0.98f, {0.95f, 0.95f, 0.97f}}}};
  Image nature = ColourFrom(f, [&](float h, float u, float v) {
    float grain = Detail(u, v, 64, 602);
    Rgb c = h < kPlanetSeaLevel ? sea(h) : Scale(land(h), 0.85f + 0.3f * grain);
    return Lerp(c, {0.95f, 0.97f, 1.0f}, SmoothStep(0.84f, 0.92f, Latitude(v) + 0.06f * grain));
  });
  return Jpeg(sink, "planetdiffusemap.jpg", desert) && Jpeg(sink, "planetdiffusemapnature.jpg", nature) &&
         Jpeg(sink, "planetnormalsmap2.jpg", NormalMapFrom(f, 60));
}

bool TreeMaps(const FileSink& sink) {
  HeightField f = SphereField(TreeHeight);
  Ramp leaves{{{0.0f, {0.03f, 0.12f, 0.04f}}, {0.45f, {0.12f, 0.36f, 0.10f}}, {0.75f, {0.36f, 0.62f, 0.18f}},
               {1.0f, {0.78f, 0.84f, 0.36f}}}};
  Image colour = ColourFrom(f, [&](float h, float u, float v) {
    float blossom = SmoothStep(0.78f, 0.86f, Detail(u, v, 96, 701));
    return Lerp(leaves(h), {0.96f, 0.78f, 0.86f}, blossom * 0.7f);
  });
  return Jpeg(sink, "treeball_tex.jpg", colour) && Jpeg(sink, "treeball_texno.jpg", NormalMapFrom(f, 16));
}

bool MeteorMaps(const FileSink& sink) {
  HeightField f = SphereField(MeteorHeight);
  Ramp rock{{{0.0f, {0.08f, 0.07f, 0.07f}}, {0.4f, {0.26f, 0.22f, 0.20f}}, {0.7f, {0.46f, 0.40f, 0.34f}},
             {1.0f, {0.66f, 0.60f, 0.52f}}}};
  Image colour = ColourFrom(f, [&](float h, float u, float v) {
    V3 dir = SphereDirection(u, 1 - v);
    float grain = Fbm3(dir * 24.0f, 3, 801);
    Rgb c = Scale(rock(h), 0.75f + 0.5f * grain);
    // The relief's own cracks (see MeteorHeight) glow faintly along their floors.
    float ember = SmoothStep(0.74f, 0.9f, Ridged3(dir * 4.3f, 3, 302));
    return Add(c, Scale({1.0f, 0.38f, 0.08f}, ember * 0.7f));
  });
  return Jpeg(sink, "meteordiffuse.jpg", colour) && Jpeg(sink, "metnorm.jpg", NormalMapFrom(f, 50));
}

// ---- [tiles: stone, metal panels, machined bronze] ----

// Ashlar: offset rows of blocks with bevelled edges and sunken mortar, tiling at 512.
float Ashlar(float u, float v) {
  float row = v * 8, col = u * 4 + (int(row) % 2 ? 0.5f : 0.0f);
  float fy = row - std::floor(row), fx = col - std::floor(col);
  float edge = std::min(std::min(fx, 1 - fx) * 2.0f, std::min(fy, 1 - fy));  // distance to the joint, in rows
  float face = 0.75f + 0.25f * Fbm2(u * 16, v * 16, 16, 4, 901);
  return SmoothStep(0.02f, 0.09f, edge) * face;
}

bool StoneMaps(const FileSink& sink) {
  HeightField f(512, 512);
  f.Build(Ashlar);
  Image colour = ColourFrom(f, [](float h, float u, float v) {
    float block = Noise2(std::floor(u * 4 + (int(v * 8) % 2 ? 0.5f : 0.0f)) * 3.1f, std::floor(v * 8) * 5.7f, 0, 902);
    // Dark stone: the cave scenes add this picture to itself twice more (rays and glow).
    Rgb sand = Lerp({0.23f, 0.19f, 0.14f}, {0.32f, 0.27f, 0.21f}, block);
    return h < 0.2f ? Rgb{0.06f, 0.05f, 0.04f} : Scale(sand, 0.7f + 0.35f * h);
  });
  Image spec = ColourFrom(f, [](float h, float u, float v) {
    float s = h < 0.2f ? 0.05f : 0.25f + 0.4f * Detail(u, v, 32, 903);
    return Rgb{s, s, s};
  });
  return Jpeg(sink, "pillarroom_diff.jpg", colour) && Jpeg(sink, "pillarroom_norm.jpg", NormalMapFrom(f, 8)) &&
         Jpeg(sink, "pillarroom_spec.jpg", spec);
}

// Riveted plates four to a side, with grooves between them.
float Plates(float u, float v) {
  float fx = u * 4 - std::floor(u * 4), fy = v * 4 - std::floor(v * 4);
  float groove = SmoothStep(0.0f, 0.04f, std::min(std::min(fx, 1 - fx), std::min(fy, 1 - fy)));
  float rivets = 0;
  for (float cx : {0.1f, 0.9f})
    for (float cy : {0.1f, 0.9f}) {
      float d = std::hypot(fx - cx, fy - cy);
      rivets = std::max(rivets, SmoothStep(0.045f, 0.02f, d));
    }
  return Clamp01(0.6f * groove + 0.1f * Fbm2(u * 32, v * 32, 32, 3, 1001) + 0.35f * rivets);
}

bool TowerMaps(const FileSink& sink) {
  HeightField f(512, 512);
  f.Build(Plates);
  Image colour = ColourFrom(f, [](float h, float u, float v) {
    float rust = SmoothStep(0.55f, 0.75f, Detail(u, v, 8, 1002));
    Rgb steel = Lerp({0.30f, 0.36f, 0.44f}, {0.55f, 0.62f, 0.70f}, h);
    return Lerp(steel, {0.24f, 0.52f, 0.46f}, rust * 0.6f);
  });
  Image spec = ColourFrom(f, [](float h, float, float) {
    float s = 0.15f + 0.8f * SmoothStep(0.3f, 0.7f, h);
    return Rgb{s, s, s};
  });
  return Jpeg(sink, "towertexture.jpg", colour) && Jpeg(sink, "towernormal.jpg", NormalMapFrom(f, 10)) &&
         Jpeg(sink, "pillarspecmap.jpg", spec);
}

// Machined bronze: turned rings round the centre (the wheel is mapped flat across its face).
float Machined(float u, float v) {
  float r = std::hypot(u - 0.5f, v - 0.5f);
  float rings = 0.5f + 0.5f * std::sin(r * 260);
  float brushed = Noise2(r * 400, std::atan2(v - 0.5f, u - 0.5f) * 3, 0, 1101);
  float bolts = 0;
  for (int k = 0; k < 12; ++k) {
    float a = 2 * kPi * float(k) / 12;
    bolts = std::max(bolts, SmoothStep(0.018f, 0.008f, std::hypot(u - 0.5f - 0.3f * std::cos(a), v - 0.5f - 0.3f * std::sin(a))));
  }
  return Clamp01(0.35f + 0.15f * rings + 0.2f * brushed + 0.4f * bolts);
}

bool WheelMaps(const FileSink& sink) {
  HeightField f(512, 512);
  f.Build(Machined);
  Image colour = ColourFrom(f, [](float h, float u, float v) {
    float tarnish = Detail(u, v, 8, 1102);
    return Lerp(Lerp({0.45f, 0.30f, 0.14f}, {0.85f, 0.64f, 0.34f}, h), {0.30f, 0.34f, 0.28f}, tarnish * 0.35f);
  });
  // Kept bright: the cave scenes feed this picture into the normal slot as well.
  Image spec = ColourFrom(f, [](float h, float, float) {
    float s = 0.62f + 0.35f * h;
    return Rgb{s, s, s};
  });
  return Jpeg(sink, "wheel_diff.jpg", colour) && Jpeg(sink, "wheel_norm.jpg", NormalMapFrom(f, 12)) &&
         Jpeg(sink, "wheel_spec.jpg", spec);
}

// ---- [liquids and metals] ----

bool ChromeMaps(const FileSink& sink) {
  HeightField f(512, 512);
  f.Build([](float u, float v) {
    float a = Fbm2(u * 6, v * 6, 6, 4, 1201), b = Fbm2(u * 6 + 3.3f, v * 6 + 1.7f, 6, 4, 1202);
    return 1 - std::fabs(a - b) * 2.5f;  // caustic-like bright filaments
  });
  Image colour = ColourFrom(f, [](float h, float, float) {
    return Lerp({0.05f, 0.20f, 0.32f}, {0.78f, 0.96f, 1.0f}, std::pow(Clamp01(h), 3.0f));
  });
  return Jpeg(sink, "cdiffuse.jpg", colour) && Jpeg(sink, "cnormal.jpg", NormalMapFrom(f, 10));
}

float Waves(float u, float v) {
  float h = 0;
  const int waves[5][2] = {{3, 1}, {-2, 3}, {5, -2}, {1, 6}, {-7, -4}};  // integer wave numbers tile
  for (int k = 0; k < 5; ++k)
    h += std::sin(2 * kPi * (waves[k][0] * u + waves[k][1] * v) + float(k)) / float(k + 2);
  return 0.5f + 0.25f * h + 0.25f * (Fbm2(u * 16, v * 16, 16, 4, 1301) - 0.5f);
}

bool WaterMaps(const FileSink& sink) {
  HeightField f(512, 512);
  f.Build(Waves);
  Image colour = ColourFrom(f, [](float h, float, float) {
    return Lerp({0.02f, 0.14f, 0.22f}, {0.20f, 0.62f, 0.70f}, SmoothStep(0.3f, 0.9f, h));
  });
  return Jpeg(sink, "water.jpg", colour) && Jpeg(sink, "waternormal.jpg", NormalMapFrom(f, 14));
}

bool Greys(const FileSink& sink) {
  HeightField height(512, 512);
  height.Build([](float u, float v) { return Fbm2(u * 4, v * 4, 4, 7, 1401); });
  Image heightImage = ColourFrom(height, [](float h, float, float) {
    float g = SmoothStep(0.2f, 0.8f, h);
    return Rgb{g, g, g};
  });
  // Dark marble with bright veins: the meteor's specular map, so only the veins shine, and the
  // cave scenes' closing full-screen picture, which must stay a picture under their glow.
  HeightField marble(512, 512);
  marble.Build([](float u, float v) {
    float turb = Fbm2(u * 5, v * 5, 5, 5, 1402);
    return std::fabs(std::sin(2 * kPi * (u * 2 + v) + turb * 9));
  });
  Image spec = ColourFrom(marble, [](float h, float u, float v) {
    float vein = SmoothStep(0.16f, 0.0f, h);
    float g = 0.05f + 0.07f * Detail(u, v, 32, 1403) + 0.78f * vein * vein;
    return Rgb{g * 0.96f, g * 0.98f, g};
  });
  // The picture every flash and fade shows: a warm glow in the middle of a dusk-blue field,
  // bright enough to read as light, dark enough at the edges that a full flash is no white-out.
  // No texel is pure black, which the picture loader would make see-through.
  HeightField flash(256, 256);
  flash.Build([](float u, float v) { return std::hypot(u - 0.5f, v - 0.5f); });
  Ramp glow{{{0.0f, {0.98f, 0.86f, 0.62f}}, {0.16f, {0.78f, 0.52f, 0.42f}}, {0.36f, {0.30f, 0.20f, 0.34f}},
             {0.72f, {0.06f, 0.06f, 0.16f}}}};
  Image flashPicture = ColourFrom(flash, [&](float r, float u, float v) {
    return Scale(glow(r), 0.92f + 0.16f * Detail(u, v, 8, 1404));
  });
  return Jpeg(sink, "height2.jpg", heightImage) && Jpeg(sink, "specularmap.jpg", spec) &&
         Jpeg(sink, "specular.jpg", flashPicture);
}

bool Environment(const FileSink& sink) {
  HeightField f(512, 512);
  f.Build([](float u, float v) { return Fbm2(u * 6, v * 3, 6, 5, 1501); });
  Image env = ColourFrom(f, [](float h, float, float v) {
    Rgb sky = Lerp({0.20f, 0.35f, 0.62f}, {0.82f, 0.88f, 0.94f}, SmoothStep(0.0f, 0.48f, v));
    Rgb ground = Lerp({0.36f, 0.30f, 0.24f}, {0.10f, 0.08f, 0.07f}, SmoothStep(0.52f, 1.0f, v));
    Rgb c = v < 0.5f ? Lerp(sky, {1, 1, 1}, SmoothStep(0.55f, 0.8f, h) * 0.6f) : ground;
    return c;
  });
  return Jpeg(sink, "envmet.jpg", env);
}

// ---- [additive sprites: pure black is see-through] ----

bool Sprites(const FileSink& sink) {
  HeightField band(1024, 256);
  band.Build([](float u, float v) {
    // Bright: the tree scene adds this ring to a dark sky, at 0.3 once the sky has sunk.
    float streak = Fbm2(u * 6, v * 10, 6, 5, 1601);  // long along the ring, narrow across it
    float across = std::sin(kPi * v);
    return Clamp01((0.25f + (streak - 0.3f) * 2.2f) * across * across);
  });
  Image ring = ColourFrom(band, [](float h, float u, float) {
    if (h < 0.04f) return Rgb{0, 0, 0};
    Rgb tint = Lerp({0.30f, 0.70f, 1.0f}, {0.95f, 0.45f, 0.90f}, 0.5f + 0.5f * std::sin(2 * kPi * u * 3));
    return Scale(tint, h);
  });
  HeightField rays(512, 512);
  rays.Build([](float u, float v) {
    float dx = u - 0.5f, dy = v - 0.5f, r = std::hypot(dx, dy);
    float a = std::atan2(dy, dx) / (2 * kPi) + 0.5f;
    float beams = std::pow(Fbm2(a * 48, r * 2, 48, 3, 1701), 2.0f) * 1.6f;
    float core = std::exp(-r * r / 0.004f);
    return Clamp01((beams * SmoothStep(0.48f, 0.05f, r) + core) * (r < 0.48f ? 1.0f : 0.0f));
  });
  Image sun = ColourFrom(rays, [](float h, float, float) {
    if (h < 0.02f) return Rgb{0, 0, 0};
    return Rgb{h, h * 0.86f, h * 0.6f};
  });
  return Jpeg(sink, "skybox_a.jpg", ring) && Jpeg(sink, "sunrays.jpg", sun);
}

}  // namespace

bool MakeMaps(const FileSink& sink) {
  return Planets(sink) && TreeMaps(sink) && MeteorMaps(sink) && StoneMaps(sink) && TowerMaps(sink) &&
         WheelMaps(sink) && ChromeMaps(sink) && WaterMaps(sink) && Greys(sink) && Environment(sink) &&
         Sprites(sink);
}

}  // namespace datagen
