// stream_test.cpp -- MP3 files made here, decoded into streams that play silently on the virtual counter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <filesystem>
#include <thread>

#include "mp3_maker.h"
#include "platform/audio_device.h"
#include "platform/counter.h"
#include "platform/diagnostics.h"
#include "shell/music_track.h"
#include "support/temp_dir.h"

using namespace audiotest;
using MorlenGL::MusicTrack;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

constexpr int64_t kFrequency = 1000000;
void AdvanceSeconds(double s) { plat::AdvanceVirtualCounter(static_cast<int64_t>(std::llround(s * kFrequency))); }

int PeakBin(const float* bins) { return int(std::max_element(bins, bins + 256) - bins); }

// Every test runs on silent output and the virtual counter, so none needs a sound card.
class AudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::UseVirtualCounter(kFrequency, 5000000);
    plat::AudioForceSilent(true);
    plat::CaptureDiagnostics(&lines);
    MorlenGL::AudioInit();
  }
  void TearDown() override {
    MorlenGL::AudioFree();
    plat::CaptureDiagnostics(nullptr);
    plat::AudioForceSilent(false);
    plat::UseRealCounter();
  }
  // Two seconds: one of silence, then a half-scale sine on bin 20.
  std::string WriteSilenceThenSine(const std::string& name, int channels = 1) {
    std::string path = dir.File(name);
    WriteFile(path, EncodeMp3(Sine(2 * kRate, channels, kBin20Hz, 0.5, kRate), channels));
    return path;
  }
  TempDir dir;
  std::vector<std::string> lines;
};

}  // namespace

TEST_F(AudioTest, DecodesExactLengthRateAndChannels) {
  const int64_t frames = 44100 + 1234;  // not a whole number of MP3 frames
  for (int channels : {1, 2}) {
    std::string path = dir.File("tone" + std::to_string(channels) + ".mp3");
    WriteFile(path, EncodeMp3(Sine(frames, channels, kBin20Hz, 0.5), channels));
    plat::AudioStream s = plat::AudioStreamCreate(path);
    ASSERT_NE(s, 0u) << path;
    EXPECT_EQ(plat::AudioStreamRate(s), kRate);
    EXPECT_EQ(plat::AudioStreamChannels(s), channels);
    EXPECT_EQ(plat::AudioStreamLength(s), frames) << "encoder delay and padding must be trimmed";
  }
  EXPECT_TRUE(lines.empty());

  const std::string path22 = dir.File("tone22k.mp3");
  WriteFile(path22, EncodeMp3(Sine(22050, 1, 1000.0, 0.5), 1, 22050));
  plat::AudioStream s = plat::AudioStreamCreate(path22);
  EXPECT_EQ(plat::AudioStreamRate(s), 22050);
  EXPECT_EQ(plat::AudioStreamLength(s), 22050);
}

TEST_F(AudioTest, SpectrumOfDecodedSineAndSilence) {
  MusicTrack track;
  track.m_fileName = WriteSilenceThenSine("tone.mp3", 2);
  MorlenGL::StreamCreateFile(track);
  ASSERT_NE(track.m_stream, 0u);
  MorlenGL::ChannelSetPosition(track, 0.0);
  MorlenGL::ChannelPlay(track, true);

  MorlenGL::ChannelGetFft512(track);
  EXPECT_LT(*std::max_element(track.m_spectrum, track.m_spectrum + 256), 1e-3f) << "the first second is silent";

  AdvanceSeconds(1.5);
  MorlenGL::ChannelGetFft512(track);
  EXPECT_EQ(PeakBin(track.m_spectrum), 20);
  // Half scale reads 0.25; the encoder may move it by a few percent.
  EXPECT_NEAR(track.m_spectrum[20], 0.25f, 0.02f);
  EXPECT_LT(track.m_spectrum[5], 0.01f);
  EXPECT_LT(track.m_spectrum[60], 0.01f);
  for (int k = 256; k < 512; ++k) ASSERT_EQ(track.m_spectrum[k], 0.0f) << "only 256 bins are written";
}

