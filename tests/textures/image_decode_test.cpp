// image_decode_test.cpp -- PNG and JPEG decoding, power-of-two sizing, resampling, black key.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "assets/image_decode.h"
#include "support/image_files.h"
#include "platform/crt_random.h"
#include "platform/diagnostics.h"
#include "support/temp_dir.h"

using namespace MorlenGL;
using testimages::PngSpec;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// Sets or clears an environment variable for one scope.
struct ScopedEnv {
  std::string name;
  explicit ScopedEnv(const char* n, const char* value) : name(n) {
    if (value) setenv(n, value, 1); else unsetenv(n);
  }
  ~ScopedEnv() { unsetenv(name.c_str()); }
};

Image Rgb(int w, int h, std::vector<unsigned char> p) { return {w, h, 3, std::move(p)}; }

}  // namespace

// --- sizing ------------------------------------------------------------------------------------

TEST(PictureTextureSide, RoundsToTheNearestPowerOfTwoInTheLogSense) {
  EXPECT_EQ(PictureTextureSide(640, 2048), 512);
  EXPECT_EQ(PictureTextureSide(480, 2048), 512);
  EXPECT_EQ(PictureTextureSide(48, 2048), 64);
  EXPECT_EQ(PictureTextureSide(40, 2048), 32);
  EXPECT_EQ(PictureTextureSide(1000, 2048), 1024);
  EXPECT_EQ(PictureTextureSide(512, 2048), 512);
  EXPECT_EQ(PictureTextureSide(1, 2048), 1);
  // 512 * sqrt(2) = 724.08 is the switch-over.
  EXPECT_EQ(PictureTextureSide(724, 2048), 512);
  EXPECT_EQ(PictureTextureSide(725, 2048), 1024);
}

TEST(PictureTextureSide, NeverExceedsTheDriverMaximum) {
  EXPECT_EQ(PictureTextureSide(3000, 2048), 2048);
  EXPECT_EQ(PictureTextureSide(2048, 2048), 2048);
  EXPECT_EQ(PictureTextureSide(2049, 2048), 2048);
  // A maximum that is not a power of two: rounding up may not pass it.
  EXPECT_EQ(PictureTextureSide(1500, 1500), 1500);
  EXPECT_EQ(PictureTextureSide(0, 2048), 1);
}

// --- black key and row order ---------------------------------------------------------------------

TEST(PictureTexels, OnlyPureBlackBecomesTransparent) {
  const Image out = PictureTexels(Rgb(4, 1, {0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 1, 0}));
  ASSERT_EQ(out.channels, 4);
  const unsigned char expected[] = {0, 0, 0, 0, 0, 0, 1, 255, 1, 0, 0, 255, 0, 1, 0, 255};
  EXPECT_EQ(std::vector<unsigned char>(out.pixels), std::vector<unsigned char>(std::begin(expected), std::end(expected)));
}

TEST(PictureTexels, PutsTheBottomRowFirstInRgbOrder) {
  const Image out = PictureTexels(Rgb(1, 3, {10, 20, 30, 40, 50, 60, 70, 80, 90}));
  const std::vector<unsigned char> expected = {70, 80, 90, 255, 40, 50, 60, 255, 10, 20, 30, 255};
  EXPECT_EQ(out.pixels, expected);
}

// --- resampling ----------------------------------------------------------------------------------

TEST(Resample, EnlargesBilinearlyAndKeepsTheSameSizeExact) {
  const Image in = {2, 1, 1, {0, 255}};
  EXPECT_EQ(Resample(in, 4, 1).pixels, (std::vector<unsigned char>{0, 64, 191, 255}));
  const Image rgb = Rgb(3, 1, {1, 2, 3, 250, 251, 252, 128, 64, 32});
  EXPECT_EQ(Resample(rgb, 3, 1).pixels, rgb.pixels);
  EXPECT_EQ(Resample(rgb, 3, 2).channels, 3);
}

