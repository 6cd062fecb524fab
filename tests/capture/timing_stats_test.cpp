// timing_stats_test.cpp -- frame times on the virtual counter, section lengths and the bench figures.
#include <gtest/gtest.h>

#include "bench_report.h"
#include "capture_options.h"
#include "frame_stats.h"
#include "frame_timing.h"
#include "platform/counter.h"
#include "sequencing/timer.h"
#include "show/show_start.h"

using capture::FrameRange;
using capture::FrameTime;
using capture::SectionFrames;

TEST(FrameTiming, ClocksOnTheVirtualCounterReadTheFrameTimes) {
  for (int fps : {1, 7, 24, 25, 30, 60, 144, 240, 1000}) {
    plat::UseVirtualCounter(capture::CounterFrequencyFor(fps), 0);
    MorlenGL::Timer clock;
    for (int64_t n = 0; n <= 3 * fps + 5; ++n) {
      clock.Advance();
      ASSERT_EQ(clock.m_elapsed, FrameTime(n, fps)) << fps << " fps, frame " << n;
      plat::AdvanceVirtualCounter(capture::CountsPerFrame(fps));
    }
    // A frame per second of show time, exactly: no drift after many frames.
    plat::AdvanceVirtualCounter(capture::CountsPerFrame(fps) * (fps * 300 - 3 * fps - 6));
    clock.Advance();
    EXPECT_EQ(clock.m_elapsed, 30000) << fps << " fps";
  }
  plat::UseRealCounter();
}

TEST(FrameTiming, SectionsHoldTheGridFramesWhoseClocksReadBetweenTheirEnds) {
  auto count = [](int32_t from, int32_t to, int fps) { return SectionFrames(from, to, fps).Count(); };
  EXPECT_EQ(count(0, 100, 60), 61);       // 0:00.0 to 0:01.0
  EXPECT_EQ(count(5700, 5700, 60), 1);
  EXPECT_EQ(count(0, 99, 60), 60);        // 0.99 s holds frames 0..59
  EXPECT_EQ(count(0, 30400, 60), 18241);  // the whole show, its last frame at 5:04.0
  EXPECT_EQ(count(200, 100, 60), 0);
  EXPECT_EQ(count(1010, 1020, 2), 0) << "no frame at 2 fps lies between 10.10 and 10.20 s";
  // Past the end the show stops by itself at its first frame at or after 5:04.0.
  EXPECT_EQ(count(0, 40000, 60), 18241);
  EXPECT_EQ(count(30400, 30400, 60), 1);
  // A start off the grid begins at the next frame of a capture from 0: 1 s at 60 fps is
  // frame 60; 0.01 s lies between frames 0 (0.00) and 1 (0.0166, which the clocks read as 0.01).
  FrameRange late = SectionFrames(1, 100, 60);
  EXPECT_EQ(late.first, 1);
  EXPECT_EQ(FrameTime(late.first, 60), 1);
  EXPECT_EQ(late.last, 60);
  EXPECT_EQ(SectionFrames(2, 100, 60).first, 2);
  EXPECT_EQ(SectionFrames(4, 100, 60).first, 3) << "frame 2 reads 0.03";
  EXPECT_EQ(SectionFrames(0, 1, 60).last, 1) << "the end counts the frames whose clock reads it";
  // At more frames than hundredths a second, every frame of the last hundredth is in.
  FrameRange fast = SectionFrames(100, 101, 1000);
  EXPECT_EQ(fast.first, 1000);
  EXPECT_EQ(fast.last, 1019);
}

TEST(FrameTiming, SheetPicksAreTheFirstFramesAtEachStep) {
  using V = std::vector<int64_t>;
  EXPECT_EQ(capture::SheetPicks(0, 30400, 1000, 2), (V{0, 20, 40, 60, 80, 100, 120, 140, 160, 180, 200, 220, 240, 260,
                                                       280, 300, 320, 340, 360, 380, 400, 420, 440, 460, 480, 500,
                                                       520, 540, 560, 580, 600}));
  EXPECT_EQ(capture::SheetPicks(0, 30400, 3040, 1).back(), 304) << "the show's last frame when a step lands on it";
  EXPECT_EQ(capture::SheetPicks(5701, 8000, 1000, 2), (V{115, 135, 155})) << "0:57.5, 1:07.5, 1:17.5";
  EXPECT_EQ(capture::SheetPicks(5701, 8000, 1000, 60), (V{3421, 4021, 4621}));
  EXPECT_EQ(capture::SheetPicks(0, 100, 34, 3), (V{0, 2, 3})) << "one frame apart at least, none twice";
  EXPECT_EQ(capture::SheetPicks(0, 101, 50, 60), (V{0, 30, 60})) << "1.01 s: frame 60 reads 1.00, 61 reads 1.01";
}

