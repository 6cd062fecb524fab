// pieces_test.cpp -- a section cut at scene ends, the pieces' command lines, joining their files, a failing piece.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "capture_options.h"
#include "parallel_capture.h"
#include "piece_files.h"
#include "platform/diagnostics.h"
#include "section_pieces.h"
#include "show/show_start.h"
#include "support/temp_dir.h"
#include "wav_writer.h"
#include "y4m_writer.h"

using capture::FrameRange;
using capture::FrameTime;
using capture::Piece;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& l : lines) all += l + "\n";
  return all;
}

}  // namespace

TEST(SectionPieces, CutWhereScenesEndAndTileTheSection) {
  for (int fps : {1, 2, 7, 60, 144, 1000}) {
    for (auto [from, to] : {std::pair{0, 30400}, {5600, 5900}, {8000, 8001}, {12000, 13000}, {26001, 40000}}) {
      const FrameRange section = capture::SectionFrames(from, to, fps);
      const std::vector<Piece> pieces = capture::SplitAtScenes(section, fps);
      const std::string where = std::to_string(fps) + " fps, " + std::to_string(from) + " to " + std::to_string(to);
      ASSERT_FALSE(pieces.empty()) << where;
      EXPECT_EQ(pieces.front().frames.first, section.first) << where;
      EXPECT_EQ(pieces.back().frames.last, section.last) << where;
      for (size_t i = 0; i < pieces.size(); ++i) {
        const Piece& p = pieces[i];
        ASSERT_GT(p.frames.Count(), 0) << where;
        // Both ends lie in the piece's scene window; a piece starts after the scene before has ended.
        const MorlenGL::ShowSection window = MorlenGL::SceneSection(p.scene);
        EXPECT_GE(FrameTime(p.frames.first, fps), window.from) << where;
        EXPECT_LE(FrameTime(p.frames.last, fps), window.to) << where;
        if (i > 0) {
          EXPECT_EQ(p.frames.first, pieces[i - 1].frames.last + 1) << where;
          EXPECT_GT(FrameTime(p.frames.first, fps), MorlenGL::SceneSection(pieces[i - 1].scene).to) << where;
        }
        // The command line of a worker captures exactly these frames.
        capture::Options o, worker;
        o.fps = fps;
        std::string error;
        ASSERT_EQ(capture::ParseArguments(capture::PieceArguments(o, p, "/s/piece", "/s/piece.wav"), &worker, &error),
                  capture::ParseResult::kRun)
            << where << ": " << error;
        const FrameRange back = capture::SectionFrames(worker.from, worker.to, worker.fps);
        EXPECT_EQ(back.first, p.frames.first) << where;
        EXPECT_EQ(back.last, p.frames.last) << where;
        EXPECT_TRUE(worker.progressLines);
        EXPECT_EQ(worker.audio, "/s/piece.wav");
      }
    }
  }
  // The frame at 0:57.0 is the planet scene's last and abstract I's first: it goes to the planet.
  std::vector<Piece> boundary = capture::SplitAtScenes(capture::SectionFrames(5600, 5900, 2), 2);
  ASSERT_EQ(boundary.size(), 2u);
  EXPECT_EQ(FrameTime(boundary[0].frames.last, 2), 5700);
  EXPECT_EQ(FrameTime(boundary[1].frames.first, 2), 5750);
  EXPECT_EQ(capture::DescribePiece(boundary[1], 2), "abstract1, 0:57.50 to 0:59.00");
}

