// run_program.h -- runs a program built beside the tests and collects its exit code and output.
#pragma once
#include <string>

namespace testsupport {

struct ProgramRun {
  int exitCode = -1;  // -1 when it could not be started or did not exit normally
  std::string output;
};

// `name` is a program in the build folder; args are appended as shell words; `redirect`
// decides what reaches the collected output ("2>&1" for both streams, "2>/dev/null" for
// standard output alone, "2>FILE").
ProgramRun RunBuiltProgram(const std::string& name, const std::string& args, const std::string& redirect);

}  // namespace testsupport