TEST(Resample, ShrinkingAveragesInsteadOfSkipping) {
  // A one-pixel checkerboard squeezed to half size: point sampling would keep pure 0 or 255.
  Image in{8, 8, 1, {}};
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) in.pixels.push_back(((x + y) & 1) ? 255 : 0);
  const Image out = Resample(in, 4, 4);
  ASSERT_EQ(out.pixels.size(), 16u);
  for (unsigned char v : out.pixels) {
    EXPECT_GE(v, 100);
    EXPECT_LE(v, 155);
  }
}

// --- PNG -----------------------------------------------------------------------------------------

TEST(DecodePng, KeepsTheFileAlphaAndRowOrder) {
  TempDir dir;
  PngSpec spec{2, 2, 4, 8, 0, {255, 0, 0, 10, 0, 255, 0, 20, 0, 0, 255, 30, 9, 8, 7, 255}};
  testimages::WritePng(dir.File("a.png"), spec);
  Image image;
  ASSERT_TRUE(DecodePng(dir.File("a.png"), &image));
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(image.channels, 4);
  EXPECT_EQ(image.pixels, spec.pixels);
}

TEST(DecodePng, WithoutAlphaIsRgbAndUnchanged) {
  TempDir dir;
  PngSpec spec{3, 1, 3, 8, 0, {1, 2, 3, 128, 129, 130, 253, 254, 255}};
  testimages::WritePng(dir.File("rgb.png"), spec);
  Image image;
  ASSERT_TRUE(DecodePng(dir.File("rgb.png"), &image));
  EXPECT_EQ(image.channels, 3);
  EXPECT_EQ(image.pixels, spec.pixels);
}

TEST(DecodePng, ExpandsGrayPaletteAndSixteenBitsToEightBitRgb) {
  TempDir dir;
  testimages::WritePng(dir.File("gray.png"), {2, 1, 1, 8, 0, {7, 200}});
  testimages::WritePng(dir.File("deep.png"), {1, 1, 3, 16, 0, {10, 20, 30}});
  testimages::WritePalettePng(dir.File("pal.png"), 2, 1, {1, 2, 3, 4, 5, 6}, {0, 255}, {0, 1});
  Image gray, deep, pal;
  ASSERT_TRUE(DecodePng(dir.File("gray.png"), &gray));
  ASSERT_TRUE(DecodePng(dir.File("deep.png"), &deep));
  ASSERT_TRUE(DecodePng(dir.File("pal.png"), &pal));
  EXPECT_EQ(gray.pixels, (std::vector<unsigned char>{7, 7, 7, 200, 200, 200}));
  EXPECT_EQ(deep.pixels, (std::vector<unsigned char>{10, 20, 30}));
  // The palette's transparency chunk is the file's alpha.
  EXPECT_EQ(pal.channels, 4);
  EXPECT_EQ(pal.pixels, (std::vector<unsigned char>{1, 2, 3, 0, 4, 5, 6, 255}));
}

TEST(DecodePng, AppliesDisplayGamma) {
  TempDir dir;
  testimages::WritePng(dir.File("plain.png"), {1, 1, 3, 8, 0, {128, 128, 128}});
  testimages::WritePng(dir.File("srgb.png"), {1, 1, 3, 8, 1.0 / 2.2, {128, 128, 128}});
  testimages::WritePng(dir.File("linear.png"), {1, 1, 3, 8, 1.0, {128, 128, 128}});
  Image plain, srgb, linear, viewed;
  ASSERT_TRUE(DecodePng(dir.File("plain.png"), &plain));
  ASSERT_TRUE(DecodePng(dir.File("srgb.png"), &srgb));
  ASSERT_TRUE(DecodePng(dir.File("linear.png"), &linear));
  EXPECT_EQ(plain.pixels[0], 128);
  EXPECT_EQ(srgb.pixels[0], 128);
  // Linear data shown on a 2.2 screen: 255 * (128/255)^(1/2.2) = 186.
  EXPECT_NEAR(linear.pixels[0], 186, 1);
  {
    ScopedEnv env("VIEWING_GAMMA", "2.2");  // screen gamma 1.0: 255 * (128/255)^2.2 = 56
    EXPECT_DOUBLE_EQ(PngScreenGamma(), 1.0);
    ASSERT_TRUE(DecodePng(dir.File("plain.png"), &viewed));
    EXPECT_NEAR(viewed.pixels[0], 56, 1);
  }
  ScopedEnv junk("VIEWING_GAMMA", "-3");
  EXPECT_DOUBLE_EQ(PngScreenGamma(), 2.2);
}

