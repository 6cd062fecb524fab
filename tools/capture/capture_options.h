// capture_options.h -- what one run of tolvane-capture was asked to do, read from its command line.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "frame_timing.h"

namespace capture {

enum class Output {
  kNone,          // --bench, or --audio alone
  kPngDirectory,  // numbered frames, plus the loading picture when starting at 0
  kPngFile,       // --frame: only the frame at the end of the section
  kY4m,           // a path ending in .y4m, or "-" for standard output
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
};

enum class ParseResult { kRun, kHelp, kBadArguments };

// args excludes the program name. On kBadArguments *error holds one line saying why.
ParseResult ParseArguments(const std::vector<std::string>& args, Options* options, std::string* error);

// --data changes the working directory; output paths keep meaning what they meant where
// the tool was started, so relative ones are anchored to `startDir` first ("-" stays).
void AnchorOutputPaths(Options* options, const std::string& startDir);

// The option list printed with --help and after every bad argument.
std::string UsageText();

}  // namespace capture
