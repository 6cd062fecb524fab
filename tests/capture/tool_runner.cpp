// tool_runner.cpp -- popen around the tool beside the build.
#include "tool_runner.h"

#include <sys/wait.h>

#include <cstdio>

namespace capturetest {

RunResult RunCaptureTool(const std::string& args, const std::string& redirect) {
  std::string command = std::string(TOLVANE_BINARY_DIR) + "/tolvane-capture " + args + " " + redirect;
  RunResult r;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[65536];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) r.output.append(buffer, n);
  int status = pclose(pipe);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

}  // namespace capturetest
