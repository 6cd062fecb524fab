// capture_run_test.cpp -- the built tool running the real show: repeatable frames, streams, sound, later starts and pieces.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "capture_options.h"
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

// Index of the first frame where two Y4M streams of 1024 x 768 differ, or -1.
int64_t FirstDifferentFrame(const std::string& a, const std::string& b, size_t header) {
  const size_t frame = capture::Y4mFrameBytes(1024, 768);
  for (size_t at = header; at < std::max(a.size(), b.size()); at += frame)
    if (a.compare(at, frame, b, at, frame) != 0) return static_cast<int64_t>((at - header) / frame);
  return -1;
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
  RunResult r = Capture("--to 0:00.5 --fps 10 --out - --audio " + dir.File("s.wav"));
  ASSERT_EQ(r.exitCode, 0);
  std::string header = capture::Y4mStreamHeader(1024, 768, 10);
  ASSERT_GE(r.output.size(), header.size());
  EXPECT_EQ(r.output.substr(0, header.size()), header);
  EXPECT_EQ(r.output.size(), header.size() + 6 * capture::Y4mFrameBytes(1024, 768)) << "frames 0:00.0 to 0:00.5";
  std::string wav = ReadAll(dir.File("s.wav"));
  ASSERT_GE(wav.size(), 44u);
  uint32_t rate = Le32(wav, 24), bytesPerFrame = Le32(wav, 28) / rate;
  EXPECT_EQ(Le32(wav, 40), 6 * rate / 10 * bytesPerFrame) << "six frames at 10 fps sound for 0.6 s";
  EXPECT_EQ(wav.size(), 44 + Le32(wav, 40));
}

TEST(CaptureRun, ALaterStartAndPiecesSideBySideGiveTheFramesAndSoundOfARunFromTheStart) {
  // At 1 fps the planet scene draws up to its last frame at 0:57, which abstract I shares. In two
  // pieces from 0:50, one starts inside the planet scene, the other at 0:58 (abstract I's first
  // frame of its own) after replaying the planet scene without pixels.
  testsupport::TempDir dir;
  ASSERT_EQ(Capture("--fps 1 --to 0:58 --out " + dir.File("full.y4m") + " --audio " + dir.File("full.wav")).exitCode,
            0);
  ASSERT_EQ(Capture("--fps 1 --from 0:50 --to 0:58 --jobs 2 --out " + dir.File("late.y4m") + " --audio " +
                    dir.File("late.wav"))
                .exitCode,
            0);
  const std::string header = capture::Y4mStreamHeader(1024, 768, 1);
  const size_t frame = capture::Y4mFrameBytes(1024, 768);
  const std::string full = ReadAll(dir.File("full.y4m")), late = ReadAll(dir.File("late.y4m"));
  ASSERT_EQ(full.size(), header.size() + 59 * frame);
  ASSERT_EQ(late.size(), header.size() + 9 * frame);
  EXPECT_EQ(late.substr(0, header.size()), header);
  const std::string tail = header + full.substr(header.size() + 50 * frame);
  EXPECT_EQ(FirstDifferentFrame(late, tail, header.size()), -1) << "frame index from 0:50";
  EXPECT_NE(full.compare(header.size() + 50 * frame, frame, full, header.size() + 56 * frame, frame), 0)
      << "the planet scene moves, so equal frames mean something";
  // The sound of the pieces joins into the run's sound from 0:50 on.
  const std::string fullWav = ReadAll(dir.File("full.wav")), lateWav = ReadAll(dir.File("late.wav"));
  ASSERT_GE(fullWav.size(), 44u);
  const uint32_t bytesPerSecond = Le32(fullWav, 28);
  ASSERT_EQ(lateWav.size(), 44 + 9 * bytesPerSecond);
  EXPECT_TRUE(lateWav.compare(44, std::string::npos, fullWav, 44 + 50 * bytesPerSecond, std::string::npos) == 0);
}

// Ctrl-C in the middle of a capture: it stops after the frame it is making, and the stream and
// the sound hold the same whole frames.
TEST(CaptureRun, CtrlCStopsBetweenFramesAndLeavesWholeFramesWithTheirSound) {
  testsupport::TempDir dir;
  const std::string tool = std::string(TOLVANE_BINARY_DIR) + "/tolvane-capture";
  const std::string y4m = dir.File("s.y4m"), wav = dir.File("s.wav");
  int err[2];
  ASSERT_EQ(pipe(err), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(err[1], 2);
    close(err[0]);
    close(err[1]);
    execl(tool.c_str(), tool.c_str(), "--data", TOLVANE_BINARY_DIR, "--to", "0:10", "--fps", "10", "--out",
          y4m.c_str(), "--audio", wav.c_str(), "--progress-lines", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(err[1]);
  std::string text;
  auto readSome = [&] {
    char buffer[256];
    const ssize_t n = read(err[0], buffer, sizeof buffer);
    if (n > 0) text.append(buffer, static_cast<size_t>(n));
    return n > 0;
  };
  const std::string threeMade = std::string(capture::kProgressLinePrefix) + "3\n";
  while (text.find(threeMade) == std::string::npos && readSome()) {
  }
  kill(pid, SIGINT);
  while (readSome()) {
  }
  close(err[0]);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << text;
  EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT) << text;

  const std::string stream = ReadAll(y4m), sound = ReadAll(wav);
  const size_t header = capture::Y4mStreamHeader(1024, 768, 10).size(), frame = capture::Y4mFrameBytes(1024, 768);
  ASSERT_GE(stream.size(), header);
  EXPECT_EQ((stream.size() - header) % frame, 0u) << "a frame cut short";
  const size_t frames = (stream.size() - header) / frame;
  EXPECT_GE(frames, 3u);
  EXPECT_LT(frames, 101u) << "stopped before the end of the section";
  EXPECT_NE(text.find("stopped by signal 2 after " + std::to_string(frames) + " frames"),
            std::string::npos)
      << text;
  ASSERT_GE(sound.size(), 44u);
  const uint32_t rate = Le32(sound, 24), bytesPerFrame = Le32(sound, 28) / rate;
  EXPECT_EQ(Le32(sound, 40), frames * rate / 10 * bytesPerFrame) << "the sound of the frames in the stream";
}