TEST(DecodePng, BadFilesGiveOneLineNamingTheFile) {
  TempDir dir;
  PngSpec spec{64, 64, 3, 8, 0, std::vector<unsigned char>(64 * 64 * 3, 77)};
  for (size_t i = 0; i < spec.pixels.size(); ++i) spec.pixels[i] = static_cast<unsigned char>(i * 7);
  testimages::WritePng(dir.File("whole.png"), spec);
  const std::string bytes = testimages::ReadBytes(dir.File("whole.png"));
  WriteFile(dir.File("cut.png"), bytes.substr(0, bytes.size() / 2));
  WriteFile(dir.File("header.png"), bytes.substr(0, 20));
  WriteFile(dir.File("text.png"), "this is not a picture");
  std::string flipped = bytes;
  flipped[50] = static_cast<char>(flipped[50] ^ 0x55);  // inside the image data: CRC mismatch
  WriteFile(dir.File("crc.png"), flipped);

  for (const char* name : {"cut.png", "header.png", "text.png", "crc.png", "missing.png"}) {
    testimages::CapturedDiagnostics diag;
    Image image;
    image.width = 99;
    EXPECT_FALSE(DecodePng(dir.File(name), &image)) << name;
    EXPECT_EQ(image.width, 99) << name;
    ASSERT_EQ(diag.lines.size(), 1u) << name;
    EXPECT_NE(diag.lines[0].find(name), std::string::npos) << diag.lines[0];
  }
}

// --- JPEG ----------------------------------------------------------------------------------------

TEST(DecodeJpeg, ReadsSizeAndColourTopRowFirst) {
  TempDir dir;
  std::vector<unsigned char> pixels = testimages::Solid(16, 16, 250, 250, 250);
  for (int i = 0; i < 16 * 8 * 3; ++i) pixels[i] = 0;  // top half black
  testimages::WriteJpeg(dir.File("p.jpg"), 16, 16, 3, pixels);
  Image image;
  ASSERT_TRUE(DecodeJpeg(dir.File("p.jpg"), &image));
  EXPECT_EQ(image.width, 16);
  EXPECT_EQ(image.height, 16);
  EXPECT_EQ(image.channels, 3);
  EXPECT_LE(image.pixels[0], 3);
  EXPECT_GE(image.pixels[image.pixels.size() - 1], 247);
}

TEST(DecodeJpeg, GrayPicturesComeOutRgb) {
  TempDir dir;
  testimages::WriteJpeg(dir.File("g.jpg"), 8, 8, 1, std::vector<unsigned char>(64, 100));
  Image image;
  ASSERT_TRUE(DecodeJpeg(dir.File("g.jpg"), &image));
  ASSERT_EQ(image.channels, 3);
  EXPECT_NEAR(image.pixels[0], 100, 2);
  EXPECT_EQ(image.pixels[0], image.pixels[1]);
  EXPECT_EQ(image.pixels[1], image.pixels[2]);
}

// A 64 x 64 picture with detail in every block, so each scan carries data.
std::string PatternJpeg(const TempDir& dir, const char* name, bool progressive = false) {
  std::vector<unsigned char> pixels(64 * 64 * 3);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 13);
  testimages::WriteJpeg(dir.File(name), 64, 64, 3, pixels, progressive);
  return testimages::ReadBytes(dir.File(name));
}

