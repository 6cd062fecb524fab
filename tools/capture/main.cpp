// main.cpp -- tolvane-capture: reads the command line, enters the data folder and runs the capture.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
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
  char startDir[4096];
  if (getcwd(startDir, sizeof startDir)) capture::AnchorOutputPaths(&options, startDir);
  if (!options.dataDir.empty() && chdir(options.dataDir.c_str()) != 0)
    return BadArguments("--data " + options.dataDir + ": " + strerror(errno));
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