TEST(FrameTiming, DrawnRangesMergeWhereTheyOverlapOrTouch) {
  const std::vector<FrameRange> merged = capture::MergeRanges({{40, 50}, {0, 5}, {6, 9}, {45, 48}, {20, 19}, {12, 12}});
  ASSERT_EQ(merged.size(), 3u);
  EXPECT_EQ(merged[0].first, 0);
  EXPECT_EQ(merged[0].last, 9);
  EXPECT_EQ(merged[1].first, 12);
  EXPECT_EQ(merged[1].last, 12);
  EXPECT_EQ(merged[2].first, 40);
  EXPECT_EQ(merged[2].last, 50);
  std::string drawn;
  for (int64_t f = -1; f <= 52; ++f) drawn += capture::InRanges(merged, f) ? '#' : '.';
  EXPECT_EQ(drawn, ".##########..#...........................###########..");
}

TEST(FrameStats, MedianAndNearestRankPercentile) {
  capture::Summary odd = capture::Summarize({5, 1, 3});
  EXPECT_EQ(odd.count, 3u);
  EXPECT_DOUBLE_EQ(odd.mean, 3);
  EXPECT_DOUBLE_EQ(odd.median, 3);
  EXPECT_DOUBLE_EQ(odd.max, 5);
  EXPECT_DOUBLE_EQ(capture::Summarize({4, 1, 2, 3}).median, 2.5);
  std::vector<double> hundred;
  for (int i = 100; i >= 1; --i) hundred.push_back(i);
  EXPECT_DOUBLE_EQ(capture::Summarize(hundred).p99, 99);  // not the maximum
  hundred.push_back(1000);
  EXPECT_DOUBLE_EQ(capture::Summarize(hundred).p99, 100);  // 101 values: rank 100
  EXPECT_DOUBLE_EQ(capture::Summarize({7}).p99, 7);
  capture::Summary none = capture::Summarize({});
  EXPECT_EQ(none.count, 0u);
  EXPECT_DOUBLE_EQ(none.max, 0);
}

TEST(BenchReport, FramesCountForEverySceneDrawnInThem) {
  std::vector<capture::FrameSample> frames(4);
  frames[0].cpuMs = 1;
  frames[0].scenes = {{"cDoF", 0, 0}};
  frames[1].cpuMs = 3;
  frames[1].scenes = {{"cDoF", 1, 0}, {"cAbstractIScene", 0, 0}};
  frames[2].cpuMs = 5;
  frames[2].scenes = {{"cAbstractIScene", 1, 0}};
  frames[3].cpuMs = 7;  // past the end: black
  for (auto& f : frames) f.gpuMs = f.cpuMs / 2;
  auto groups = capture::SummarizeByScene(frames);
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[0].name, "cDoF");
  EXPECT_EQ(groups[0].cpu.count, 2u);
  EXPECT_DOUBLE_EQ(groups[0].cpu.mean, 2);
  EXPECT_EQ(groups[1].name, "cAbstractIScene");
  EXPECT_DOUBLE_EQ(groups[1].cpu.max, 5);
  EXPECT_DOUBLE_EQ(groups[1].gpu.mean, 2);
  EXPECT_EQ(groups[2].name, "all");
  EXPECT_EQ(groups[2].cpu.count, 4u);
  EXPECT_DOUBLE_EQ(groups[2].cpu.median, 4);
}

TEST(BenchReport, TextAndJsonCarryTheMachineAndEveryFrame) {
  capture::BenchInfo info;
  info.renderer = "llvm\"pipe";
  info.version = "4.5";
  info.to = 200;
  std::vector<capture::FrameSample> frames(2);
  frames[1].index = 1;
  frames[1].time = 1;
  frames[1].scenes = {{"cDoF", 7, 5}};
  std::string text = capture::FormatBenchSummary(info, frames);
  EXPECT_NE(text.find("llvm\"pipe"), std::string::npos);
  EXPECT_NE(text.find("no timer query"), std::string::npos);
  EXPECT_NE(text.find("cDoF"), std::string::npos);
  std::string json = capture::FormatBenchJson(info, frames);
  EXPECT_NE(json.find("\"renderer\": \"llvm\\\"pipe\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"gpu_ms\": null"), std::string::npos);
  EXPECT_NE(json.find("{\"name\": \"cDoF\", \"clock\": 7, \"last\": 5}"), std::string::npos) << json;
  EXPECT_NE(json.find("\"frame\": 1, \"time\": 1"), std::string::npos);
  EXPECT_EQ(capture::FormatFrameLine(frames[1]).find("     1  0:00.01"), 0u) << capture::FormatFrameLine(frames[1]);
  EXPECT_EQ(text.find("no-op driver"), std::string::npos);
  EXPECT_NE(json.find("\"no_op_driver\": false"), std::string::npos);

  // Mesa's no-op wrapper: the figures are said to be the CPU side alone.
  info.renderer = "NOOP";
  EXPECT_NE(capture::FormatBenchSummary(info, frames).find("no-op driver"), std::string::npos);
  EXPECT_NE(capture::FormatBenchJson(info, frames).find("\"no_op_driver\": true"), std::string::npos);
}

TEST(BenchReport, PrintedTimesReadBackAsTheSameTime) {
  for (int32_t t : {0, 1, 99, 100, 5700, 8001, 11201, 20001, 30400}) {
    int32_t back = -1;
    std::string error;
    ASSERT_TRUE(MorlenGL::ReadCommandLineTime(capture::FormatTime(t), &back, &error)) << capture::FormatTime(t);
    EXPECT_EQ(back, t) << capture::FormatTime(t);
  }
}