TEST(DecodeJpeg, DecodesPastDamageLibjpegRepairsAndSaysSoOnceWhenVerbose) {
  TempDir dir;
  const std::string bytes = PatternJpeg(dir, "whole.jpg");
  const size_t scan = bytes.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  // Two stray bytes before the scan marker: the picture is all there.
  WriteFile(dir.File("stray.jpg"), bytes.substr(0, scan) + "\x12\x34" + bytes.substr(scan));
  // A scan cut short: the top rows are there, the rest comes out grey.
  WriteFile(dir.File("short.jpg"), bytes.substr(0, scan + (bytes.size() - scan) / 2));
  Image whole;
  ASSERT_TRUE(DecodeJpeg(dir.File("whole.jpg"), &whole));

  struct Case { const char* name; const char* warning; };
  for (const Case c : {Case{"stray.jpg", "2 extraneous bytes before marker 0xda"},
                       Case{"short.jpg", "Premature end of JPEG file"}}) {
    for (const bool verbose : {false, true}) {
      plat::SetVerbose(verbose);
      testimages::CapturedDiagnostics diag;
      Image image;
      const bool ok = DecodeJpeg(dir.File(c.name), &image);
      plat::SetVerbose(false);
      ASSERT_TRUE(ok) << c.name;
      EXPECT_EQ(image.width, 64);
      EXPECT_EQ(image.height, 64);
      if (c.name == std::string("stray.jpg")) {
        EXPECT_EQ(image.pixels, whole.pixels);
      } else {
        EXPECT_TRUE(std::equal(whole.pixels.begin(), whole.pixels.begin() + 64 * 3, image.pixels.begin()));
        EXPECT_NEAR(image.pixels.back(), 128, 2);
      }
      ASSERT_EQ(diag.lines.size(), verbose ? 1u : 0u) << c.name;
      if (verbose) {
        EXPECT_NE(diag.lines[0].find(c.name), std::string::npos) << diag.lines[0];
        EXPECT_NE(diag.lines[0].find(c.warning), std::string::npos) << diag.lines[0];
      }
    }
  }
}

TEST(DecodeJpeg, BadFilesGiveOneLineNamingTheFile) {
  TempDir dir;
  const std::string bytes = PatternJpeg(dir, "whole.jpg");
  WriteFile(dir.File("noscan.jpg"), bytes.substr(0, bytes.find("\xFF\xDA")));
  WriteFile(dir.File("header.jpg"), bytes.substr(0, 100));
  WriteFile(dir.File("empty.jpg"), "");
  WriteFile(dir.File("text.jpg"), "plain words, no markers");

  plat::SetVerbose(true);  // a refused file gets its one line, not a warning besides
  for (const char* name : {"noscan.jpg", "header.jpg", "empty.jpg", "text.jpg", "missing.jpg"}) {
    testimages::CapturedDiagnostics diag;
    Image image;
    EXPECT_FALSE(DecodeJpeg(dir.File(name), &image)) << name;
    EXPECT_TRUE(image.pixels.empty()) << name;
    ASSERT_EQ(diag.lines.size(), 1u) << name;
    EXPECT_NE(diag.lines[0].find(name), std::string::npos) << diag.lines[0];
  }
  plat::SetVerbose(false);
}

// Repeated scans are damage libjpeg decodes past, each over the whole picture: a few are
// decoded (reported once), hundreds are refused rather than keeping the loader busy.
TEST(DecodeJpeg, RepeatedScansDecodeUntilThereAreFarTooMany) {
  TempDir dir;
  const std::string bytes = PatternJpeg(dir, "p.jpg", true);
  const size_t lastScan = bytes.rfind("\xFF\xDA");
  const std::string head = bytes.substr(0, lastScan);
  const std::string scan = bytes.substr(lastScan, bytes.size() - 2 - lastScan);
  auto repeated = [&](int times) {
    std::string out = head;
    for (int i = 0; i < times; ++i) out += scan;
    return out + "\xFF\xD9";
  };
  WriteFile(dir.File("few.jpg"), repeated(4));
  WriteFile(dir.File("many.jpg"), repeated(600));
  plat::SetVerbose(true);
  testimages::CapturedDiagnostics diag;
  Image few, many;
  EXPECT_TRUE(DecodeJpeg(dir.File("few.jpg"), &few));
  EXPECT_FALSE(DecodeJpeg(dir.File("many.jpg"), &many));
  plat::SetVerbose(false);
  ASSERT_EQ(diag.lines.size(), 2u);
  EXPECT_NE(diag.lines[0].find("few.jpg: decoded past damage"), std::string::npos) << diag.lines[0];
  EXPECT_NE(diag.lines[0].find("more warnings)"), std::string::npos) << diag.lines[0];
  EXPECT_NE(diag.lines[1].find("many.jpg: cannot decode picture (more than 500 scans)"), std::string::npos)
      << diag.lines[1];
}

