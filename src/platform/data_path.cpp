// data_path.cpp -- case-insensitive, separator-agnostic path resolution.
#include "platform/data_path.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>

namespace plat {

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
