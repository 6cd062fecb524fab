// tool_test.cpp -- tolvane-data's folder rules, command line and byte-for-byte repeatability.
#include <gtest/gtest.h>

#include <filesystem>

#include "generated_data.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

TEST(Tool, WritesExactlyTheListedFilesAndItsMarker) {
  const std::string& dir = datatest::Generated().full;
  ASSERT_FALSE(dir.empty());
  for (const std::string& name : datatest::ExpectedFiles())
    EXPECT_GT(fs::file_size(dir + "/" + name), 100u) << name;
  size_t count = 0;
  for (const auto& e : fs::directory_iterator(dir)) count += e.path().filename() != ".tolvane-data";
  EXPECT_EQ(count, datatest::ExpectedFiles().size());
  EXPECT_EQ(count, 76u);
}

TEST(Tool, TwoRunsGiveTheSameBytes) {
  const datatest::Folders& f = datatest::Generated();
  ASSERT_FALSE(f.quick.empty());
  int compared = 0;
  for (const std::string& name : datatest::ExpectedFiles()) {
    if (name == "music.mp3") {  // --quick leaves it out; the same synth and encoder make loading.mp3
      EXPECT_FALSE(fs::exists(f.quick + "/" + name));
      continue;
    }
    EXPECT_TRUE(datatest::ReadAll(f.full + "/" + name) == datatest::ReadAll(f.quick + "/" + name)) << name;
    ++compared;
  }
  EXPECT_EQ(compared, 75);
}

TEST(Tool, RefusesAForeignFolderAndLeavesItAlone) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("notes.txt"), "mine");
  std::string errors;
  EXPECT_EQ(datatest::RunGenerator("--quick --out '" + dir.path() + "'", &errors), 1);
  EXPECT_NE(errors.find("not made by tolvane-data"), std::string::npos) << errors;
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);
  EXPECT_EQ(datatest::ReadAll(dir.File("notes.txt")), "mine");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(Tool, RejectsUnknownArgumentsAndUnwritableTargets) {
  std::string errors;
  EXPECT_EQ(datatest::RunGenerator("--bogus", &errors), 2);
  EXPECT_NE(errors.find("usage"), std::string::npos);
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("plain"), "x");
  EXPECT_EQ(datatest::RunGenerator("--out '" + dir.File("plain") + "'", &errors), 1);
  EXPECT_NE(errors.find("not a folder"), std::string::npos) << errors;
  EXPECT_EQ(datatest::RunGenerator("--quick --fonts /nonexistent --out '" + dir.File("out") + "'", &errors), 1);
  EXPECT_NE(errors.find("font not found"), std::string::npos) << errors;
}

}  // namespace
