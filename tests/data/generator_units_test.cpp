// generator_units_test.cpp -- the generator's building blocks: 3DS writer, shapes, noise, maps, type, synth.
#include <gtest/gtest.h>

#include <cmath>

#include "assets/image_decode.h"
#include "assets/model_3ds.h"
#include "canvas.h"
#include "model_shapes.h"
#include "music_synth.h"
#include "platform/audio_pcm.h"
#include "support/temp_dir.h"
#include "text_render.h"

namespace {

using namespace datagen;

c3DsModelSystem RoundTrip(const Model& model) {
  std::string bytes, error;
  EXPECT_TRUE(Encode3ds(model, &bytes, &error)) << error;
  c3DsModelSystem m;
  EXPECT_TRUE(m.LoadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "test"));
  return m;
}

TEST(Writer3ds, ATriangleComesBackAsWrittenWithItsNormalOnTheCounterClockwiseSide) {
  Mesh tri("tri");
  tri.AddVertex({0, 0, 0}, {0, 0});
  tri.AddVertex({1, 0, 0}, {1, 0});
  tri.AddVertex({0, 0, -1}, {0, 1});  // counter-clockwise seen from above
  tri.AddFace(0, 1, 2);
  c3DsModelSystem m = RoundTrip({"mat", "x.jpg", {tri}});
  ASSERT_EQ(m.objectCount, 1);
  const MeshObject& o = m.objects[0];
  EXPECT_EQ(o.name, "tri");
  ASSERT_EQ(o.vertexCount, 3);
  EXPECT_FLOAT_EQ(o.vertices[8], -1);  // Y-up survives the file's Z-up
  EXPECT_FLOAT_EQ(o.texCoords[5], 1);
  for (int v = 0; v < 3; ++v) EXPECT_NEAR(o.normals[size_t(v) * 3 + 1], 1, 1e-6) << v;
  ASSERT_EQ(o.groupCount, 1);
  EXPECT_EQ(m.materials[0].name, "mat");
  EXPECT_EQ(o.groups[0].materialIndex, 0);
  EXPECT_EQ(o.groups[0].indices, (std::vector<uint16_t>{0, 1, 2}));
}

TEST(Writer3ds, RefusesMoreVerticesThanSixteenBitIndicesReach) {
  Mesh big("big");
  big.positions.resize(70000);
  big.uvs.resize(70000);
  std::string bytes, error;
  EXPECT_FALSE(Encode3ds({"m", "", {big}}, &bytes, &error));
  EXPECT_NE(error.find("big"), std::string::npos);
}

// Average of dot(normal, position - centre) signs: +1 all outwards, -1 all inwards.
double Facing(const c3DsModelSystem& m, float cx = 0, float cy = 0) {
  double sum = 0;
  int n = 0;
  for (const MeshObject& o : m.objects)
    for (size_t i = 0; i < o.vertices.size(); i += 3) {
      float d = (o.vertices[i] - cx) * o.normals[i] + (o.vertices[i + 1] - cy) * o.normals[i + 1] +
                o.vertices[i + 2] * o.normals[i + 2];
      if (d == 0) continue;  // collapsed pole points have no normal
      sum += d > 0 ? 1 : -1;
      ++n;
    }
  return sum / n;
}

