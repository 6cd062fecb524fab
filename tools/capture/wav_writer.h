// wav_writer.h -- 16-bit PCM WAV files, and which stretch of the music a captured section covers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "output_file.h"

namespace capture {

// Audio frames [first, first + count) of a file at `rate` that sound while `frames` video
// frames of the capture grid at `fps`, from grid frame `first` on, are on screen. Each
// video frame's sound starts at its own exact time, rounded, so the sections of adjacent
// pieces join without a gap or an overlap.
struct AudioSection {
  int64_t first = 0;
  int64_t count = 0;
};
AudioSection SectionForFrames(int64_t first, int64_t frames, int fps, int rate);

// The 44-byte RIFF header for `frames` interleaved 16-bit frames.
std::string WavHeader(int rate, int channels, int64_t frames);

// Writes the header and the samples (interleaved, channels per frame) to a file opened before
// the capture began, and closes it. On failure *error names the file and the reason, and the
// file is removed: a header that promises samples the file lacks would lie.
bool WriteWav(OutputFile* file, const std::vector<int16_t>& samples, int rate, int channels, std::string* error);

}  // namespace capture