TEST_F(AudioTest, SilentStreamFollowsTheVirtualCounter) {
  plat::AudioStream s = plat::AudioStreamCreate(WriteSilenceThenSine("tone.mp3"));
  ASSERT_NE(s, 0u);
  EXPECT_FALSE(plat::AudioHasDevice());
  AdvanceSeconds(0.3);
  EXPECT_EQ(plat::AudioStreamPosition(s), 0) << "a stream does not move before it is played";
  plat::AudioStreamPlay(s, true);
  EXPECT_TRUE(plat::AudioStreamIsPlaying(s));
  AdvanceSeconds(0.5);
  EXPECT_EQ(plat::AudioStreamPosition(s), kRate / 2);
  AdvanceSeconds(0.25);
  EXPECT_EQ(plat::AudioStreamPosition(s), kRate * 3 / 4);

  plat::AudioStreamSetPosition(s, kRate / 10);  // seeking while playing goes on from there
  AdvanceSeconds(0.1);
  EXPECT_EQ(plat::AudioStreamPosition(s), kRate / 5);

  AdvanceSeconds(5.0);  // not looping: it stops at its end
  EXPECT_EQ(plat::AudioStreamPosition(s), 2 * kRate);
  EXPECT_FALSE(plat::AudioStreamIsPlaying(s));
  float bins[256];
  plat::AudioStreamFft512(s, bins);
  EXPECT_LT(*std::max_element(bins, bins + 256), 1e-6f) << "nothing plays after the end";
  plat::AudioStreamPlay(s, false);  // an ended stream plays again from the start
  EXPECT_EQ(plat::AudioStreamPosition(s), 0);
}

TEST_F(AudioTest, LoopWrapsAndStopFreezes) {
  MusicTrack track;
  track.m_fileName = WriteSilenceThenSine("loop.mp3");
  track.m_loop = true;
  MorlenGL::StreamCreateFile(track);
  MorlenGL::ChannelSetLoop(track);
  MorlenGL::ChannelSetPosition(track, 0.0);
  MorlenGL::ChannelPlay(track, true);
  AdvanceSeconds(2.5);
  EXPECT_NEAR(MorlenGL::ChannelGetPositionSeconds(track), 0.5, 1e-6);
  EXPECT_TRUE(plat::AudioStreamIsPlaying(track.m_stream));
  AdvanceSeconds(2.0 * 3 + 1.0);  // several laps later it is in the sine half
  EXPECT_NEAR(MorlenGL::ChannelGetPositionSeconds(track), 1.5, 1e-6);

  MorlenGL::ChannelStop(track);
  MorlenGL::ChannelGetFft512(track);
  const float atStop = track.m_spectrum[20];
  EXPECT_GT(atStop, 0.2f);
  AdvanceSeconds(0.7);
  EXPECT_NEAR(MorlenGL::ChannelGetPositionSeconds(track), 1.5, 1e-6);
  MorlenGL::ChannelGetFft512(track);
  EXPECT_EQ(track.m_spectrum[20], atStop);

  MorlenGL::ChannelPlay(track, false);  // resume
  AdvanceSeconds(0.25);
  EXPECT_NEAR(MorlenGL::ChannelGetPositionSeconds(track), 1.75, 1e-6);
  MorlenGL::ChannelPlay(track, true);  // restart
  EXPECT_EQ(plat::AudioStreamPosition(track.m_stream), 0);

  // Switching the loop off mid-play keeps the position and ends the stream at its end.
  AdvanceSeconds(1.0);
  plat::AudioStreamSetLoop(track.m_stream, false);
  AdvanceSeconds(3.0);
  EXPECT_EQ(plat::AudioStreamPosition(track.m_stream), 2 * kRate);
}

