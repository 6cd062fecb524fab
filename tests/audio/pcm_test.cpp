// pcm_test.cpp -- the spectrum, frame access and mixer on generated PCM, without files or a device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "mp3_maker.h"
#include "platform/audio_pcm.h"

using namespace audiotest;
using plat::kFftBins;
using plat::kFftSize;
using plat::PcmTrack;

namespace {

PcmTrack Track(std::vector<int16_t> samples, int channels, int rate = kRate) {
  PcmTrack t;
  t.samples = std::move(samples);
  t.channels = channels;
  t.rate = rate;
  return t;
}

int PeakBin(const float* bins) { return int(std::max_element(bins, bins + kFftBins) - bins); }

}  // namespace

TEST(Spectrum, FullScaleSineOnBinCentreReadsHalf) {
  float mono[kFftSize], bins[kFftBins];
  for (int n = 0; n < kFftSize; ++n) mono[n] = float(std::sin(2.0 * std::numbers::pi * 20.0 * n / kFftSize));
  plat::Fft512(mono, bins);
  EXPECT_EQ(PeakBin(bins), 20);
  EXPECT_NEAR(bins[20], 0.5f, 2e-4f);
  // A periodic Hann window spreads a bin-centre sine into its two neighbours at half height, no further.
  EXPECT_NEAR(bins[19], 0.25f, 2e-4f);
  EXPECT_NEAR(bins[21], 0.25f, 2e-4f);
  EXPECT_LT(bins[17], 1e-3f);
  EXPECT_LT(bins[23], 1e-3f);
  EXPECT_LT(bins[0], 1e-3f);
}

TEST(Spectrum, SilenceReadsZeroAndDcLandsInBinZero) {
  float mono[kFftSize] = {}, bins[kFftBins];
  std::fill(bins, bins + kFftBins, 9.0f);
  plat::Fft512(mono, bins);
  for (int k = 0; k < kFftBins; ++k) ASSERT_EQ(bins[k], 0.0f) << "bin " << k;

  std::fill(mono, mono + kFftSize, 0.25f);
  plat::Fft512(mono, bins);
  EXPECT_NEAR(bins[0], 0.25f, 1e-4f);  // a constant lands in bin 0, at its value
  EXPECT_LT(bins[2], 1e-4f);
}

TEST(Spectrum, StereoIsMixedToMonoAndReadFromTheGivenFrame) {
  // Left carries the sine, right is silent: the mono mix halves it.
  std::vector<int16_t> stereo = Sine(4096, 2, kBin20Hz, 1.0);
  for (size_t i = 1; i < stereo.size(); i += 2) stereo[i] = 0;
  PcmTrack t = Track(stereo, 2);
  float bins[kFftBins];
  plat::SpectrumAt(t, 1000, false, bins);
  EXPECT_EQ(PeakBin(bins), 20);
  EXPECT_NEAR(bins[20], 0.25f, 2e-3f);
}

TEST(Spectrum, WindowStartsAtThePositionAndPadsPastTheEnd) {
  // 2000 silent frames, then the sine.
  PcmTrack t = Track(Sine(4000, 1, kBin20Hz, 1.0, 2000), 1);
  float bins[kFftBins];
  plat::SpectrumAt(t, 2000 - kFftSize, false, bins);
  EXPECT_LT(bins[20], 1e-4f);  // the 512 frames just before the sine
  plat::SpectrumAt(t, 2000, false, bins);
  EXPECT_NEAR(bins[20], 0.5f, 2e-3f);
  plat::SpectrumAt(t, 4000, false, bins);  // at the end nothing is left
  EXPECT_LT(*std::max_element(bins, bins + kFftBins), 1e-6f);
  plat::SpectrumAt(t, 4000, true, bins);  // looping reads the start again: silence
  EXPECT_LT(bins[20], 1e-4f);
  plat::SpectrumAt(t, 4000 + 2000, true, bins);
  EXPECT_NEAR(bins[20], 0.5f, 2e-3f);
}

TEST(FrameAccess, PlayedFrameWrapsOnlyWhenLooping) {
  PcmTrack t = Track(std::vector<int16_t>(10 * 2, 0), 2);
  EXPECT_EQ(plat::PlayedFrame(t, 9, false), 9);
  EXPECT_EQ(plat::PlayedFrame(t, 10, false), -1);
  EXPECT_EQ(plat::PlayedFrame(t, -1, false), -1);
  EXPECT_EQ(plat::PlayedFrame(t, 10, true), 0);
  EXPECT_EQ(plat::PlayedFrame(t, 23, true), 3);
  EXPECT_EQ(plat::PlayedFrame(t, -1, true), 9);
  EXPECT_EQ(plat::PlayedFrame(PcmTrack{}, 0, true), -1);
}

TEST(FrameAccess, SectionIsExactlyTheFramesAskedFor) {
  std::vector<int16_t> s;
  for (int i = 0; i < 8; ++i) s.insert(s.end(), {int16_t(i), int16_t(100 + i)});
  PcmTrack t = Track(s, 2);
  EXPECT_EQ(plat::SectionPcm(t, 3, 2, false), (std::vector<int16_t>{3, 103, 4, 104}));
  EXPECT_EQ(plat::SectionPcm(t, 7, 3, false), (std::vector<int16_t>{7, 107, 0, 0, 0, 0}));
  EXPECT_EQ(plat::SectionPcm(t, 7, 3, true), (std::vector<int16_t>{7, 107, 0, 100, 1, 101}));
  EXPECT_TRUE(plat::SectionPcm(t, 0, -5, false).empty());
}

TEST(Mixer, CopiesAtEqualRatesAndAddsToWhatIsThere) {
  std::vector<int16_t> s = {16384, -16384, 8192, 0};  // two stereo frames
  PcmTrack t = Track(s, 2);
  float out[8] = {0.25f, 0.25f, 0, 0, 0, 0, 0, 0};
  bool ended = false;
  double pos = plat::MixInto(t, 0.0, 1.0, false, out, 4, &ended);
  EXPECT_TRUE(ended);
  EXPECT_EQ(pos, 2.0);
  EXPECT_FLOAT_EQ(out[0], 0.75f);
  EXPECT_FLOAT_EQ(out[1], -0.25f);
  EXPECT_FLOAT_EQ(out[2], 0.25f);
  EXPECT_FLOAT_EQ(out[3], 0.0f);
  for (int i = 4; i < 8; ++i) EXPECT_EQ(out[i], 0.0f) << "past the end must stay silent";
}

TEST(Mixer, LoopsAroundAndInterpolatesOtherRates) {
  PcmTrack mono = Track({0, 8192, 16384, 24576}, 1);  // 0, .25, .5, .75
  float out[12] = {};
  bool ended = false;
  // Half speed (a 22050 Hz file on a 44100 Hz device): halfway values in between.
  double pos = plat::MixInto(mono, 2.0, 0.5, true, out, 6, &ended);
  EXPECT_FALSE(ended);
  const float expected[] = {0.5f, 0.625f, 0.75f, 0.375f, 0.0f, 0.125f};  // 3.5 blends the last frame with the first
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(out[2 * i], expected[i]) << "frame " << i;
    EXPECT_FLOAT_EQ(out[2 * i + 1], expected[i]) << "mono feeds both sides";
  }
  EXPECT_DOUBLE_EQ(pos, 1.0);  // 2 + 6 * 0.5 = 5, wrapped into 4 frames
}