TEST(Shapes, SpheresLathesTubesAndBoxesFaceTheWayAsked) {
  Mesh out("out"), in("in"), lathe("lathe"), tube("tube"), box("box");
  AddSphere(out, 16, 8, [](V3) { return 5.0f; }, false);
  AddSphere(in, 16, 8, [](V3) { return 5.0f; }, true);
  AddLathe(lathe, {{2, -1}, {2, 1}}, 16, {}, [](float s, float t) { return UV{s, t}; });
  AddLoop(tube, Circle({}, {1, 0, 0}, {0, 0, -1}, 10, 24), 1, 6, [](int, float) { return UV{}; });
  box.AddBox({-1, -1, -1}, {1, 1, 1}, [](V3) { return UV{}; });
  EXPECT_EQ(Facing(RoundTrip({"m", "", {out}})), 1);
  EXPECT_EQ(Facing(RoundTrip({"m", "", {in}})), -1);
  EXPECT_EQ(Facing(RoundTrip({"m", "", {lathe}})), 1);
  EXPECT_EQ(Facing(RoundTrip({"m", "", {box}})), 1);
  // A tube's normals point away from its own axis: outwards on the far side of the ring.
  c3DsModelSystem t = RoundTrip({"m", "", {tube}});
  int away = 0, total = 0;
  const MeshObject& o = t.objects[0];
  for (size_t i = 0; i < o.vertices.size(); i += 3) {
    float r = std::hypot(o.vertices[i], o.vertices[i + 2]);
    float axis[3] = {o.vertices[i] * 10 / r, 0, o.vertices[i + 2] * 10 / r};
    float d = (o.vertices[i] - axis[0]) * o.normals[i] + o.vertices[i + 1] * o.normals[i + 1] +
              (o.vertices[i + 2] - axis[2]) * o.normals[i + 2];
    away += d > 0;
    ++total;
  }
  EXPECT_EQ(away, total);
  UV top = HeightMapping({0, 7, 0}, {0, 2, 0}, 5), bottom = HeightMapping({3, -3, 0}, {0, 2, 0}, 5);
  EXPECT_FLOAT_EQ(top.v, 1);
  EXPECT_FLOAT_EQ(bottom.v, 0);
}

TEST(Noise, TilesAtItsPeriodAndStaysInRange) {
  for (float x : {0.3f, 2.7f, 5.1f}) {
    for (float y : {0.2f, 3.9f}) {
      EXPECT_FLOAT_EQ(Noise2(x, y, 8, 5), Noise2(x + 8, y, 8, 5));
      EXPECT_FLOAT_EQ(Noise2(x, y, 8, 5), Noise2(x, y - 8, 8, 5));
      EXPECT_NEAR(Fbm2(x, y, 4, 5, 9), Fbm2(x + 4, y, 4, 5, 9), 1e-5);
      float n = Fbm3({x, y, x * y}, 5, 3);
      EXPECT_GE(n, 0);
      EXPECT_LE(n, 1);
    }
  }
  EXPECT_NE(Noise2(0.5f, 0.5f, 0, 1), Noise2(0.5f, 0.5f, 0, 2));  // the seed matters
  Rng a(7), b(7), c(8);
  uint32_t first = a.Next();
  EXPECT_EQ(first, b.Next());
  EXPECT_NE(first, c.Next());
}

TEST(Maps, NormalMapTiltsAgainstTheSlope) {
  HeightField wave(64, 16);
  wave.Build([](float u, float) { return std::sin(2 * kPi * u); });  // tiles, rising at the left edge
  Image n = NormalMapFrom(wave, 8);
  EXPECT_LT(n.At(0, 8)[0], 100);  // rising to the right: the normal leans left
  EXPECT_GT(n.At(32, 8)[0], 156);  // falling: it leans right
  EXPECT_NEAR((n.At(15, 8)[0] + n.At(16, 8)[0]) / 2.0, 128, 2);  // the crest (u = 0.25) is flat
  EXPECT_NEAR(n.At(15, 8)[1], 128, 1);
  EXPECT_GT(n.At(15, 8)[2], 250);
  HeightField hill(16, 16);
  hill.Build([](float, float v) { return 1 - v; });  // higher towards the top row
  EXPECT_LT(NormalMapFrom(hill, 4).At(5, 5)[1], 128);  // up the picture is uphill: the normal leans down
}

TEST(Maps, RampsInterpolateAndClamp) {
  Ramp r{{{0.2f, {0, 0, 0}}, {0.6f, {1, 0.5f, 0}}}};
  EXPECT_FLOAT_EQ(r(0).r, 0);
  EXPECT_FLOAT_EQ(r(0.4f).r, 0.5f);
  EXPECT_FLOAT_EQ(r(0.4f).g, 0.25f);
  EXPECT_FLOAT_EQ(r(1).g, 0.5f);
}