TEST_F(AudioTest, StartFromALaterPointAndReadTheSectionHeard) {
  MusicTrack track;
  track.m_fileName = WriteSilenceThenSine("tone.mp3", 2);
  MorlenGL::StreamCreateFile(track);
  MorlenGL::ChannelSetPosition(track, 1.25);
  MorlenGL::ChannelPlay(track, false);
  EXPECT_EQ(plat::AudioStreamPosition(track.m_stream), kRate * 5 / 4);
  MorlenGL::ChannelGetFft512(track);
  EXPECT_EQ(PeakBin(track.m_spectrum), 20);

  std::vector<int16_t> pcm;
  int rate = 0, channels = 0;
  ASSERT_TRUE(MorlenGL::ChannelGetPcm(track, 0.9, 0.2, &pcm, &rate, &channels));
  EXPECT_EQ(rate, kRate);
  EXPECT_EQ(channels, 2);
  ASSERT_EQ(pcm.size(), size_t(0.2 * kRate) * 2);
  // The sine starts at 1.0 s, halfway through the section; the encoder smears the edge a little.
  auto rms = [&](size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += double(pcm[i]) * pcm[i];
    return std::sqrt(sum / double(to - from));
  };
  const size_t half = pcm.size() / 2, margin = 2 * 1024;
  EXPECT_LT(rms(0, half - margin), 100.0);
  EXPECT_NEAR(rms(half + margin, pcm.size()), 0.5 * 32767 / std::sqrt(2.0), 1000.0);

  ASSERT_TRUE(MorlenGL::ChannelGetPcm(track, 1.9, 0.2, &pcm, &rate, &channels));
  ASSERT_EQ(pcm.size(), size_t(0.2 * kRate) * 2);
  EXPECT_TRUE(std::all_of(pcm.begin() + pcm.size() / 2 + 2, pcm.end(), [](int16_t v) { return v == 0; }))
      << "past the end of a non-looping file is silence";
}

TEST_F(AudioTest, DataPathsResolveWithoutRegardToCase) {
  WriteFile(dir.File("Data/Music.MP3"), EncodeMp3(Sine(4410, 1, kBin20Hz, 0.5), 1));
  testsupport::ScopedChdir chdir(dir.path());
  MusicTrack track;
  track.m_fileName = "data\\music.mp3";
  MorlenGL::StreamCreateFile(track);
  EXPECT_NE(track.m_stream, 0u);
  EXPECT_TRUE(lines.empty());
}

TEST_F(AudioTest, BadFilesGiveStreamZeroOneLineAndAnUnchangedSpectrum) {
  const std::string good = EncodeMp3(Sine(kRate, 1, kBin20Hz, 0.5), 1);
  WriteFile(dir.File("text.mp3"), "this is not music at all\n");
  WriteFile(dir.File("noise.mp3"), std::string(20000, '\x5a'));
  WriteFile(dir.File("empty.mp3"), "");
  WriteFile(dir.File("cut.mp3"), good.substr(0, 100));
  std::filesystem::create_directory(dir.File("folder.mp3"));
  for (const char* name : {"missing.mp3", "text.mp3", "noise.mp3", "empty.mp3", "cut.mp3", "folder.mp3"}) {
    lines.clear();
    MusicTrack track;
    track.m_fileName = dir.File(name);
    track.m_loop = true;
    std::fill(track.m_spectrum, track.m_spectrum + 512, 7.0f);
    MorlenGL::StreamCreateFile(track);
    EXPECT_EQ(track.m_stream, 0u) << name;
    ASSERT_EQ(lines.size(), 1u) << name;
    EXPECT_NE(lines[0].find(name), std::string::npos) << lines[0];
    // Every later call on stream 0 does nothing.
    MorlenGL::ChannelSetLoop(track);
    MorlenGL::ChannelSetPosition(track, 0.0);
    MorlenGL::ChannelPlay(track, true);
    AdvanceSeconds(0.1);
    MorlenGL::ChannelGetFft512(track);
    MorlenGL::ChannelStop(track);
    EXPECT_TRUE(std::all_of(track.m_spectrum, track.m_spectrum + 512, [](float v) { return v == 7.0f; })) << name;
    std::vector<int16_t> pcm;
    int rate = -1, channels = -1;
    EXPECT_FALSE(MorlenGL::ChannelGetPcm(track, 0.0, 1.0, &pcm, &rate, &channels));
    EXPECT_EQ(MorlenGL::ChannelGetPositionSeconds(track), 0.0);
  }
}

