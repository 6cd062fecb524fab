// audio_pcm.h -- decoded music in memory: MP3 decoding, frame access, mixing and the 512-point spectrum.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

constexpr int kFftSize = 512;
constexpr int kFftBins = kFftSize / 2;

// A whole decoded file; owned by value by whoever decoded it.
struct PcmTrack {
  std::vector<int16_t> samples;  // interleaved, channels per frame
  int rate = 0;                  // frames per second of the file
  int channels = 0;              // 1 or 2
  int64_t Frames() const { return channels > 0 ? static_cast<int64_t>(samples.size()) / channels : 0; }
};

// Decodes every frame of an MP3 file. On failure returns false and sets *error to a short
// reason (no file name); a file that yields no audio at all counts as a failure.
bool DecodeMp3File(const std::string& path, PcmTrack* track, std::string* error);

// Frame index as played: wrapped into the track when looping, otherwise -1 past either end.
int64_t PlayedFrame(const PcmTrack& track, int64_t frame, bool loop);

// One frame mixed to mono in [-1, 1); silence outside the track (unless looping).
float MonoAt(const PcmTrack& track, int64_t frame, bool loop);

// Interleaved 16-bit frames [first, first + count), as they are heard: wrapped when
// looping, zeros past the end.
std::vector<int16_t> SectionPcm(const PcmTrack& track, int64_t first, int64_t count, bool loop);

// Adds `frames` stereo float frames of the track to `out`, reading from `position` (in track
// frames) and stepping `step` track frames per output frame (file rate / device rate).
// Returns the new position; when a non-looping track runs out, sets *ended and returns Frames().
double MixInto(const PcmTrack& track, double position, double step, bool loop, float* out,
               int frames, bool* ended);

// Hann-windowed magnitudes of 512 mono samples, scaled by 2/512: a full-scale sine on a
// bin centre reads 0.5. Writes bins 0..255.
void Fft512(const float mono[kFftSize], float out[kFftBins]);

// The spectrum of the 512 frames that start at `frame`.
void SpectrumAt(const PcmTrack& track, int64_t frame, bool loop, float out[kFftBins]);

}  // namespace plat
