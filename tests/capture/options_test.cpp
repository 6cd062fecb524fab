// options_test.cpp -- tolvane-capture's command line: accepted forms, refusals, and the exit code 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture_options.h"
#include "tool_runner.h"

using capture::Options;
using capture::Output;
using capture::ParseArguments;
using capture::ParseResult;
using capturetest::RunResult;

namespace {

ParseResult Parse(std::vector<std::string> args, Options* o, std::string* error = nullptr) {
  std::string ignored;
  return ParseArguments(args, o, error ? error : &ignored);
}

RunResult RunTool(const std::string& args) { return capturetest::RunCaptureTool(args, "2>&1"); }

}  // namespace

TEST(CaptureOptions, DefaultsCoverTheWholeShowAtSixtyFps) {
  Options o;
  ASSERT_EQ(Parse({"--out", "frames"}, &o), ParseResult::kRun);
  EXPECT_EQ(o.fps, 60);
  EXPECT_EQ(o.from, 0);
  EXPECT_EQ(o.to, 30400);
  EXPECT_EQ(o.output, Output::kPngDirectory);
  EXPECT_FALSE(o.singleFrame);
}

TEST(CaptureOptions, TimesFollowTheShowsRule) {
  Options o;
  ASSERT_EQ(Parse({"--from", "1:52.001", "--to=3:20.01", "--out", "v.y4m", "--fps", "25"}, &o), ParseResult::kRun);
  EXPECT_EQ(o.from, 11201);
  EXPECT_EQ(o.to, 20001);
  EXPECT_EQ(o.fps, 25);
  EXPECT_EQ(o.output, Output::kY4m);
  Options p;
  ASSERT_EQ(Parse({"--frame", "57.0", "--out", "shot.PNG"}, &p), ParseResult::kRun);
  EXPECT_EQ(p.to, 5700);
  EXPECT_TRUE(p.singleFrame);
  EXPECT_EQ(p.output, Output::kPngFile);
}

TEST(CaptureOptions, OutputKindsFollowThePath) {
  Options dash, bench;
  ASSERT_EQ(Parse({"--out", "-"}, &dash), ParseResult::kRun);
  EXPECT_EQ(dash.output, Output::kY4m);
  ASSERT_EQ(Parse({"--bench-json", "b.json"}, &bench), ParseResult::kRun);
  EXPECT_TRUE(bench.bench);
  EXPECT_EQ(bench.output, Output::kNone);
}

TEST(CaptureOptions, MalformedTimesAreRefused) {
  for (const char* t : {"1:20", "abc", "", "1:2x.0", ":20.0", "1:20.", "1:20.100", "-1:00.0", "1:2:3.0",
                        "12345:00.0"}) {
    Options o;
    std::string error;
    EXPECT_EQ(Parse({"--from", t, "--out", "d"}, &o, &error), ParseResult::kBadArguments) << t;
    EXPECT_NE(error.find("--from"), std::string::npos) << error;
  }
}

TEST(CaptureOptions, ContradictionsAndMissingValuesAreRefused) {
  const std::vector<std::vector<std::string>> bad = {
      {},                                            // nothing to do
      {"--out"},                                     // no value
      {"--out", "d", "--fps", "0"},                  // rate out of range
      {"--out", "d", "--fps", "30.5"},
      {"--out", "d", "--fps", "1001"},
      {"--out", "d", "--from", "2:00.0", "--to", "1:00.0"},
      {"--out", "d", "--from", "5:04.01"},           // after the show
      {"--frame", "5:04.01", "--out", "late.png"},
      {"--frame", "1:00.0", "--out", "dir"},         // one frame needs a .png
      {"--out", "one.png"},                          // a .png needs --frame
      {"--frame", "1:00.0", "--to", "2:00.0", "--out", "a.png"},
      {"--bench", "--out", "d"},                     // the bench writes no files
      {"--bench", "--audio", "a.wav"},
      {"--bench=yes"},
      {"--speed", "2"},
  };
  for (const auto& args : bad) {
    Options o;
    std::string error;
    EXPECT_EQ(Parse(args, &o, &error), ParseResult::kBadArguments) << testing::PrintToString(args);
    EXPECT_FALSE(error.empty());
  }
}

TEST(CaptureOptions, OutputPathsAreAnchoredBeforeTheDataFolderIsEntered) {
  Options o;
  ASSERT_EQ(Parse({"--out", "frames", "--audio", "/abs/a.wav", "--data", "show"}, &o), ParseResult::kRun);
  capture::AnchorOutputPaths(&o, "/home/me");
  EXPECT_EQ(o.out, "/home/me/frames");
  EXPECT_EQ(o.audio, "/abs/a.wav");
  EXPECT_EQ(o.dataDir, "show");  // entered relative to where the tool started
  Options dash;
  ASSERT_EQ(Parse({"--out", "-"}, &dash), ParseResult::kRun);
  capture::AnchorOutputPaths(&dash, "/home/me");
  EXPECT_EQ(dash.out, "-");
}

TEST(CaptureTool, BadArgumentsExitTwoWithTheUsage) {
  RunResult r = RunTool("--fps 0 --out x");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.output.find("--fps"), std::string::npos);
  for (const char* option : {"--out", "--frame", "--from", "--to", "--audio", "--bench", "--bench-json", "--data",
                             "--verbose"})
    EXPECT_NE(r.output.find(std::string("  ") + option + " "), std::string::npos) << option;
  RunResult help = RunTool("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.output.find("usage: tolvane-capture"), std::string::npos);
}

TEST(CaptureTool, AMissingDataFolderIsABadArgument) {
  RunResult r = RunTool("--data /nonexistent/tolvane-data --out x");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.output.find("/nonexistent/tolvane-data"), std::string::npos);
}
