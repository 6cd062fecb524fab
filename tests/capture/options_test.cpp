// options_test.cpp -- tolvane-capture's command line: accepted forms, refusals, and the exit code 2.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "capture_options.h"
#include "parallel_capture.h"
#include "support/temp_dir.h"
#include "tool_runner.h"
#include "y4m_writer.h"

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

TEST(CaptureOptions, TimesAreDecimal) {
  Options o;
  ASSERT_EQ(Parse({"--from", "0:10.5", "--to=3:20.01", "--out", "v.y4m", "--fps", "25"}, &o), ParseResult::kRun);
  EXPECT_EQ(o.from, 1050);
  EXPECT_EQ(o.to, 20001);
  EXPECT_EQ(o.fps, 25);
  EXPECT_EQ(o.output, Output::kY4m);
  Options p;
  ASSERT_EQ(Parse({"--frame", "57", "--out", "shot.PNG"}, &p), ParseResult::kRun);
  EXPECT_EQ(p.to, 5700);
  EXPECT_TRUE(p.singleFrame);
  EXPECT_EQ(p.output, Output::kPngFile);
}

TEST(CaptureOptions, SceneSetsTheSectionByNumberOrName) {
  Options byName, byNumber, last, shot;
  ASSERT_EQ(Parse({"--scene", "greeting", "--out", "d"}, &byName), ParseResult::kRun);
  ASSERT_EQ(Parse({"--scene=3", "--out", "d"}, &byNumber), ParseResult::kRun);
  EXPECT_EQ(byName.from, 8001);
  EXPECT_EQ(byName.to, 11200);
  EXPECT_EQ(byNumber.from, byName.from);
  EXPECT_EQ(byNumber.to, byName.to);
  ASSERT_EQ(Parse({"--scene", "7", "--out", "d"}, &last), ParseResult::kRun);
  EXPECT_EQ(last.from, 26001);
  EXPECT_EQ(last.to, 30400) << "clipped to the end of the show";
  ASSERT_EQ(Parse({"--scene", "abstract1", "--frame", "1:10", "--out", "a.png"}, &shot), ParseResult::kRun);
  EXPECT_EQ(shot.from, 5701) << "after the planet scene's last frame";
  EXPECT_EQ(shot.to, 7000);
}

TEST(CaptureOptions, MoreThanTwoDecimalsSuggestTheSceneOption) {
  Options o;
  std::string error;
  EXPECT_EQ(Parse({"--from", "1:20.001", "--out", "d"}, &o, &error), ParseResult::kBadArguments);
  EXPECT_NE(error.find("--from"), std::string::npos) << error;
  EXPECT_NE(error.find("--scene"), std::string::npos) << error;
  RunResult r = RunTool("--to 1:20.001 --out x");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.output.find("--scene"), std::string::npos);
}

TEST(CaptureOptions, JobsProgressLinesAndQuickStart) {
  Options o, quick;
  ASSERT_EQ(Parse({"--jobs=3", "--progress-lines", "--out", "v.y4m"}, &o), ParseResult::kRun);
  EXPECT_EQ(o.jobs, 3);
  EXPECT_TRUE(o.progressLines);
  EXPECT_FALSE(o.quickStart);
  ASSERT_EQ(Parse({"--quick-start", "--bench"}, &quick), ParseResult::kRun);
  EXPECT_TRUE(quick.quickStart);
  EXPECT_FALSE(quick.progressLines);
  EXPECT_TRUE(capture::RunsInPieces(o)) << "the whole show reaches seven scenes";
  Options scene, shot;
  ASSERT_EQ(Parse({"--jobs", "3", "--scene", "2", "--out", "v.y4m"}, &scene), ParseResult::kRun);
  EXPECT_FALSE(capture::RunsInPieces(scene)) << "one scene is one piece";
  ASSERT_EQ(Parse({"--jobs", "3", "--frame", "2:00", "--out", "a.png"}, &shot), ParseResult::kRun);
  EXPECT_FALSE(capture::RunsInPieces(shot));
}

