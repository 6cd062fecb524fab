// piece_files.h -- the files of pieces captured apart, joined into the files one process writes.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "output_file.h"

namespace capture {

// Copies the frames of a piece's Y4M file to `out`, checking that its stream header is
// `header` and that it holds exactly `frames` frames of `frameBytes` each.
bool AppendY4mFrames(const std::string& piecePath, const std::string& header, size_t frameBytes, int64_t frames,
                     OutputFile* out, std::string* error);

// How many whole frames a piece's Y4M file holds after its header (a piece that was stopped).
int64_t Y4mFramesIn(const std::string& piecePath, size_t headerBytes, size_t frameBytes);

// How many numbered PNG frames a piece's folder holds, counted from 0 up to the first missing.
int64_t PngFramesIn(const std::string& pieceDir);

// Moves a piece's numbered PNG frames 0 .. frames - 1 into `dir` as frames firstIndex on,
// and its loading picture, where it has one.
bool MovePngFrames(const std::string& pieceDir, int64_t frames, const std::string& dir, int64_t firstIndex,
                   std::string* error);

// Writes to `out` (then closed, or removed on failure) one WAV file holding the sound of the
// pieces' WAV files one after the other; they must share their rate and channels.
bool JoinWavs(const std::vector<std::string>& pieces, OutputFile* out, std::string* error);

}  // namespace capture
