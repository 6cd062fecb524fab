// pictures_test.cpp -- the generated JPEG and PNG files decode with the engine's decoders as the scenes need.
#include <gtest/gtest.h>

#include <map>

#include "assets/image_decode.h"
#include "generated_data.h"

namespace {

using MorlenGL::Image;

std::string PathOf(const std::string& name) { return datatest::Generated().full + "/" + name; }

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

double MeanChannel(const Image& im, int c) {
  double sum = 0;
  for (size_t i = size_t(c); i < im.pixels.size(); i += size_t(im.channels)) sum += im.pixels[i];
  return sum / double(size_t(im.width) * size_t(im.height));
}

// Fraction of texels whose channel c is at most lo, and at least hi.
std::pair<double, double> Share(const Image& im, int c, int lo, int hi) {
  size_t low = 0, high = 0, n = size_t(im.width) * size_t(im.height);
  for (size_t i = 0; i < n; ++i) {
    int v = im.pixels[i * size_t(im.channels) + size_t(c)];
    low += v <= lo;
    high += v >= hi;
  }
  return {double(low) / double(n), double(high) / double(n)};
}

TEST(Pictures, JpegsDecodeToTheirSizesAndMapsArePowersOfTwo) {
  const std::map<std::string, std::pair<int, int>> pictures = {{"loading.jpg", {1024, 768}},
                                                               {"donetreabstrakt.jpg", {1024, 768}}};
  for (const std::string& name : datatest::ExpectedFiles()) {
    if (name.find(".jpg") == std::string::npos) continue;
    SCOPED_TRACE(name);
    Image im;
    ASSERT_TRUE(MorlenGL::DecodeJpeg(PathOf(name), &im));
    auto it = pictures.find(name);
    if (it != pictures.end()) {
      EXPECT_EQ(im.width, it->second.first);
      EXPECT_EQ(im.height, it->second.second);
    } else {
      EXPECT_TRUE(IsPowerOfTwo(im.width) && IsPowerOfTwo(im.height)) << im.width << "x" << im.height;
      EXPECT_GE(im.width, 256);
    }
  }
}

// The flash and fade picture and the closing marble are laid over whole frames, the marble also
// lights the meteor: each is mostly dark with bright light, so none of them whites out a frame.
TEST(Pictures, FullScreenPicturesAreMostlyDarkWithBrightDetail) {
  Image flash, marble;
  ASSERT_TRUE(MorlenGL::DecodeJpeg(PathOf("specular.jpg"), &flash));
  ASSERT_TRUE(MorlenGL::DecodeJpeg(PathOf("specularmap.jpg"), &marble));
  auto luma = [](const Image& im, int x, int y) {
    const unsigned char* p = &im.pixels[(size_t(y) * size_t(im.width) + size_t(x)) * size_t(im.channels)];
    return (299 * p[0] + 587 * p[1] + 114 * p[2]) / 1000;
  };
  EXPECT_GT(luma(flash, flash.width / 2, flash.height / 2), 200);  // a glow in the middle
  EXPECT_LT(luma(flash, 0, 0), 40);
  for (const Image* im : {&flash, &marble}) {
    double mean = 0;
    int bright = 0;
    for (int y = 0; y < im->height; ++y)
      for (int x = 0; x < im->width; ++x) {
        mean += luma(*im, x, y);
        bright += luma(*im, x, y) > 180;
      }
    const double texels = double(im->width) * im->height;
    EXPECT_LT(mean / texels, 100);
    EXPECT_GT(bright / texels, 0.01);
    EXPECT_LT(bright / texels, 0.25);
  }
}

TEST(Pictures, SpritesAreSeeThroughWherePureBlackAndTitleCardsNowhere) {
  for (const char* name : {"sunrays.jpg", "skybox_a.jpg"}) {
    Image texels;
    ASSERT_TRUE(MorlenGL::LoadPictureTexels(PathOf(name), 2048, &texels)) << name;
    auto [clear, solid] = Share(texels, 3, 0, 255);
    EXPECT_GT(clear, 0.1) << name;
    EXPECT_GT(solid, 0.1) << name;
  }
  for (const char* name : {"loading.jpg", "donetreabstrakt.jpg", "specular.jpg"}) {
    Image texels;
    ASSERT_TRUE(MorlenGL::LoadPictureTexels(PathOf(name), 2048, &texels)) << name;
    EXPECT_EQ(Share(texels, 3, 0, 255).first, 0) << name;
  }
}

TEST(Pictures, NormalMapsPointOutOfTheSurfaceAndFollowTheirColourMaps) {
  const std::pair<const char*, const char*> pairs[] = {{"planetnormalsmap2.jpg", "planetdiffusemapnature.jpg"},
                                                       {"metnorm.jpg", "meteordiffuse.jpg"},
                                                       {"treeball_texno.jpg", "treeball_tex.jpg"},
                                                       {"pillarroom_norm.jpg", "pillarroom_diff.jpg"},
                                                       {"wheel_norm.jpg", "wheel_diff.jpg"},
                                                       {"towernormal.jpg", "towertexture.jpg"},
                                                       {"cnormal.jpg", "cdiffuse.jpg"},
                                                       {"waternormal.jpg", "water.jpg"}};
  for (const auto& [normalName, colourName] : pairs) {
    SCOPED_TRACE(normalName);
    Image n, c;
    ASSERT_TRUE(MorlenGL::DecodeJpeg(PathOf(normalName), &n));
    ASSERT_TRUE(MorlenGL::DecodeJpeg(PathOf(colourName), &c));
    EXPECT_EQ(n.width, c.width);
    EXPECT_EQ(n.height, c.height);
    EXPECT_GT(MeanChannel(n, 2), 200);  // mostly facing out
    EXPECT_NEAR(MeanChannel(n, 0), 128, 12);
    EXPECT_NEAR(MeanChannel(n, 1), 128, 12);
    // Where the colour changes sharply the surface tilts: the normal map is not flat there.
    size_t tilted = 0, edges = 0;
    for (int y = 1; y < c.height - 1; ++y) {
      for (int x = 1; x < c.width - 1; ++x) {
        const unsigned char* p = &c.pixels[(size_t(y) * size_t(c.width) + size_t(x)) * 3];
        const unsigned char* q = p + 3;
        int step = std::abs(int(p[0]) + p[1] + p[2] - q[0] - q[1] - q[2]);
        if (step < 60) continue;
        ++edges;
        const unsigned char* m = &n.pixels[(size_t(y) * size_t(n.width) + size_t(x)) * 3];
        tilted += std::abs(int(m[0]) - 128) + std::abs(int(m[1]) - 128) > 12;
      }
    }
    if (edges > 100) {
      EXPECT_GT(double(tilted) / double(edges), 0.5);
    }
  }
}

TEST(Pictures, PngsCarryAlphaWhereTheyAreOverlaysAndSprites) {
  const std::map<std::string, std::pair<int, int>> sizes = {
      {"feather.png", {128, 256}}, {"flame1.png", {128, 256}},  {"greet1.png", {2048, 128}},
      {"greet2.png", {2048, 128}}, {"info1.png", {512, 384}},   {"info2.png", {512, 384}},
      {"info3.png", {512, 384}},   {"info5.png", {512, 384}},   {"leaf.png", {256, 256}},
      {"scroller.png", {1024, 2048}}, {"ulvash.png", {512, 512}}, {"waterparticle.png", {64, 64}}};
  const std::map<std::string, int> opaque = {{"skybox.png", 0}, {"skybox_bonjour.png", 0}, {"velumdrannick.png", 0}};
  for (const std::string& name : datatest::ExpectedFiles()) {
    if (name.find(".png") == std::string::npos) continue;
    SCOPED_TRACE(name);
    Image im;
    ASSERT_TRUE(MorlenGL::DecodePng(PathOf(name), &im));
    auto it = sizes.find(name);
    std::pair<int, int> size = it != sizes.end() ? it->second
                               : opaque.count(name) ? std::make_pair(1024, 512)
                                                    : std::make_pair(1024, 768);
    EXPECT_EQ(im.width, size.first);
    EXPECT_EQ(im.height, size.second);
    if (opaque.count(name)) {
      EXPECT_EQ(im.channels, 3);
      continue;
    }
    ASSERT_EQ(im.channels, 4);
    auto [clear, solid] = Share(im, 3, 0, 200);
    EXPECT_GT(clear, 0.05);  // transparent texels...
    EXPECT_GT(solid, 0.001); // ...and something drawn
  }
}

TEST(Pictures, TextOverlaysShowTypeNotBlocks) {
  // Typeset glyphs leave many partly covered texels at their edges; a filled box would not.
  for (const char* name : {"logo1.png", "lyric2.png", "og3.png", "info3.png", "greet1.png", "scroller.png"}) {
    Image im;
    ASSERT_TRUE(MorlenGL::DecodePng(PathOf(name), &im));
    auto [clear, solid] = Share(im, 3, 0, 250);
    double partial = 1 - clear - solid;
    EXPECT_GT(partial, 0.002) << name;
  }
}

TEST(Pictures, TypeStaysInsideThePicture) {
  for (const char* name : {"logo1.png", "logo2.png", "logo3.png", "logo4.png", "lyric1.png", "lyric2.png",
                           "lyric3.png", "info1.png", "info2.png", "info3.png", "info5.png"}) {
    Image im;
    ASSERT_TRUE(MorlenGL::DecodePng(PathOf(name), &im));
    int inkAtEdges = 0;
    for (int y = 0; y < im.height; ++y)
      for (int x : {0, 1, 2, 3, 4, 5, im.width - 6, im.width - 5, im.width - 4, im.width - 3, im.width - 2, im.width - 1})
        inkAtEdges += im.pixels[(size_t(y) * size_t(im.width) + size_t(x)) * 4 + 3] > 0;
    EXPECT_EQ(inkAtEdges, 0) << name;
  }
}

}  // namespace