TEST(PieceFiles, Y4mFramesJoinInOrderAfterOneHeader) {
  testsupport::TempDir dir;
  const std::string header = "YUV4MPEG2 W2 H2\n";
  testsupport::WriteFile(dir.File("1.y4m"), header + "FRAME\nabcdef" + "FRAME\nghijkl");
  testsupport::WriteFile(dir.File("2.y4m"), header + "FRAME\nmnopqr");
  testsupport::WriteFile(dir.File("short.y4m"), header + "FRAME\nmno");
  testsupport::WriteFile(dir.File("other.y4m"), "YUV4MPEG2 W4 H1\nFRAME\nmnopqr");
  std::string error;
  capture::OutputFile out;
  ASSERT_TRUE(out.Open(dir.File("all.y4m"), &error) && out.Write(header.data(), header.size(), &error)) << error;
  EXPECT_TRUE(capture::AppendY4mFrames(dir.File("1.y4m"), header, 12, 2, &out, &error)) << error;
  EXPECT_TRUE(capture::AppendY4mFrames(dir.File("2.y4m"), header, 12, 1, &out, &error)) << error;
  EXPECT_FALSE(capture::AppendY4mFrames(dir.File("short.y4m"), header, 12, 1, &out, &error));
  EXPECT_NE(error.find("short.y4m"), std::string::npos) << error;
  EXPECT_EQ(capture::Y4mFramesIn(dir.File("short.y4m"), header.size(), 12), 0);
  EXPECT_EQ(capture::Y4mFramesIn(dir.File("1.y4m"), header.size(), 12), 2);
  EXPECT_FALSE(capture::AppendY4mFrames(dir.File("other.y4m"), header, 12, 1, &out, &error));
  EXPECT_NE(error.find("header"), std::string::npos) << error;
  EXPECT_FALSE(capture::AppendY4mFrames(dir.File("none.y4m"), header, 12, 1, &out, &error));
  ASSERT_TRUE(out.Close(&error)) << error;
  EXPECT_EQ(ReadAll(dir.File("all.y4m")), header + "FRAME\nabcdefFRAME\nghijklFRAME\nmnopqr");
}

TEST(PieceFiles, PngFramesTakeTheirNumbersInTheWholeSection) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("piece/frame_000000.png"), "a");
  testsupport::WriteFile(dir.File("piece/frame_000001.png"), "b");
  testsupport::WriteFile(dir.File("piece/loading.png"), "l");
  std::filesystem::create_directories(dir.File("out"));
  std::string error;
  EXPECT_EQ(capture::PngFramesIn(dir.File("piece")), 2);
  ASSERT_TRUE(capture::MovePngFrames(dir.File("piece"), 2, dir.File("out"), 5, &error)) << error;
  EXPECT_EQ(ReadAll(dir.File("out/frame_000005.png")), "a");
  EXPECT_EQ(ReadAll(dir.File("out/frame_000006.png")), "b");
  EXPECT_EQ(ReadAll(dir.File("out/loading.png")), "l");
  EXPECT_FALSE(std::filesystem::exists(dir.File("out/frame_000000.png")));
  EXPECT_FALSE(capture::MovePngFrames(dir.File("piece"), 1, dir.File("out"), 0, &error)) << "already moved";
  EXPECT_NE(error.find("piece"), std::string::npos) << error;
}

TEST(PieceFiles, WavPiecesJoinIntoTheFileOneProcessWrites) {
  testsupport::TempDir dir;
  std::string error;
  auto wav = [&](const std::string& name, const std::vector<int16_t>& samples, int channels) {
    capture::OutputFile file;
    return file.Open(dir.File(name), &error) && capture::WriteWav(&file, samples, 44100, channels, &error);
  };
  auto join = [&](const std::vector<std::string>& pieces, const std::string& name) {
    capture::OutputFile file;
    return file.Open(dir.File(name), &error) && capture::JoinWavs(pieces, &file, &error);
  };
  ASSERT_TRUE(wav("1.wav", {1, -1, 2, -2}, 2));
  ASSERT_TRUE(wav("2.wav", {3, -3}, 2));
  ASSERT_TRUE(wav("whole.wav", {1, -1, 2, -2, 3, -3}, 2));
  ASSERT_TRUE(join({dir.File("1.wav"), dir.File("2.wav")}, "all.wav")) << error;
  EXPECT_EQ(ReadAll(dir.File("all.wav")), ReadAll(dir.File("whole.wav")));
  ASSERT_TRUE(wav("mono.wav", {5}, 1));
  EXPECT_FALSE(join({dir.File("1.wav"), dir.File("mono.wav")}, "bad.wav"));
  EXPECT_NE(error.find("mono.wav"), std::string::npos) << error;
  testsupport::WriteFile(dir.File("text.wav"), std::string(60, 'x'));
  EXPECT_FALSE(join({dir.File("text.wav")}, "bad.wav"));
  EXPECT_NE(error.find("text.wav"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(dir.File("bad.wav"))) << "no file is left from a join that failed";
}

// A stand-in for the tool: the planet's piece reports a frame and works on, abstract I's fails.
TEST(ParallelCapture, AFailingPieceStopsTheOthersAndItsMessageAndExitCodeAreTheRun) {
  testsupport::TempDir dir;
  const std::string worker = dir.File("worker.sh"), done = dir.File("slow-piece-finished");
  testsupport::WriteFile(worker, "#!/bin/sh\ncase \" $* \" in\n"
                                 "  *\" --from 0:00.00 \"*) echo \"progress: frames made 1\" >&2; sleep 20; touch " +
                                     done + ";;\n"
                                 "  *) echo \"tolvane-capture: data/music.mp3: broken\" >&2; exit 4;;\nesac\n");
  chmod(worker.c_str(), 0755);
  capture::Options o;
  std::string error;
  ASSERT_EQ(capture::ParseArguments({"--fps", "1", "--to", "0:58", "--jobs", "2", "--out", dir.File("v.y4m")}, &o,
                                    &error),
            capture::ParseResult::kRun);
  ASSERT_TRUE(capture::RunsInPieces(o));
  std::vector<std::string> said;
  plat::CaptureDiagnostics(&said);
  const int code = capture::CaptureInPieces(o, worker);
  plat::CaptureDiagnostics(nullptr);
  EXPECT_EQ(code, 4);
  EXPECT_NE(Joined(said).find("data/music.mp3: broken"), std::string::npos) << Joined(said);
  EXPECT_NE(Joined(said).find("piece 2 of 2 (abstract1, 0:58.00 to 0:58.00) failed with exit code 4"),
            std::string::npos)
      << Joined(said);
  EXPECT_FALSE(std::filesystem::exists(done)) << "the other piece was stopped";
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) entries += e.path().filename() != "worker.sh";
  EXPECT_EQ(entries, 1) << "only v.y4m is left, no folder of pieces";
}

