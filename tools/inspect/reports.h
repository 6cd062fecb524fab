// reports.h -- the inspector's subcommands; each returns the process exit code.
#pragma once
#include <string>
#include <vector>

namespace inspect {

constexpr int kOk = 0;
constexpr int kBadInput = 1;  // missing file or not valid input; the reason is on stderr
constexpr int kBadArguments = 2;

int InspectModel(const std::string& path);
int InspectTrack(const std::string& path, const std::vector<int32_t>& times);
int InspectImage(const std::string& path);

}  // namespace inspect
