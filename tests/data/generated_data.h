// generated_data.h -- one generated data folder shared by every data test process.
#pragma once
#include <string>
#include <vector>

namespace datatest {

// The 76 files the scenes read.
const std::vector<std::string>& ExpectedFiles();

// Runs tolvane-data with the arguments; returns its exit status, stderr text in *errors.
int RunGenerator(const std::string& args, std::string* errors = nullptr);

// A full run and a second, --quick run of the current generator, made once and kept under the
// build folder; ctest's parallel test processes take turns through a lock and reuse them.
// Empty on failure (with a test failure recorded).
struct Folders {
  std::string full, quick;
};
const Folders& Generated();

std::string ReadAll(const std::string& path);

}  // namespace datatest