// Stand-ins again: the planet's piece is stopped after two frames and keeps them with their
// sound; abstract I's is still at work. The run keeps what one process would have: the
// frames from the section's start up to the stop, and their sound.
TEST(ParallelCapture, AStopKeepsTheFramesAndSoundMadeSoFarAndClearsStalePieces) {
  testsupport::TempDir dir;
  const std::string header = capture::Y4mStreamHeader(1024, 768, 1);
  const std::string frames = "FRAME\n" + std::string(capture::Y4mFrameBytes(1024, 768) - 6, 'a') + "FRAME\n" +
                             std::string(capture::Y4mFrameBytes(1024, 768) - 6, 'b');
  testsupport::WriteFile(dir.File("two.y4m"), header + frames);
  std::string error;
  capture::OutputFile sound;
  ASSERT_TRUE(sound.Open(dir.File("two.wav"), &error) &&
              capture::WriteWav(&sound, std::vector<int16_t>(4 * 44100, 7), 44100, 2, &error))
      << error;
  const std::string worker = dir.File("worker.sh");
  testsupport::WriteFile(worker, "#!/bin/sh\nwhile [ $# -gt 0 ]; do case $1 in --out) out=$2;; --audio) audio=$2;; "
                                 "esac; shift; done\ncase $out in\n  *piece-1.y4m) cp " +
                                     dir.File("two.y4m") + " \"$out\"; cp " + dir.File("two.wav") +
                                     " \"$audio\"; echo 'progress: frames made 2' >&2; exit 130;;\n"
                                     "  *) exec sleep 20;;\nesac\n");
  chmod(worker.c_str(), 0755);
  const std::string stale = dir.File(".tolvane-capture-pieces-99999999-AbCdEf");  // beyond any process id
  std::filesystem::create_directories(stale + "/piece-1");
  capture::Options o;
  ASSERT_EQ(capture::ParseArguments({"--fps", "1", "--to", "0:58", "--jobs", "2", "--out", dir.File("v.y4m"),
                                     "--audio", dir.File("v.wav")},
                                    &o, &error),
            capture::ParseResult::kRun);
  std::vector<std::string> said;
  plat::CaptureDiagnostics(&said);
  const int code = capture::CaptureInPieces(o, worker);
  plat::CaptureDiagnostics(nullptr);
  EXPECT_EQ(code, 130);
  EXPECT_NE(Joined(said).find("stopped by signal 2 after 2 frames of the section"), std::string::npos)
      << Joined(said);
  EXPECT_EQ(ReadAll(dir.File("v.y4m")), header + frames);
  EXPECT_EQ(ReadAll(dir.File("v.wav")), ReadAll(dir.File("two.wav")));
  EXPECT_FALSE(std::filesystem::exists(stale)) << "the folder of a run that is gone";
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_NE(e.path().filename().string().rfind(".tolvane-capture-pieces-", 0), 0u) << e.path();
}
