// tracks_music_test.cpp -- camera tracks and the two MP3 files, read with the engine's own readers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "assets/keyframe_track.h"
#include "generated_data.h"
#include "platform/audio_pcm.h"

namespace {

std::string PathOf(const std::string& name) { return datatest::Generated().full + "/" + name; }

TEST(Tracks, EyeCirclesThePlanetAndTargetStaysNearIt) {
  MorlenGL::cKeyframeTrack eye, target;
  ASSERT_TRUE(eye.Load(PathOf("dof_kf_pos.dkf"), MorlenGL::KF_COSINE_TABLE));
  ASSERT_TRUE(target.Load(PathOf("dof_kf_targ.dkf"), MorlenGL::KF_COSINE_TABLE));
  for (const auto* t : {&eye, &target}) {
    ASSERT_GE(t->keys.size(), 15u);
    for (const auto& k : t->keys) EXPECT_EQ(k.interpolation, MorlenGL::KF_COSINE_TABLE);
    EXPECT_GE(t->keys.back().time, 5700);  // the whole 57 s window is covered
    EXPECT_GE(t->samples.size(), 5690u);
  }
  double turned = 0, lastAngle = std::atan2(eye.samples[0].x, eye.samples[0].z);
  for (const auto& s : eye.samples) {
    double r = std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z);
    ASSERT_GT(r, 60) << "the eye enters the planet (radius 45) at " << s.time;  // and never grazes it
    ASSERT_LT(r, 140) << s.time;  // the black sphere (radius up to ~128) can still swallow the view
    double a = std::atan2(s.x, s.z), d = a - lastAngle;
    if (d > M_PI) d -= 2 * M_PI;
    if (d < -M_PI) d += 2 * M_PI;
    turned += d;
    lastAngle = a;
  }
  EXPECT_GT(std::fabs(turned), 2 * M_PI * 0.6);  // most of a circle round the planet
  for (const auto& s : target.samples) ASSERT_LT(std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z), 45) << s.time;
}

class Music : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    decoded_ = plat::DecodeMp3File(PathOf("music.mp3"), &music_, &error);
    if (!decoded_) ADD_FAILURE() << error;
  }
  static plat::PcmTrack music_;
  static bool decoded_;
};
plat::PcmTrack Music::music_;
bool Music::decoded_ = false;

TEST_F(Music, LastsBeyondTheShowInCdQualityStereoWithHeadroom) {
  ASSERT_TRUE(decoded_);
  EXPECT_EQ(music_.rate, 44100);
  EXPECT_EQ(music_.channels, 2);
  EXPECT_GE(music_.Frames(), int64_t(310) * 44100);
  int peak = 0;
  for (int16_t s : music_.samples) peak = std::max(peak, std::abs(int(s)));
  EXPECT_LE(peak, int(32768 * std::pow(10.0, -1.0 / 20)));  // -1 dBFS
  EXPECT_GT(peak, 16000);                                     // and not timid either
}

// The bins the scenes read carry energy in every section, and it moves with the beat.
TEST_F(Music, SpectrumBinsTheScenesReadMoveWithTheMusic) {
  ASSERT_TRUE(decoded_);
  const int bins[] = {1, 2, 5, 7, 20};
  for (double second : {20.0, 70.0, 100.0, 150.0, 190.0, 240.0, 280.0}) {
    SCOPED_TRACE(second);
    float low[5], high[5];
    std::fill(low, low + 5, 1e9f);
    std::fill(high, high + 5, 0.0f);
    for (int w = 0; w < 86; ++w) {  // every 512 frames over one second
      float spectrum[plat::kFftBins];
      plat::SpectrumAt(music_, int64_t(second * 44100) + w * 512, false, spectrum);
      for (int b = 0; b < 5; ++b) {
        low[b] = std::min(low[b], spectrum[bins[b]]);
        high[b] = std::max(high[b], spectrum[bins[b]]);
      }
    }
    for (int b = 0; b < 5; ++b) {
      EXPECT_GT(high[b], 0.01f) << "bin " << bins[b];
      EXPECT_GT(high[b], 2 * low[b]) << "bin " << bins[b] << " does not move";
    }
  }
}

TEST_F(Music, SectionsChangeWhereTheScenesDo) {
  ASSERT_TRUE(decoded_);
  // Every scene change opens with a hit: the low end just after it is well above just before it.
  auto level = [&](double from, double to) {
    double sum = 0;
    int64_t a = int64_t(from * 44100), b = int64_t(to * 44100);
    for (int64_t f = a; f < b; ++f) sum += std::fabs(plat::MonoAt(music_, f, false));
    return sum / double(b - a);
  };
  for (double change : {57.0, 80.0, 112.0, 176.0, 200.0, 260.0}) {
    EXPECT_GT(level(change, change + 0.15), 1.3 * level(change - 0.25, change - 0.05)) << change;
  }
}

TEST(LoadingMusic, IsAShortLoopWithoutAClickAtTheSeam) {
  plat::PcmTrack loop;
  std::string error;
  ASSERT_TRUE(plat::DecodeMp3File(PathOf("loading.mp3"), &loop, &error)) << error;
  EXPECT_EQ(loop.rate, 44100);
  EXPECT_EQ(loop.channels, 2);
  double seconds = double(loop.Frames()) / loop.rate;
  EXPECT_GT(seconds, 6);
  EXPECT_LT(seconds, 12);
  // Across the wrap the sound continues: no jump bigger than the music's own steps.
  int64_t n = loop.Frames();
  float biggestStep = 0;
  for (int64_t f = 1; f < n; ++f)
    biggestStep = std::max(biggestStep, std::fabs(plat::MonoAt(loop, f, true) - plat::MonoAt(loop, f - 1, true)));
  float seam = std::fabs(plat::MonoAt(loop, 0, true) - plat::MonoAt(loop, n - 1, true));
  EXPECT_LE(seam, biggestStep);
  auto rms = [&](int64_t from, int64_t count) {
    double s = 0;
    for (int64_t f = from; f < from + count; ++f) s += double(plat::MonoAt(loop, f, true)) * plat::MonoAt(loop, f, true);
    return std::sqrt(s / double(count));
  };
  double tail = rms(n - 4410, 4410), head = rms(0, 4410);
  EXPECT_GT(tail, 0.3 * head);  // the end is not a fade to silence...
  EXPECT_GT(head, 0.3 * tail);  // ...nor the start a fade in
}

}  // namespace
