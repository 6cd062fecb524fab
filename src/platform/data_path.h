// data_path.h -- turns the show's data paths ("Data\sky_sphere.3DS") into real files.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// Backslashes become '/', and every path component is matched case-insensitively
// against what exists, relative to the working directory. When nothing matches,
// the converted path is returned as it is, so the caller's open fails and reports it.
std::string ResolveDataPath(std::string_view path);

// Opens a data file for reading, never blocking (a FIFO under a data name would otherwise hang
// the open), and only when it is a regular file of at most `limit` bytes. Otherwise nullptr,
// with *why the reason for a line after the path: "file not found", "is a directory", "is not
// a regular file", "too large: N bytes, the limit is M", or the system's words.
FILE* OpenDataFile(const std::string& path, uint64_t limit, std::string* why);

// Whether `folder` (a data path) holds a regular file of a kind the show reads: .3ds, .dkf, .jpg,
// .jpeg, .png or .mp3 in any case. *where receives the folder's absolute path, for a message.
bool HoldsDataFiles(const std::string& folder, std::string* where);

// Whether two names are the same letters without regard to case, as data names are matched.
bool SameNameIgnoringCase(const std::string& a, const std::string& b);

// The names of the plain files in `folder`, sorted; none when it cannot be read.
std::vector<std::string> ListFiles(const std::string& folder);

}  // namespace plat