TEST(CaptureOptions, SheetTakesEveryTenSecondsOfTheSectionByDefault) {
  Options o, scene;
  ASSERT_EQ(Parse({"--sheet", "s.png"}, &o), ParseResult::kRun);
  EXPECT_EQ(o.output, Output::kSheet);
  EXPECT_EQ(o.out, "s.png");
  EXPECT_EQ(o.every, 1000);
  EXPECT_EQ(o.tileWidth, 256);
  EXPECT_EQ(o.to, 30400);
  ASSERT_EQ(Parse({"--scene", "7", "--sheet=s.png", "--every", "1:00.5", "--tile-width", "128", "--fps", "2"}, &scene),
            ParseResult::kRun);
  EXPECT_EQ(scene.from, 26001);
  EXPECT_EQ(scene.every, 6050);
  EXPECT_EQ(scene.tileWidth, 128);
  capture::AnchorOutputPaths(&scene, "/home/me");
  EXPECT_EQ(scene.out, "/home/me/s.png");
}

TEST(CaptureOptions, OutputKindsFollowThePath) {
  Options dash, bench, look;
  ASSERT_EQ(Parse({"--out", "-"}, &dash), ParseResult::kRun);
  EXPECT_EQ(dash.output, Output::kY4m);
  ASSERT_EQ(Parse({"--look", "strip.png", "--scene", "tree", "--fps", "10"}, &look), ParseResult::kRun);
  EXPECT_EQ(look.output, Output::kLook);
  EXPECT_EQ(look.out, "strip.png");
  ASSERT_EQ(Parse({"--bench-json", "b.json"}, &bench), ParseResult::kRun);
  EXPECT_TRUE(bench.bench);
  EXPECT_EQ(bench.output, Output::kNone);
}

TEST(CaptureOptions, MalformedTimesAreRefused) {
  for (const char* t : {"abc", "", "1:2x.0", ":20.0", "1:20.", "-1:00.0", "1:2:3.0", "12345:00.0", "1:60"}) {
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
      {"--scene", "8", "--out", "d"},
      {"--scene", "nowhere", "--out", "d"},
      {"--scene", "3", "--from", "1:30", "--out", "d"},  // the scene places the section
      {"--scene", "3", "--to", "1:30", "--out", "d"},
      {"--scene", "3", "--frame", "2:00", "--out", "a.png"},  // outside the scene
      {"--out", "d", "--jobs", "0"},
      {"--out", "d", "--jobs", "65"},
      {"--bench", "--jobs", "2"},                    // timings of one process only
      {"--out", "d", "--quick-start", "--jobs", "2"},  // such pieces would not join up
      {"--out", "d", "--quick-start=yes"},
      {"--out", "d", "--from", "0:10.10", "--to", "0:10.20", "--fps", "2"},  // no frame between
      {"--sheet", "s.jpg"},
      {"--sheet", "s.png", "--out", "d"},            // one output
      {"--sheet", "s.png", "--frame", "1:00"},
      {"--sheet", "s.png", "--audio", "a.wav"},
      {"--sheet", "s.png", "--bench"},
      {"--sheet", "s.png", "--jobs", "2"},
      {"--sheet", "s.png", "--every", "0"},
      {"--sheet", "s.png", "--every", "0.4", "--fps", "2"},  // shorter than a frame
      {"--sheet", "s.png", "--every", "x"},
      {"--sheet", "s.png", "--tile-width", "100"},
      {"--sheet", "s.png", "--tile-width", "32"},
      {"--sheet", "s.png", "--every", "0.1", "--tile-width", "1024"},  // a picture too large
      {"--look", "l.jpg"},                           // the strip plot is a PNG
      {"--look", "l.png", "--sheet", "s.png"},       // one output
      {"--look", "l.png", "--frame", "1:00"},
      {"--look", "l.png", "--jobs", "2"},
      {"--out", "d", "--every", "5"},                // shapes no sheet
      {"--out", "d", "--tile-width", "128"},
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

TEST(CaptureTool, BadArgumentsExitTwoWithOneLineAndHelpListsEveryOption) {
  RunResult r = RunTool("--fps abc --out x");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.output, "tolvane-capture: --fps needs a whole number from 1 to 1000 (got \"abc\"); see --help\n");
  RunResult help = RunTool("--help");
  EXPECT_EQ(help.exitCode, 0);
  for (const char* option : {"--out", "--frame", "--from", "--to", "--scene", "--audio", "--bench", "--bench-json",
                             "--data", "--verbose", "--jobs", "--progress-lines", "--quick-start", "--sheet", "--every",
                             "--tile-width"})
    EXPECT_NE(help.output.find(std::string("  ") + option + " "), std::string::npos) << option;
  EXPECT_NE(help.output.find("usage: tolvane-capture"), std::string::npos);
  EXPECT_NE(help.output.find("3 greeting"), std::string::npos) << "the scene names are listed";
}

TEST(CaptureTool, AMissingDataFolderIsABadArgument) {
  RunResult r = RunTool("--data /nonexistent/tolvane-data --out x");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.output.find("/nonexistent/tolvane-data"), std::string::npos);
}

