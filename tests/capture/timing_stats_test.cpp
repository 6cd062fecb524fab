// timing_stats_test.cpp -- frame times on the virtual counter, section lengths and the bench figures.
#include <gtest/gtest.h>

#include "bench_report.h"
#include "capture_options.h"
#include "frame_stats.h"
#include "frame_timing.h"
#include "platform/counter.h"
#include "sequencing/timer.h"
#include "show/show_start.h"

using capture::FrameCount;
using capture::FrameTime;

TEST(FrameTiming, ClocksOnTheVirtualCounterReadTheFrameTimes) {
  for (int fps : {1, 7, 24, 25, 30, 60, 144, 240, 1000}) {
    plat::UseVirtualCounter(capture::CounterFrequencyFor(fps), 0);
    MorlenGL::Timer clock;
    for (int64_t n = 0; n <= 3 * fps + 5; ++n) {
      clock.Advance();
      ASSERT_EQ(clock.m_elapsed, FrameTime(0, n, fps)) << fps << " fps, frame " << n;
      plat::AdvanceVirtualCounter(capture::CountsPerFrame(fps));
    }
    // A frame per second of show time, exactly: no drift after many frames.
    plat::AdvanceVirtualCounter(capture::CountsPerFrame(fps) * (fps * 300 - 3 * fps - 6));
    clock.Advance();
    EXPECT_EQ(clock.m_elapsed, 30000) << fps << " fps";
  }
  plat::UseRealCounter();
}

TEST(FrameTiming, ALateStartReadsTheCounterAsAFullRunThere) {
  for (int fps : {1, 4, 25, 60}) {
    for (int32_t from : {100, 5700, 11200}) {
      plat::UseVirtualCounter(capture::CounterFrequencyFor(fps), 0);
      MorlenGL::Timer full;
      int64_t frames = int64_t{from} * fps / 100;  // every start here lies on the frame grid
      for (int64_t n = 0; n < frames; ++n) plat::AdvanceVirtualCounter(capture::CountsPerFrame(fps));
      full.Advance();
      int64_t counterThere = plat::CounterRead();
      plat::UseVirtualCounter(capture::CounterFrequencyFor(fps), capture::CounterAt(from, fps));
      EXPECT_EQ(plat::CounterRead(), counterThere) << fps << " fps from " << from;
      MorlenGL::Timer late;
      EXPECT_EQ(late.m_now, full.m_now) << fps << " fps from " << from;
      EXPECT_EQ(full.m_elapsed, from);
    }
  }
  plat::UseRealCounter();
}

TEST(FrameTiming, SectionsCountTheirFramesInclusively) {
  EXPECT_EQ(FrameCount(0, 100, 60), 61);       // 0:00.0 to 0:01.0
  EXPECT_EQ(FrameCount(5700, 5700, 60), 1);
  EXPECT_EQ(FrameCount(0, 99, 60), 60);        // 0.99 s holds frames 0..59
  EXPECT_EQ(FrameCount(0, 30400, 60), 18241);  // the whole show, its last frame at 5:04.0
  EXPECT_EQ(FrameCount(200, 100, 60), 0);
  // Past the end the show stops by itself at its first frame at or after 5:04.0.
  EXPECT_EQ(FrameCount(0, 40000, 60), 18241);
  EXPECT_EQ(FrameCount(1, 30400, 60), 18241);  // frame 18240 at 1 + 30400 is the first past the end
  EXPECT_GE(FrameTime(1, FrameCount(1, 30400, 60) - 1, 60), 30400);
  EXPECT_LT(FrameTime(1, FrameCount(1, 30400, 60) - 2, 60), 30400);
  EXPECT_EQ(FrameCount(30400, 30400, 60), 1);
}

TEST(FrameTiming, PreviousFrameTimeMatchesTheGridFromZero) {
  for (int fps : {1, 4, 25, 60, 200}) {
    for (int64_t n = 1; n < 3 * fps; ++n) {
      if (n * 100 % fps) continue;  // only starts that lie on the grid of a capture from 0
      int32_t from = FrameTime(0, n, fps);
      EXPECT_EQ(capture::PreviousFrameTime(from, fps), FrameTime(0, n - 1, fps)) << fps << " " << n;
    }
  }
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
}

TEST(BenchReport, PrintedTimesReadBackAsTheSameTime) {
  for (int32_t t : {0, 1, 99, 100, 5700, 8001, 11201, 20001, 30400}) {
    int32_t back = -1;
    std::string error;
    ASSERT_TRUE(MorlenGL::ReadCommandLineTime(capture::FormatTime(t), &back, &error)) << capture::FormatTime(t);
    EXPECT_EQ(back, t) << capture::FormatTime(t);
  }
}
