// tool_runner.h -- runs the built tolvane-capture and collects its exit code and output.
#pragma once
#include <string>

namespace capturetest {

struct RunResult {
  int exitCode = -1;
  std::string output;
};

// args are appended to the tool's path as shell words; `redirect` decides what reaches the
// collected output ("2>&1" for both streams, "2>/dev/null" for standard output alone).
RunResult RunCaptureTool(const std::string& args, const std::string& redirect);

}  // namespace capturetest
