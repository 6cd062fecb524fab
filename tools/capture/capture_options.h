// capture_options.h -- what one run of tolvane-capture was asked to do, read from its command line.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "frame_timing.h"

namespace capture {

// The show's window; every frame has this size.
constexpr int kFrameWidth = 1024, kFrameHeight = 768;
// What --progress-lines prints after each frame, followed by the count of grid frames made.
constexpr const char* kProgressLinePrefix = "progress: frames made ";
// How the line of a capture that a stop signal ended begins.
constexpr const char* kStopLinePrefix = "stopped by signal ";

enum class Output {
  kNone,          // --bench, or --audio alone
  kPngDirectory,  // numbered frames, plus the loading picture when starting at 0
  kPngFile,       // --frame: only the frame at the end of the section
  kY4m,           // a path ending in .y4m, or "-" for standard output
  kSheet,         // --sheet FILE.png: chosen frames shrunk into one labelled grid
  kLook,          // --look FILE.png: brightness figures per scene, and a strip plot of them
};

// Times are read as ordinary decimals (ReadCommandLineTime), not by the show's text rule.
struct Options {
  int fps = 60;
  int32_t from = 0;          // hundredths of a second of show time
  int32_t to = kShowEnd;     // the last frame lies at or before it (or is the show's last)
  int scene = -1;            // --scene: timeline index whose window sets from and to; -1 none
  bool singleFrame = false;  // --frame TIME: `to` is TIME
  Output output = Output::kNone;
  std::string out;
  std::string audio;         // WAV file for the section's sound; empty for none
  bool bench = false;
  std::string benchJson;     // empty for none
  bool verbose = false;
  std::string dataDir;       // empty: the working directory
  int jobs = 1;              // worker processes for the pieces of the section
  bool progressLines = false;  // progress as lines for a program reading stderr
  bool quickStart = false;   // shift the clocks to `from` instead of replaying the show up to it
  int32_t every = 1000;      // --sheet: hundredths between the frames it shows
  int tileWidth = 256;       // --sheet: pixels across each frame on it
};

enum class ParseResult { kRun, kHelp, kBadArguments };

// args excludes the program name. On kBadArguments *error holds one line saying why.
ParseResult ParseArguments(const std::vector<std::string>& args, Options* options, std::string* error);

// --data changes the working directory; output paths keep meaning what they meant where
// the tool was started, so relative ones are anchored to `startDir` first ("-" stays).
void AnchorOutputPaths(Options* options, const std::string& startDir);

// The option list printed with --help.
std::string UsageText();

// The line a finished capture prints: how many frames of which times went where, how fast.
std::string SummaryLine(const Options& options, int64_t firstFrame, int64_t frames, double seconds,
                        const std::string& destination);

}  // namespace capture