// Every destination is made before the show loads: a bad one costs one line and no rendering,
// and nothing of the run is left behind. A loop of links made the old frame folder check throw.
TEST(CaptureTool, DestinationsAreMadeBeforeTheFirstFrameOrRefusedInOneLine) {
  testsupport::TempDir dir;
  std::filesystem::create_symlink("loop", dir.File("loop"));
  const std::string dataArg = std::string("--data ") + TOLVANE_BINARY_DIR + " --fps 1 ";
  const std::string loopFrames = dir.File("loop/frames");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"--to 0:01 --out " + dir.File("f") + " --audio /nonexistent/a.wav",
       "/nonexistent/a.wav: cannot create: No such file or directory"},
      {"--to 0:01 --bench-json /nonexistent/b.json",
       "/nonexistent/b.json: cannot create: No such file or directory"},
      {"--frame 0:01 --out /nonexistent/f.png", "/nonexistent/f.png: cannot create: No such file or directory"},
      {"--sheet /nonexistent/s.png", "/nonexistent/s.png: cannot create: No such file or directory"},
      {"--to 0:01 --out " + loopFrames,
       loopFrames + ": cannot create the frame directory: Too many levels of symbolic links"},
      {"--to 0:58 --jobs 2 --out " + loopFrames,
       loopFrames + ": cannot create the frame directory: Too many levels of symbolic links"},
      {"--to 0:58 --jobs 2 --out " + dir.File("v.y4m") + " --audio /nonexistent/a.wav",
       "/nonexistent/a.wav: cannot create: No such file or directory"},
      {"--to 0:01 --out " + dir.File("f") + " --data " + dir.path(),
       "no file of the show found in " + dir.path() + "/data; give --data the folder that holds data/"}};
  for (const auto& [args, line] : cases) {
    RunResult r = RunTool(dataArg + args);
    EXPECT_EQ(r.exitCode, 3) << args;
    EXPECT_EQ(r.output, "tolvane-capture: " + line + "\n") << args;
  }
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().filename(), "loop") << "left behind: " << e.path();
}

// Started with its standard error closed, the tool must not open its output there, where the
// lines of a damaged data folder would run into the stream.
TEST(CaptureTool, OutputsNeverTakeTheNumberOfAClosedStandardStream) {
  testsupport::TempDir dir;
  std::filesystem::create_directories(dir.File("data"));
  for (const auto& e : std::filesystem::directory_iterator(std::string(TOLVANE_BINARY_DIR) + "/data"))
    if (e.path().filename() != "loading.jpg") std::filesystem::create_symlink(e.path(), dir.File("data") / e.path().filename());
  RunResult r = capturetest::RunCaptureTool(
      "--data " + dir.path() + " --fps 1 --to 0:00 --out " + dir.File("v.y4m"), "2>&-");
  EXPECT_EQ(r.exitCode, 0);
  const std::string header = capture::Y4mStreamHeader(1024, 768, 1);
  std::ifstream in(dir.File("v.y4m"), std::ios::binary);
  std::string start(header.size(), '\0');
  in.read(start.data(), static_cast<std::streamsize>(start.size()));
  EXPECT_EQ(start, header);
  EXPECT_EQ(std::filesystem::file_size(dir.File("v.y4m")), header.size() + capture::Y4mFrameBytes(1024, 768))
      << "the stream and nothing else";
}
