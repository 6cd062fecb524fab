// section_pieces.h -- a section cut where scenes end, and the command line that captures one piece.
#pragma once
#include <string>
#include <vector>

#include "capture_options.h"
#include "frame_timing.h"

namespace capture {

struct Piece {
  FrameRange frames;
  int scene = 0;  // timeline index of the scene whose window holds the piece
};

// One piece per scene the section reaches, in order: piece i holds the section's frames whose
// clock lies after the end of scene i - 1 and not after the end of scene i, so a frame two
// windows share belongs to the earlier scene and every frame to exactly one piece.
std::vector<Piece> SplitAtScenes(FrameRange section, int fps);

// The arguments (without the program) that make this program capture exactly the piece's
// frames into `out` and `audio` (either may be empty), reporting progress as lines.
std::vector<std::string> PieceArguments(const Options& options, const Piece& piece, const std::string& out,
                                        const std::string& audio);

// "abstract1, 0:57.50 to 1:20.00"
std::string DescribePiece(const Piece& piece, int fps);

}  // namespace capture
