// mp3_maker.h -- test sounds: sines and silence as 16-bit PCM, encoded to MP3 with LAME.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace audiotest {

constexpr int kRate = 44100;
// Bin 20 of a 512-point FFT at 44100 Hz: the sine sits exactly on a bin centre.
constexpr double kBin20Hz = kRate * 20.0 / 512.0;

// Interleaved frames: silence for the first `silentFrames`, then a sine of `amplitude`
// (1 = full scale) on every channel, until `frames`.
std::vector<int16_t> Sine(int64_t frames, int channels, double hz, double amplitude, int64_t silentFrames = 0);

// A complete MP3 file, with the encoder's info frame so decoders can trim its padding.
std::string EncodeMp3(const std::vector<int16_t>& interleaved, int channels, int rate = kRate);

}  // namespace audiotest
