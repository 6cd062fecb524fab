// reports.h -- the inspector's subcommands; each returns the process exit code.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace inspect {

constexpr int kOk = 0;
constexpr int kBadInput = 1;  // missing file or not valid input; the reason is on stderr
constexpr int kBadArguments = 2;

int InspectModel(const std::string& path);
int InspectTrack(const std::string& path, const std::vector<int32_t>& times);
int InspectImage(const std::string& path);
// Every program class, or the one named (an empty name: all); compile builds them on the
// headless backend and fails when any does not link.
int InspectPrograms(const std::string& className, bool compile);

}  // namespace inspect