TEST_F(AudioTest, StreamsAreIndependentAndFreeEndsThemAll) {
  MusicTrack loading, demo;
  loading.m_fileName = WriteSilenceThenSine("loading.mp3");
  demo.m_fileName = WriteSilenceThenSine("music.mp3");
  loading.m_loop = true;
  MorlenGL::StreamCreateFile(loading);
  MorlenGL::ChannelSetLoop(loading);
  MorlenGL::ChannelPlay(loading, true);
  AdvanceSeconds(1.5);
  MorlenGL::AudioInit();  // a repeated call changes nothing
  MorlenGL::StreamCreateFile(demo);
  ASSERT_NE(demo.m_stream, 0u);
  EXPECT_NE(demo.m_stream, loading.m_stream);
  MorlenGL::ChannelPlay(demo, true);
  MorlenGL::ChannelStop(loading);
  AdvanceSeconds(0.5);
  EXPECT_NEAR(MorlenGL::ChannelGetPositionSeconds(loading), 1.5, 1e-6);
  EXPECT_NEAR(MorlenGL::ChannelGetPositionSeconds(demo), 0.5, 1e-6);

  MorlenGL::ChannelStop(demo);
  MorlenGL::AudioFree();
  std::fill(demo.m_spectrum, demo.m_spectrum + 512, 3.0f);
  MorlenGL::ChannelGetFft512(demo);
  MorlenGL::ChannelStop(loading);  // the owner stops its track after the library is gone
  EXPECT_EQ(demo.m_spectrum[20], 3.0f);
  EXPECT_EQ(plat::AudioStreamLength(loading.m_stream), 0);

  MorlenGL::AudioInit();  // handles of the freed streams stay dead after a new start
  MusicTrack again;
  again.m_fileName = demo.m_fileName;
  MorlenGL::StreamCreateFile(again);
  EXPECT_NE(again.m_stream, 0u);
  EXPECT_NE(again.m_stream, demo.m_stream);
  EXPECT_NE(again.m_stream, loading.m_stream);
}

// SDL's dummy driver is no device, so streams stay on the counter.
TEST(AudioDevice, DummyDriverOrVirtualCounterMeanSilentOutput) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::vector<std::string> lines;
  plat::CaptureDiagnostics(&lines);
  plat::UseRealCounter();
  plat::AudioOpen(44100);
  EXPECT_FALSE(plat::AudioHasDevice());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("dummy"), std::string::npos) << lines[0];
  plat::AudioClose();

  // A counter advanced by hand keeps any device closed: wall-time playback could not follow it.
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  plat::UseVirtualCounter(1000, 0);
  plat::AudioOpen(44100);
  EXPECT_FALSE(plat::AudioHasDevice());
  plat::AudioClose();
  plat::UseRealCounter();
  plat::CaptureDiagnostics(nullptr);
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");
}

// An empty sound configuration knows no card, so every machine is one without a sound card.
// libasound then explains each failed step on stderr; only our one line may remain, and the
// library's text must still come back through the verbose switch.
TEST(AudioDevice, WithoutACardTheOnlyLineIsOursAndTheLibraryTextIsVerbose) {
  TempDir dir;
  const std::string config = dir.File("no-card.conf");
  WriteFile(config, "");
  setenv("SDL_AUDIODRIVER", "alsa", 1);
  setenv("ALSA_CONFIG_PATH", config.c_str(), 1);
  plat::UseRealCounter();
  for (bool verbose : {false, true}) {
    std::vector<std::string> lines;
    plat::CaptureDiagnostics(&lines);
    plat::SetVerbose(verbose);
    testing::internal::CaptureStderr();
    plat::AudioOpen(44100);
    const std::string leaked = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(plat::AudioHasDevice());
    plat::AudioClose();
    plat::SetVerbose(false);
    plat::CaptureDiagnostics(nullptr);
    EXPECT_EQ(leaked, "") << "verbose " << verbose;
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("the music plays silently"), std::string::npos) << lines.back();
    const auto library = std::count_if(lines.begin(), lines.end(),
                                       [](const std::string& l) { return l.find("ALSA lib") == 0; });
    if (verbose) {
      EXPECT_GE(library, 1) << "the library's own text is kept for verbose runs";
      EXPECT_EQ(size_t(library) + 1, lines.size());
    } else {
      EXPECT_EQ(lines.size(), 1u) << lines.front();
    }
  }
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("ALSA_CONFIG_PATH");
}

