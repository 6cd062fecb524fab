// run_program.cpp -- popen around a program beside the build.
#include "support/run_program.h"

#include <sys/wait.h>

#include <cstdio>

namespace testsupport {

ProgramRun RunBuiltProgram(const std::string& name, const std::string& args, const std::string& redirect) {
  std::string command = std::string(TOLVANE_BINARY_DIR) + "/" + name + " " + args + " " + redirect;
  ProgramRun r;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[65536];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) r.output.append(buffer, n);
  int status = pclose(pipe);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

}  // namespace testsupport