TEST(Type, AlignmentPlacesTheInkAndWidthGrowsWithText) {
  Typesetter ts;
  std::string error;
  ASSERT_TRUE(ts.Open("/usr/share/fonts/truetype/dejavu", &error)) << error;
  TextStyle s;
  s.size = 40;
  float shortW = ts.Width(s, "Vell"), longW = ts.Width(s, "Quenmar Vell");
  EXPECT_GT(shortW, 40);
  EXPECT_GT(longW, 2 * shortW);
  for (Align align : {Align::kLeft, Align::kCentre, Align::kRight}) {
    s.align = align;
    Mask m(600, 80);
    ts.Render(m, s, 300, 60, "Tolvane");
    float lo = 600, hi = 0;
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 600; ++x)
        if (m.At(x, y) > 0.5f) {
          lo = std::min(lo, float(x));
          hi = std::max(hi, float(x));
        }
    float expectedLeft = align == Align::kLeft ? 300 : align == Align::kCentre ? 300 - ts.Width(s, "Tolvane") / 2
                                                                                  : 300 - ts.Width(s, "Tolvane");
    EXPECT_NEAR(lo, expectedLeft, 6) << int(align);
    EXPECT_NEAR(hi - lo, ts.Width(s, "Tolvane"), 8) << int(align);
  }
  EXPECT_FALSE(ts.Open("/nonexistent", &error));
}

TEST(Synth, APadNoteSoundsAtItsPitchAndTheMixHitsItsPeakLevel) {
  MixSettings mix;
  mix.seconds = 2;
  mix.peakDb = -6;
  Pcm pcm = Render({{0.0, 1.5, Voice::kPad, Pitch(69), 0.5f, 0}}, mix);
  ASSERT_EQ(pcm.left.size(), size_t(2 * kSampleRate));
  float peak = 0;
  for (float v : pcm.left) peak = std::max(peak, std::fabs(v));
  for (float v : pcm.right) peak = std::max(peak, std::fabs(v));
  EXPECT_NEAR(peak, std::pow(10.0f, -6 / 20.0f), 1e-4);
  plat::PcmTrack track;
  track.rate = kSampleRate;
  track.channels = 2;
  for (size_t i = 0; i < pcm.left.size(); ++i) {
    track.samples.push_back(int16_t(pcm.left[i] * 32767));
    track.samples.push_back(int16_t(pcm.right[i] * 32767));
  }
  float spectrum[plat::kFftBins];
  plat::SpectrumAt(track, kSampleRate, false, spectrum);
  int loudest = int(std::max_element(spectrum + 1, spectrum + 40) - spectrum);
  EXPECT_EQ(loudest, 5);  // 440 Hz / 86.1 Hz per bin
}

TEST(Synth, LoopsWrapTailsIntoTheStartAndEncodeWithoutGaps) {
  MixSettings mix;
  mix.seconds = 1;
  mix.loop = true;
  Pcm pcm = Render({{0.9, 0.3, Voice::kPluck, 500, 0.5f, 0}}, mix);
  float startLevel = 0;
  for (int i = 0; i < 4410; ++i) startLevel = std::max(startLevel, std::fabs(pcm.left[size_t(i)]));
  EXPECT_GT(startLevel, 0.05f);  // the note begun at 0.9 s goes on at the top of the loop
  std::string bytes, error;
  ASSERT_TRUE(EncodeMp3(pcm, 128, 7, &bytes, &error)) << error;
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("loop.mp3"), bytes);
  plat::PcmTrack decoded;
  ASSERT_TRUE(plat::DecodeMp3File(dir.File("loop.mp3"), &decoded, &error)) << error;
  EXPECT_NEAR(double(decoded.Frames()), double(kSampleRate), 1152);  // the Info header trims the padding
}

}  // namespace