// SDL's "disk" driver is a real output that writes what the mixer produced to a file, so the
// callback path can be checked without a sound card: the file must hold the decoded frames.
TEST(AudioDevice, MixerOutputIsTheDecodedSound) {
  TempDir dir;
  const std::string raw = dir.File("out.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  const std::string mp3 = dir.File("tone.mp3");
  WriteFile(mp3, EncodeMp3(Sine(kRate, 2, kBin20Hz, 0.5), 2));
  plat::UseRealCounter();
  plat::AudioOpen(44100);
  if (!plat::AudioHasDevice()) {
    unsetenv("SDL_AUDIODRIVER");
    GTEST_SKIP() << "SDL has no disk audio driver here";
  }
  plat::AudioStream s = plat::AudioStreamCreate(mp3);
  ASSERT_NE(s, 0u);
  std::vector<int16_t> expected;
  ASSERT_TRUE(plat::AudioStreamPcm(s, 0, 8192, &expected));
  plat::AudioStreamPlay(s, true);
  // The driver paces itself on wall time; wait (generously) until the mixer is well into the file.
  for (int i = 0; i < 1000 && plat::AudioStreamPosition(s) < 16384; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_GE(plat::AudioStreamPosition(s), 16384);
  plat::AudioStreamStop(s);
  const int64_t stoppedAt = plat::AudioStreamPosition(s);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(plat::AudioStreamPosition(s), stoppedAt) << "a stopped stream is not mixed any further";
  plat::AudioClose();
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");

  std::ifstream in(raw, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  std::vector<float> out(bytes.size() / sizeof(float));
  std::memcpy(out.data(), bytes.data(), out.size() * sizeof(float));
  // Silence until the stream was started, then its frames one for one (equal rates: no interpolation).
  size_t first = 0;
  while (first < out.size() && out[first] == 0.0f) ++first;
  first -= first % 2;
  size_t lead = 0;
  while (lead < expected.size() && expected[lead] == 0) ++lead;
  lead -= lead % 2;
  ASSERT_GE(out.size(), first + expected.size() - lead);
  for (size_t i = lead; i < expected.size(); ++i)
    ASSERT_FLOAT_EQ(out[first + i - lead], expected[i] / 32768.0f) << "sample " << i;
}

// ---- decoding as it is read ----

namespace {

// Stereo whose sides differ and whose pitch and level keep moving, with a little noise, so
// that no two blocks of the decoder look alike.
std::vector<int16_t> Moving(int64_t frames) {
  std::vector<int16_t> out(static_cast<size_t>(frames * 2));
  uint32_t noise = 12345;
  for (int64_t i = 0; i < frames; ++i) {
    const double t = double(i) / kRate;
    noise = noise * 1664525u + 1013904223u;
    const double left = 0.4 * std::sin(2 * M_PI * (200 + 150 * t) * t) * (0.6 + 0.4 * std::sin(t * 3));
    const double right = 0.3 * std::sin(2 * M_PI * 660 * t) + 0.05 * (double(noise >> 16) / 32768.0 - 1.0);
    out[size_t(2 * i)] = int16_t(std::lround(left * 32767));
    out[size_t(2 * i + 1)] = int16_t(std::lround(right * 32767));
  }
  return out;
}

bool SameSpectrum(const plat::PcmTrack& a, const plat::PcmTrack& b, int64_t frame, bool loop) {
  float x[plat::kFftBins], y[plat::kFftBins];
  plat::SpectrumAt(a, frame, loop, x);
  plat::SpectrumAt(b, frame, loop, y);
  return std::memcmp(x, y, sizeof x) == 0;
}

}  // namespace

TEST_F(AudioTest, DecodingAsReadGivesTheWholeDecodeBitForBitWhereverReadingJumps) {
  const std::string path = dir.File("moving.mp3");
  WriteFile(path, EncodeMp3(Moving(8 * kRate + 321), 2));
  plat::PcmTrack whole, streamed;
  std::string error;
  ASSERT_TRUE(plat::DecodeMp3File(path, &whole, &error)) << error;
  ASSERT_TRUE(plat::OpenMp3File(path, &streamed, &error)) << error;
  EXPECT_TRUE(streamed.samples.empty()) << "nothing but the first block is decoded up front";
  ASSERT_EQ(streamed.Frames(), whole.Frames());
  EXPECT_EQ(streamed.rate, whole.rate);
  EXPECT_EQ(streamed.channels, whole.channels);

  // Forward and back, across block edges, at the end and past it, before the start.
  const int64_t block = plat::Mp3Blocks::kBlockFrames, total = whole.Frames();
  for (int64_t first : {int64_t{0}, 3 * block - 100, block / 2, 7 * block + 7, int64_t{1}, total - 300,
                        2 * block, total + 50, int64_t{-200}, 10 * block - 1}) {
    for (bool loop : {false, true}) {
      EXPECT_EQ(plat::SectionPcm(streamed, first, 1500, loop), plat::SectionPcm(whole, first, 1500, loop))
          << "from " << first << (loop ? " looping" : "");
      EXPECT_TRUE(SameSpectrum(streamed, whole, first, loop)) << "at " << first << (loop ? " looping" : "");
    }
  }
  // The mixer on another rate, wrapping round the end.
  std::vector<float> mixedWhole(2 * 4000), mixedStreamed(2 * 4000);
  bool endedWhole = false, endedStreamed = false;
  const double at = double(total - 1000) + 0.25;
  EXPECT_EQ(plat::MixInto(whole, at, 0.9, true, mixedWhole.data(), 4000, &endedWhole),
            plat::MixInto(streamed, at, 0.9, true, mixedStreamed.data(), 4000, &endedStreamed));
  EXPECT_TRUE(mixedWhole == mixedStreamed);
  // And the whole piece read straight through.
  EXPECT_TRUE(plat::SectionPcm(streamed, 0, total, false) == whole.samples);

  // A stream's spectrum after a jump, as the show's later start makes one.
  plat::AudioStream s = plat::AudioStreamCreate(path);
  ASSERT_NE(s, 0u);
  for (int64_t frame : {5 * block + 11, int64_t{kRate}, 6 * block}) {
    plat::AudioStreamSetPosition(s, frame);
    float heard[plat::kFftBins], expected[plat::kFftBins];
    ASSERT_TRUE(plat::AudioStreamFft512(s, heard));
    plat::SpectrumAt(whole, frame, false, expected);
    EXPECT_EQ(std::memcmp(heard, expected, sizeof heard), 0) << "at " << frame;
  }
  EXPECT_TRUE(lines.empty());
}

TEST_F(AudioTest, ThreadsReadingOneStreamAtOnceGetTheWholeDecode) {
  const std::string path = dir.File("moving.mp3");
  WriteFile(path, EncodeMp3(Moving(6 * kRate), 2));
  plat::PcmTrack whole, streamed;
  std::string error;
  ASSERT_TRUE(plat::DecodeMp3File(path, &whole, &error)) << error;
  ASSERT_TRUE(plat::OpenMp3File(path, &streamed, &error)) << error;
  // Each reader jumps about on its own, so the few cached blocks keep changing under the other.
  auto reader = [&](uint32_t seed, int* mismatches) {
    for (int i = 0; i < 150; ++i) {
      seed = seed * 1664525u + 1013904223u;
      const int64_t first = int64_t(seed >> 8) % whole.Frames();
      if (plat::SectionPcm(streamed, first, 3000, true) != plat::SectionPcm(whole, first, 3000, true)) ++*mismatches;
    }
  };
  int first = 0, second = 0;
  std::thread other(reader, 7u, &second);
  reader(99u, &first);
  other.join();
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 0);
}

TEST_F(AudioTest, AFileCutShortPlaysWhatItHoldsThenSilenceAndSaysSoOnce) {
  const std::string bytes = EncodeMp3(Moving(3 * kRate), 2);
  const std::string path = dir.File("cut.mp3");
  WriteFile(path, bytes.substr(0, bytes.size() / 2));
  plat::PcmTrack whole, streamed;
  std::string error;
  ASSERT_TRUE(plat::DecodeMp3File(path, &whole, &error)) << error;
  ASSERT_TRUE(plat::OpenMp3File(path, &streamed, &error)) << error;
  // The info frame still promises three seconds; what is there comes out as the whole decode has it.
  EXPECT_EQ(streamed.Frames(), 3 * kRate);
  ASSERT_LT(whole.Frames(), 2 * kRate);
  const std::vector<int16_t> heard = plat::SectionPcm(streamed, 0, streamed.Frames(), false);
  EXPECT_TRUE(std::equal(whole.samples.begin(), whole.samples.end(), heard.begin()));
  EXPECT_TRUE(std::all_of(heard.begin() + whole.samples.size(), heard.end(), [](int16_t v) { return v == 0; }));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("cut.mp3: damaged after"), std::string::npos) << lines[0];
  plat::SectionPcm(streamed, 0, streamed.Frames(), false);
  EXPECT_EQ(lines.size(), 1u) << "said once";
}
