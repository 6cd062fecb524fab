// audio_pcm.h -- decoded music: MP3 decoding (whole, or a block at a time as it is read), frame access, mixing and the 512-point spectrum.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct mpg123_handle_struct;

namespace plat {

constexpr int kFftSize = 512;
constexpr int kFftBins = kFftSize / 2;

// Consecutive frames of a file, interleaved: frames [first, first + samples.size() / channels).
struct PcmBlock {
  int64_t first = 0;
  std::vector<int16_t> samples;
};

// An MP3 file decoded as it is read, a block at a time, so that a long piece costs next to
// nothing at start-up and a few blocks of memory while it plays. Its frames are those a whole
// decode gives, bit for bit, wherever reading starts or jumps to. Every thread may read: the
// decoder and its few cached blocks sit behind one lock, and a block handed out stays valid
// however the cache moves on.
class Mp3Blocks {
 public:
  static constexpr int64_t kBlockFrames = int64_t{1} << 15;

  Mp3Blocks() = default;
  Mp3Blocks(const Mp3Blocks&) = delete;
  Mp3Blocks& operator=(const Mp3Blocks&) = delete;
  ~Mp3Blocks();

  // Opens the file, learns its exact length (the encoder's delay and padding trimmed, as a
  // whole decode does) and decodes the first block. Fails as DecodeMp3File does.
  bool Open(const std::string& path, int* rate, int* channels, std::string* error);
  int64_t Frames() const { return frames_; }
  // The block that holds `frame`, 0 <= frame < Frames().
  std::shared_ptr<const PcmBlock> BlockAt(int64_t frame);

 private:
  std::shared_ptr<const PcmBlock> Decode(int64_t first);
  int64_t ReadFrames(int16_t* out, int64_t count, int64_t first);
  void NoteDamage(int64_t frame, const std::string& why);

  std::mutex mutex_;  // over everything below once Open has returned
  mpg123_handle_struct* decoder_ = nullptr;
  std::string path_;
  long rate_ = 0;
  int channels_ = 0;
  int64_t frames_ = 0;
  int64_t next_ = 0;       // the frame the decoder gives next; -1 when unknown
  int64_t damagedAt_ = 0;  // frames from here on read as silence (Frames() when none)
  std::string damage_;     // what stopped the decoder, said once
  bool damageReported_ = false;
  static constexpr int kCachedBlocks = 4;
  std::shared_ptr<const PcmBlock> cache_[kCachedBlocks];
  int64_t lastUse_[kCachedBlocks] = {};
  int64_t uses_ = 0;
};

// Decoded frames of a file: all in memory, or, with `blocks`, decoded as they are read (then
// `samples` stays empty). Owned by value; copies share the on-demand decoder.
struct PcmTrack {
  std::vector<int16_t> samples;        // interleaved, channels per frame
  int rate = 0;                        // frames per second of the file
  int channels = 0;                    // 1 or 2
  std::shared_ptr<Mp3Blocks> blocks;
  int64_t Frames() const {
    if (blocks) return blocks->Frames();
    return channels > 0 ? static_cast<int64_t>(samples.size()) / channels : 0;
  }
};

// Decodes every frame of an MP3 file. On failure returns false and sets *error to a short
// reason (no file name); a file that yields no audio at all counts as a failure.
bool DecodeMp3File(const std::string& path, PcmTrack* track, std::string* error);

// Opens an MP3 file to be decoded as it is read (see Mp3Blocks); failures as DecodeMp3File.
bool OpenMp3File(const std::string& path, PcmTrack* track, std::string* error);

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
