// data_path.h -- turns the show's data paths ("Data\sky_sphere.3DS") into real files.
#pragma once
#include <string>
#include <string_view>

namespace plat {

// Backslashes become '/', and every path component is matched case-insensitively
// against what exists, relative to the working directory. When nothing matches,
// the converted path is returned as it is, so the caller's open fails and reports it.
std::string ResolveDataPath(std::string_view path);

}  // namespace plat
