// tool_runner.h -- runs the built tolvane-capture and collects its exit code and output.
#pragma once
#include <string>

#include "support/run_program.h"

namespace capturetest {

using RunResult = testsupport::ProgramRun;

// args are appended to the tool's path as shell words; `redirect` decides what reaches the
// collected output ("2>&1" for both streams, "2>/dev/null" for standard output alone).
inline RunResult RunCaptureTool(const std::string& args, const std::string& redirect) {
  return testsupport::RunBuiltProgram("tolvane-capture", args, redirect);
}

}  // namespace capturetest
