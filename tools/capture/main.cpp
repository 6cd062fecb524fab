// main.cpp -- tolvane-capture: reads the command line, enters the data folder and runs the capture.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "capture_options.h"
#include "capture_session.h"
#include "parallel_capture.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "show/show_start.h"

namespace {

int BadArguments(const std::string& why) {
  plat::Report("%s; see --help", why.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  plat::ClaimStandardDescriptors();
  plat::SetProgramName("tolvane-capture");
  capture::Options options;
  std::string error;
  switch (capture::ParseArguments(std::vector<std::string>(argv + 1, argv + argc), &options, &error)) {
    case capture::ParseResult::kHelp:
      fputs(capture::UsageText().c_str(), stdout);
      return 0;
    case capture::ParseResult::kBadArguments:
      return BadArguments(error);
    case capture::ParseResult::kRun:
      break;
  }
  std::error_code ec;
  if (const std::filesystem::path startDir = std::filesystem::current_path(ec); !ec)
    capture::AnchorOutputPaths(&options, startDir.string());
  if (!options.dataDir.empty() && (std::filesystem::current_path(options.dataDir, ec), ec))
    return BadArguments("--data " + options.dataDir + ": " + ec.message());
  // A wrong data folder would make a grey show and a page of missing files: one line instead.
  if (std::string line; !MorlenGL::FindShowData(&line)) {
    plat::Report("%s; give --data the folder that holds data/", line.c_str());
    return 3;
  }
  plat::IgnoreBrokenPipe();
  plat::BinaryStandardOutput();
  if (capture::RunsInPieces(options)) return capture::CaptureInPieces(options, plat::ThisProgram());
  return capture::CaptureSession(options).Run();
}
