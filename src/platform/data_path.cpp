// data_path.cpp -- case-insensitive, separator-agnostic path resolution.
#include "platform/data_path.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/files.h"

namespace plat {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

static bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// Finds an entry of dir whose name equals name without regard to case.
static bool FindEntry(const std::string& dir, const std::string& name, std::string* found) {
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  bool hit = false;
  while (dirent* e = readdir(d)) {
    if (strcasecmp(e->d_name, name.c_str()) == 0) {
      *found = e->d_name;
      hit = true;
      break;
    }
  }
  closedir(d);
  return hit;
}

std::string ResolveDataPath(std::string_view path) {
  std::string converted(path);
  for (char& c : converted)
    if (c == '\\') c = '/';
  if (converted.empty() || Exists(converted)) return converted;

  // Walk the components, replacing each by the entry that exists under any case.
  std::string result = converted[0] == '/' ? "/" : "";
  size_t pos = 0;
  while (pos < converted.size()) {
    size_t slash = converted.find('/', pos);
    if (slash == std::string::npos) slash = converted.size();
    std::string part = converted.substr(pos, slash - pos);
    pos = slash + 1;
    if (part.empty()) continue;
    std::string match = part;
    if (part != "." && part != "..") FindEntry(result.empty() ? "." : result, part, &match);
    if (!result.empty() && result.back() != '/') result += '/';
    result += match;
  }
  return result;
}

static std::string WhyNot(const struct stat& st, uint64_t limit) {
  if (S_ISDIR(st.st_mode)) return "is a directory";
  if (!S_ISREG(st.st_mode)) return "is not a regular file";
  if (static_cast<uint64_t>(st.st_size) > limit)
    return "too large: " + std::to_string(st.st_size) + " bytes, the limit is " + std::to_string(limit);
  return "";
}

FILE* OpenDataFile(const std::string& path, uint64_t limit, std::string* why) {
  const int fd = OpenWithoutBlocking(path);
  if (fd < 0) {
    *why = errno == ENOENT ? "file not found" : strerror(errno);
    return nullptr;
  }
  struct stat st;
  *why = fstat(fd, &st) != 0 ? strerror(errno) : WhyNot(st, limit);
  FILE* file = nullptr;
  // Reads of a regular file never wait anyway; the flag goes so stdio sees an ordinary file.
  if (why->empty() && ReadsMayBlock(fd)) file = fdopen(fd, "rb");
  if (!file) {
    if (why->empty()) *why = strerror(errno);
    close(fd);
    return nullptr;
  }
  return file;
}

bool HoldsDataFiles(const std::string& folder, std::string* where) {
  const std::string resolved = ResolveDataPath(folder);
  char cwd[4096];
  const std::filesystem::path given(resolved);
  const bool rooted = given.has_root_name() || given.has_root_directory();
  *where = rooted || !getcwd(cwd, sizeof cwd) ? resolved : std::string(cwd) + "/" + resolved;
  for (const std::string& name : ListFiles(resolved)) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) continue;
    for (const char* kind : {".3ds", ".dkf", ".jpg", ".jpeg", ".png", ".mp3"})
      if (strcasecmp(name.c_str() + dot, kind) == 0) return true;
  }
  return false;
}

std::vector<std::string> ListFiles(const std::string& folder) {
  std::vector<std::string> names;
  DIR* d = opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return names;
  while (dirent* e = readdir(d)) {
    struct stat st;
    const std::string path = folder + "/" + e->d_name;
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(e->d_name);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace plat