TEST(LoadPictureTexels, StretchesToPowerOfTwoAndKeysBlack) {
  TempDir dir;
  // Left half black, right half white: after stretching 48x40 -> 64x32 the far left stays black.
  std::vector<unsigned char> pixels = testimages::Solid(48, 40, 255, 255, 255);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 24; ++x)
      for (int c = 0; c < 3; ++c) pixels[(y * 48 + x) * 3 + c] = 0;
  testimages::WriteJpeg(dir.File("half.jpg"), 48, 40, 3, pixels);
  Image texels;
  ASSERT_TRUE(LoadPictureTexels(dir.File("half.jpg"), 2048, &texels));
  EXPECT_EQ(texels.width, 64);
  EXPECT_EQ(texels.height, 32);
  EXPECT_EQ(texels.channels, 4);
  EXPECT_EQ(texels.pixels[3], 0);                        // bottom-left texel: black, transparent
  EXPECT_EQ(texels.pixels[texels.pixels.size() - 1], 255);  // top-right: white, opaque
  EXPECT_GE(texels.pixels[texels.pixels.size() - 2], 250);
}

// --- damaged input ---------------------------------------------------------------------------------

TEST(Decoders, RefuseOversizedHeadersBeforeAllocating) {
  TempDir dir;
  testimages::WritePng(dir.File("wide.png"), {kMaxDecodeSide + 1, 1, 1, 8, 0,
                                              std::vector<unsigned char>(kMaxDecodeSide + 1, 5)});
  testimages::WriteJpeg(dir.File("wide.jpg"), kMaxDecodeSide + 8, 1, 1,
                        std::vector<unsigned char>(kMaxDecodeSide + 8, 5));
  testimages::CapturedDiagnostics diag;
  Image image;
  EXPECT_FALSE(DecodePng(dir.File("wide.png"), &image));
  EXPECT_FALSE(DecodeJpeg(dir.File("wide.jpg"), &image));
  EXPECT_EQ(diag.lines.size(), 2u);
}

// Randomly damaged files either decode to a consistent image or fail with exactly one line.
TEST(Decoders, SurviveRandomDamage) {
  TempDir dir;
  std::vector<unsigned char> pixels(40 * 24 * 3);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 31 + i / 7);
  testimages::WritePng(dir.File("good.png"), {40, 24, 3, 8, 0, pixels});
  testimages::WriteJpeg(dir.File("good.jpg"), 40, 24, 3, pixels);
  const std::string png = testimages::ReadBytes(dir.File("good.png"));
  const std::string jpg = testimages::ReadBytes(dir.File("good.jpg"));
  plat::Srand(7);
  for (int round = 0; round < 300; ++round) {
    const bool isPng = round % 2 == 0;
    std::string bytes = isPng ? png : jpg;
    const int flips = 1 + plat::Rand() % 4;
    for (int f = 0; f < flips; ++f)
      bytes[plat::Rand() % bytes.size()] = static_cast<char>(plat::Rand() & 0xff);
    if (round % 5 == 0) bytes.resize(plat::Rand() % bytes.size());
    const std::string path = dir.File(isPng ? "bad.png" : "bad.jpg");
    WriteFile(path, bytes);
    testimages::CapturedDiagnostics diag;
    Image image;
    const bool ok = isPng ? DecodePng(path, &image) : DecodeJpeg(path, &image);
    if (ok) {
      ASSERT_EQ(image.pixels.size(), static_cast<size_t>(image.width) * image.height * image.channels);
      EXPECT_TRUE(diag.lines.empty()) << "round " << round;
    } else {
      EXPECT_EQ(diag.lines.size(), 1u) << "round " << round;
    }
  }
}
