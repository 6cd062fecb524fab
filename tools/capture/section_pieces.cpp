// section_pieces.cpp -- cutting a section at the scene ends of the timeline.
#include "section_pieces.h"

#include <algorithm>

#include "bench_report.h"
#include "parallel_capture.h"
#include "show/demo_scene.h"

namespace capture {

std::vector<Piece> SplitAtScenes(FrameRange section, int fps) {
  std::vector<Piece> pieces;
  int64_t next = section.first;
  for (int i = 0; i < MorlenGL::kSceneCount && next <= section.last; ++i) {
    const bool lastScene = i == MorlenGL::kSceneCount - 1;
    const int64_t end = lastScene ? section.last : FirstFrameAt(MorlenGL::SceneSection(i).to + 1, fps) - 1;
    Piece piece{{next, std::min(end, section.last)}, i};
    if (piece.frames.Count() == 0) continue;
    pieces.push_back(piece);
    next = piece.frames.last + 1;
  }
  return pieces;
}

std::vector<std::string> PieceArguments(const Options& o, const Piece& piece, const std::string& out,
                                        const std::string& audio) {
  std::vector<std::string> args = {"--from", FormatTime(FrameTime(piece.frames.first, o.fps)),
                                   "--to",   FormatTime(FrameTime(piece.frames.last, o.fps)),
                                   "--fps",  std::to_string(o.fps)};
  if (!out.empty()) args.insert(args.end(), {"--out", out});
  if (!audio.empty()) args.insert(args.end(), {"--audio", audio});
  if (o.verbose) args.push_back("--verbose");
  args.push_back("--progress-lines");
  return args;
}

std::string DescribePiece(const Piece& piece, int fps) {
  return std::string(MorlenGL::kTimeline[piece.scene].name) + ", " + FormatTime(FrameTime(piece.frames.first, fps)) +
         " to " + FormatTime(FrameTime(piece.frames.last, fps));
}

bool RunsInPieces(const Options& options) {
  return options.jobs > 1 && !options.singleFrame && !options.bench &&
         SplitAtScenes(SectionFrames(options.from, options.to, options.fps), options.fps).size() > 1;
}

}  // namespace capture
