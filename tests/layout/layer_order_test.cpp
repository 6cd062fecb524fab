// layer_order_test.cpp -- every source under src/ includes only its own folder and folders below it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

namespace {

namespace fs = std::filesystem;

// Bottom to top; the README's Layout section states the same order.
constexpr std::array<const char*, 7> kLayers = {"platform", "sequencing", "shell", "assets",
                                                "effects",  "scenes",     "show"};

int LayerOf(const std::string& folder) {
  auto it = std::find(kLayers.begin(), kLayers.end(), folder);
  return it == kLayers.end() ? -1 : static_cast<int>(it - kLayers.begin());
}

// "folder/file.h" includes of one source, with their line numbers.
std::vector<std::pair<int, std::string>> FolderIncludes(const fs::path& file) {
  static const std::regex include(R"(^\s*#\s*include\s*"([a-z_]+)/)");
  std::vector<std::pair<int, std::string>> out;
  std::ifstream in(file);
  std::string line;
  std::smatch m;
  for (int n = 1; std::getline(in, line); ++n)
    if (std::regex_search(line, m, include)) out.emplace_back(n, m[1].str());
  return out;
}

TEST(LayerOrder, EveryFolderHasALayerAndNoFileIncludesAFolderAboveItsOwn) {
  const fs::path src = TOLVANE_SOURCE_DIR "/src";
  int files = 0;
  for (const auto& dir : fs::directory_iterator(src)) {
    if (!dir.is_directory()) continue;
    const std::string folder = dir.path().filename().string();
    const int own = LayerOf(folder);
    EXPECT_GE(own, 0) << "src/" << folder << " has no place in the layer order";
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
      if (!entry.is_regular_file()) continue;
      ++files;
      for (const auto& [line, target] : FolderIncludes(entry.path())) {
        const int below = LayerOf(target);
        EXPECT_GE(below, 0) << entry.path() << ":" << line << " includes unknown folder " << target;
        EXPECT_LE(below, own) << entry.path() << ":" << line << " (" << folder
                              << ") includes " << target << ", a folder above it";
      }
    }
  }
  EXPECT_GT(files, 50) << "found too few sources under " << src;
}

}  // namespace
