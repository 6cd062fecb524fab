// capture_run_test.cpp -- the built tool running the real show: repeatable frames, streams, sound and late starts.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>

#include "support/temp_dir.h"
#include "tool_runner.h"
#include "wav_writer.h"
#include "y4m_writer.h"

namespace {

using capturetest::RunResult;

// Runs the tool on the data folder beside the build, as the show would find it; output is
// standard output alone.
RunResult Capture(const std::string& args) {
  return capturetest::RunCaptureTool(std::string("--data ") + TOLVANE_BINARY_DIR + " " + args, "2>/dev/null");
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

uint32_t Le32(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 | uint32_t(uint8_t(s[at + 2])) << 16 |
         uint32_t(uint8_t(s[at + 3])) << 24;
}

// From the bench JSON: per show time, the music position and each drawn scene's clock.
struct FrameState {
  std::string music;
  std::map<std::string, std::string> clocks;  // name -> "clock/last"
};
std::map<int, FrameState> FrameStates(const std::string& json) {
  std::map<int, FrameState> states;
  std::regex frame(R"(\{"frame": \d+, "time": (\d+), [^\[]*"music_frame": (\d+), "scenes": \[([^\]]*)\]\})");
  std::regex scene(R"re(\{"name": "([^"]+)", "clock": (-?\d+), "last": (-?\d+)\})re");
  for (std::sregex_iterator f(json.begin(), json.end(), frame), end; f != end; ++f) {
    FrameState& s = states[std::stoi((*f)[1])];
    s.music = (*f)[2];
    std::string list = (*f)[3];
    for (std::sregex_iterator c(list.begin(), list.end(), scene); c != end; ++c)
      s.clocks[(*c)[1]] = std::string((*c)[2]) + "/" + std::string((*c)[3]);
  }
  return states;
}

}  // namespace

TEST(CaptureRun, SameSectionTwiceGivesIdenticalFilesAndOneFrameMatchesItsSequence) {
  testsupport::TempDir dir;
  ASSERT_EQ(Capture("--to 0:00.10 --fps 20 --out " + dir.File("a")).exitCode, 0);
  ASSERT_EQ(Capture("--to 0:00.10 --fps 20 --out " + dir.File("b")).exitCode, 0);
  for (const char* name : {"loading.png", "frame_000000.png", "frame_000001.png", "frame_000002.png"}) {
    std::string a = ReadAll(dir.File(std::string("a/") + name));
    EXPECT_FALSE(a.empty()) << name;
    EXPECT_EQ(a, ReadAll(dir.File(std::string("b/") + name))) << name;
  }
  EXPECT_TRUE(ReadAll(dir.File("a/frame_000003.png")).empty()) << "0:00.10 at 20 fps is the third frame";
  ASSERT_EQ(Capture("--frame 0:00.10 --fps 20 --out " + dir.File("one.png")).exitCode, 0);
  EXPECT_EQ(ReadAll(dir.File("one.png")), ReadAll(dir.File("a/frame_000002.png")));
}

TEST(CaptureRun, Y4mOnStandardOutputAndTheSoundOfTheSameSection) {
  testsupport::TempDir dir;
  RunResult r = Capture("--from 0:10.5 --to 0:11 --fps 10 --out - --audio " + dir.File("s.wav"));
  ASSERT_EQ(r.exitCode, 0);
  std::string header = capture::Y4mStreamHeader(1024, 768, 10);
  ASSERT_GE(r.output.size(), header.size());
  EXPECT_EQ(r.output.substr(0, header.size()), header);
  EXPECT_EQ(r.output.size(), header.size() + 6 * capture::Y4mFrameBytes(1024, 768)) << "frames 0:10.5 to 0:11.0";
  std::string wav = ReadAll(dir.File("s.wav"));
  ASSERT_GE(wav.size(), 44u);
  uint32_t rate = Le32(wav, 24), bytesPerFrame = Le32(wav, 28) / rate;
  EXPECT_EQ(Le32(wav, 40), 6 * rate / 10 * bytesPerFrame) << "six frames at 10 fps sound for 0.6 s";
  EXPECT_EQ(wav.size(), 44 + Le32(wav, 40));
}

TEST(CaptureRun, LateStartGivesTheScenesTheClocksAndMusicOfAFullRun) {
  // At 1 fps both runs have frames at 56 to 59 s: the planet scene is running when the late
  // run starts, abstract I begins at 0:57.0 and shares that frame with it.
  testsupport::TempDir dir;
  ASSERT_EQ(Capture("--fps 1 --to 0:59 --bench-json " + dir.File("full.json")).exitCode, 0);
  ASSERT_EQ(Capture("--fps 1 --from 0:56 --to 0:59 --bench-json " + dir.File("late.json")).exitCode, 0);
  auto full = FrameStates(ReadAll(dir.File("full.json")));
  auto late = FrameStates(ReadAll(dir.File("late.json")));
  ASSERT_EQ(full.size(), 60u);
  ASSERT_EQ(late.size(), 4u);
  for (int t : {5600, 5700, 5800, 5900}) {
    ASSERT_TRUE(late.count(t)) << t;
    EXPECT_EQ(late[t].music, full[t].music) << t;
    EXPECT_EQ(late[t].clocks, full[t].clocks) << t;
  }
  EXPECT_EQ(full[5700].clocks.size(), 2u) << "both scenes run at 0:57.0";
  EXPECT_EQ(full[5800].clocks["abstract1"], "100/0") << "abstract I restarted its clock at its first frame";
}
