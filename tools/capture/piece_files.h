// piece_files.h -- the files of pieces captured apart, joined into the files one process writes.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace capture {

// Copies the frames of a piece's Y4M file to `out`, checking that its stream header is
// `header` and that it holds exactly `frames` frames of `frameBytes` each.
bool AppendY4mFrames(const std::string& piecePath, const std::string& header, size_t frameBytes, int64_t frames,
                     FILE* out, std::string* error);

// Moves a piece's numbered PNG frames 0 .. frames - 1 into `dir` as frames firstIndex on,
// and its loading picture, where it has one.
bool MovePngFrames(const std::string& pieceDir, int64_t frames, const std::string& dir, int64_t firstIndex,
                   std::string* error);

// One WAV file at `path` holding the sound of the pieces' WAV files one after the other;
// they must share their rate and channels.
bool JoinWavs(const std::vector<std::string>& pieces, const std::string& path, std::string* error);

}  // namespace capture
