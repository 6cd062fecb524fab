// show_start_test.cpp -- command-line times, scene names and the show's own arguments, read once for every tool.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "show/show_start.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using namespace MorlenGL;

namespace {

int32_t TimeOf(const char* text) {
  int32_t t = -1;
  std::string error;
  EXPECT_TRUE(ReadCommandLineTime(text, &t, &error)) << text << ": " << error;
  return t;
}

std::string RefusalOf(const char* text) {
  int32_t t = -1;
  std::string error;
  EXPECT_FALSE(ReadCommandLineTime(text, &t, &error)) << text << " read as " << t;
  EXPECT_EQ(t, -1) << text;
  return error;
}

testsupport::ProgramRun RunShow(const std::string& program, const std::string& args) {
  return testsupport::RunBuiltProgram(program, args, "2>&1");
}

}  // namespace

TEST(CommandLineTime, ReadsOrdinaryDecimals) {
  EXPECT_EQ(TimeOf("0:10.5"), 1050);
  EXPECT_EQ(TimeOf("1:20.01"), 8001);
  EXPECT_EQ(TimeOf("1:20.5"), 8050);
  EXPECT_EQ(TimeOf("1:20"), 8000);
  EXPECT_EQ(TimeOf("57"), 5700);
  EXPECT_EQ(TimeOf("90.25"), 9025);
  EXPECT_EQ(TimeOf("5:04.0"), 30400);
  EXPECT_EQ(TimeOf("0:00.0"), 0);
}

TEST(CommandLineTime, RefusesWhatIsNoTimeAndMoreThanTwoDecimals) {
  for (const char* text : {"", "abc", ":20", "1:", "1:20.", ".5", "-1:00", "1:2:3", "1:2x", "12345:00", "1:60",
                           "1:20.5s", "123456"})
    EXPECT_NE(RefusalOf(text).find(std::string("'") + text + "'"), std::string::npos) << text;
  EXPECT_NE(RefusalOf("1:20.001").find("--scene"), std::string::npos);
}

TEST(SceneNames, NumbersAndNamesFindTheSameSceneAndWindowsEndWithTheShow) {
  int byName = -1, byNumber = -1;
  std::string error;
  ASSERT_TRUE(FindScene("greeting", &byName, &error));
  ASSERT_TRUE(FindScene("3", &byNumber, &error));
  EXPECT_EQ(byName, 2);
  EXPECT_EQ(byNumber, 2);
  EXPECT_EQ(SceneSection(2).from, 8001);
  EXPECT_EQ(SceneSection(2).to, 11200);
  EXPECT_EQ(SceneSection(0).from, 0);
  EXPECT_EQ(SceneSection(0).to, 5700);
  EXPECT_EQ(SceneSection(1).from, 5701) << "the frame at 0:57.0 is the planet scene's";
  EXPECT_EQ(SceneSection(6).from, 26001);
  EXPECT_EQ(SceneSection(6).to, kShowEnd);
  for (const char* bad : {"0", "8", "03", "", "green"}) {
    int index = -1;
    EXPECT_FALSE(FindScene(bad, &index, &error)) << bad;
    EXPECT_NE(error.find("7 water"), std::string::npos) << "the refusal lists the names: " << error;
  }
}

TEST(ShowArguments, StartAtASceneOrATimeOrFromTheBeginning) {
  const std::vector<std::pair<std::vector<std::string>, int32_t>> good = {
      {{}, 0}, {{"--scene", "7"}, 26001}, {{"--scene=greeting"}, 8001}, {{"--from", "4:20.5"}, 26050},
      {{"--from=5:04"}, 30400}};
  for (const auto& [args, start] : good) {
    int32_t startAt = -1;
    bool verbose = true;
    std::string error;
    EXPECT_EQ(ParseShowArguments(args, &startAt, &verbose, &error), ShowArguments::kRun) << testing::PrintToString(args);
    EXPECT_EQ(startAt, start) << testing::PrintToString(args);
    EXPECT_FALSE(verbose);
  }
  int32_t startAt = 0;
  bool verbose = false;
  std::string error;
  EXPECT_EQ(ParseShowArguments({"--help"}, &startAt, &verbose, &error), ShowArguments::kHelp);
  EXPECT_EQ(ParseShowArguments({"--verbose", "--scene", "3"}, &startAt, &verbose, &error), ShowArguments::kRun);
  EXPECT_TRUE(verbose);
  EXPECT_EQ(startAt, 8001);
}

TEST(ShowArguments, BadArgumentsAreRefusedWithAReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"--from"},          {"--from="},          {"--from", "1:20.001"},       {"--from", "5:04.01"},
      {"--scene", "8"},    {"--scene", "1", "--from", "0:10"}, {"--from", "1", "--from", "2"}, {"--fullscreen"},
      {"greeting"},        {"--verbose=yes"}};
  for (const auto& args : bad) {
    int32_t startAt = 0;
    bool verbose = false;
    std::string error;
    EXPECT_EQ(ParseShowArguments(args, &startAt, &verbose, &error), ShowArguments::kBadArguments)
        << testing::PrintToString(args);
    EXPECT_FALSE(error.empty());
  }
}

TEST(ShowArguments, BothShowsExitTwoWithOneLineBeforeOpeningAWindow) {
  for (const char* program : {"tolvane", "tolvane-fullscreen"}) {
    testsupport::ProgramRun bad = RunShow(program, "--scene 9");
    EXPECT_EQ(bad.exitCode, 2) << program;
    EXPECT_EQ(bad.output.rfind(std::string(program) + ": --scene: '9' is no scene", 0), 0u) << bad.output;
    EXPECT_EQ(bad.output.find('\n'), bad.output.size() - 1) << "one line: " << bad.output;
    EXPECT_NE(bad.output.find("; see --help\n"), std::string::npos) << bad.output;
    testsupport::ProgramRun help = RunShow(program, "--help");
    EXPECT_EQ(help.exitCode, 0) << program;
    EXPECT_NE(help.output.find("3 greeting"), std::string::npos) << help.output;
  }
}

// With no display at all, the show cannot open its window: that is a failure, with its own exit
// code and one line of its own (no complaint of the display libraries it never gets to).
TEST(ShowArguments, WithoutAnyDisplayTheShowSaysSoInOneLineAndExitsWithItsCode) {
  std::vector<std::pair<std::string, std::string>> saved;
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) {
    if (const char* value = getenv(name)) saved.emplace_back(name, value);
    unsetenv(name);
  }
  testsupport::ScopedChdir besideItsData(TOLVANE_BINARY_DIR);
  testsupport::ProgramRun r = RunShow("tolvane", "");
  for (const auto& [name, value] : saved) setenv(name.c_str(), value.c_str(), 1);
  EXPECT_EQ(r.exitCode, 4) << r.output;
  EXPECT_EQ(r.output.rfind("tolvane: ", 0), 0u) << r.output;
  EXPECT_NE(r.output.find("no display"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find('\n'), r.output.size() - 1) << "one line: " << r.output;
}
