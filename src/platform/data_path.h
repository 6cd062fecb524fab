// data_path.h -- turns the show's data paths ("Data\sky_sphere.3DS") into real files.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// Backslashes become '/', and every path component is matched case-insensitively
// against what exists, relative to the working directory. When nothing matches,
// the converted path is returned as it is, so the caller's open fails and reports it.
std::string ResolveDataPath(std::string_view path);

// The names of the plain files in `folder`, sorted; none when it cannot be read.
std::vector<std::string> ListFiles(const std::string& folder);

}  // namespace plat
