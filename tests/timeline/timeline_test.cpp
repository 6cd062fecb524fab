// timeline_test.cpp -- the timeline table, the per-frame order and the scene windows.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/counter.h"
#include "show/demo_scene.h"

using namespace MorlenGL;

namespace {

struct Probe : cSceneSystem {
  std::vector<std::string>* log = nullptr;
  std::string name;
  int inits = 0;
  int64_t loadingCounts = 0;  // how far the counter moves while this scene loads
  bool restartAtInit = false;  // Init ends by restarting the scene clock
  std::vector<std::pair<int32_t, int32_t>> updateClocks;  // m_elapsed, m_lastElapsed
  int Init() override {
    ++inits;
    plat::AdvanceVirtualCounter(loadingCounts);
    if (restartAtInit) StartClock();
    return 0;
  }
  void Update() override {
    log->push_back("update " + name);
    updateClocks.emplace_back(m_clock.m_elapsed, m_clock.m_lastElapsed);
  }
  void Draw() override { log->push_back("draw " + name); }
};

// Declared first, so every clock of the fixture is built on the virtual counter.
struct VirtualCounter {
  VirtualCounter() { plat::UseVirtualCounter(10000, 0); }
  ~VirtualCounter() { plat::UseRealCounter(); }
};

class TimelineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < kSceneCount; ++i) {
      probes[i].log = &log;
      probes[i].name = kTimeline[i].name;
      scenes[i] = &probes[i];
    }
    InitTimeline(scenes, &music, &demoClock);
  }

  // One frame at demo time t: all ticks, then all draws.
  std::vector<std::string> FrameAt(int32_t t) {
    demoClock.m_timeShift = t - demoClock.m_elapsed;
    log.clear();
    TickInFrameOrder(scenes);
    DrawInFrameOrder(scenes);
    return log;
  }

  VirtualCounter counter;
  Probe probes[kSceneCount];
  SceneList scenes{};
  MusicTrack music;
  Timer demoClock;
  std::vector<std::string> log;
};

}  // namespace

TEST_F(TimelineTest, InitGivesEveryScenePointersWindowAndOneInit) {
  const int32_t starts[] = {0, 5700, 8001, 11201, 17601, 20001, 26001};
  const int32_t ends[] = {5700, 8000, 11200, 17600, 20000, 26000, 33000};
  for (int i = 0; i < kSceneCount; ++i) {
    EXPECT_EQ(probes[i].inits, 1);
    EXPECT_EQ(probes[i].m_music, &music);
    EXPECT_EQ(probes[i].m_demoClock, &demoClock);
    EXPECT_EQ(probes[i].m_startTime, starts[i]) << kTimeline[i].name;
    EXPECT_EQ(probes[i].m_endTime, ends[i]) << kTimeline[i].name;
    EXPECT_FALSE(probes[i].m_disabled);
  }
}

TEST_F(TimelineTest, SharedBoundaryRunsBothScenesDofFirst) {
  EXPECT_EQ(FrameAt(5700), (std::vector<std::string>{"update planet", "update abstract1",
                                                    "draw planet", "draw abstract1"}));
}

TEST_F(TimelineTest, NeighbouringWindowsDoNotOverlap) {
  EXPECT_EQ(FrameAt(8000), (std::vector<std::string>{"update abstract1", "draw abstract1"}));
  EXPECT_EQ(FrameAt(8001), (std::vector<std::string>{"update greeting", "draw greeting"}));
  EXPECT_EQ(FrameAt(20000), (std::vector<std::string>{"update abstract3", "draw abstract3"}));
  EXPECT_EQ(FrameAt(20001), (std::vector<std::string>{"update tree", "draw tree"}));
  EXPECT_EQ(FrameAt(30400), (std::vector<std::string>{"update water", "draw water"}));
}

TEST_F(TimelineTest, DrawnHistoryStartsWhereTheScenesRunningThenBegan) {
  EXPECT_EQ(DrawnHistoryStart(scenes, 0), 0);
  EXPECT_EQ(DrawnHistoryStart(scenes, 4000), 0);
  EXPECT_EQ(DrawnHistoryStart(scenes, 5700), 0) << "the planet scene draws its last frame there";
  EXPECT_EQ(DrawnHistoryStart(scenes, 5701), 5700);
  EXPECT_EQ(DrawnHistoryStart(scenes, 8000), 5700);
  EXPECT_EQ(DrawnHistoryStart(scenes, 8001), 8001);
  EXPECT_EQ(DrawnHistoryStart(scenes, 30400), 26001);
  probes[0].m_disabled = true;
  EXPECT_EQ(DrawnHistoryStart(scenes, 5700), 5700);
  probes[3].m_alwaysActive = true;
  EXPECT_EQ(DrawnHistoryStart(scenes, 30400), 0) << "a scene that always runs has drawn every frame";
  for (Probe& p : probes) p.m_disabled = true;
  EXPECT_EQ(DrawnHistoryStart(scenes, 12345), 12345);
}

TEST_F(TimelineTest, EveryDemoTimeOfTheShowRunsAtLeastOneScene) {
  for (int32_t t = 0; t <= 30400; t += 1) {
    int running = 0;
    for (const Probe& p : probes) running += (p.m_startTime <= t && t <= p.m_endTime);
    ASSERT_GE(running, 1) << "nothing scheduled at " << t;
    ASSERT_LE(running, t == 5700 ? 2 : 1) << "overlap at " << t;
  }
}

TEST_F(TimelineTest, FrameOrderTicksAbstractIIIBeforeGreetingAndAbstractII) {
  // The per-frame order differs from the table's: abstract III comes third.
  for (Probe& p : probes) p.m_alwaysActive = true;
  std::vector<std::string> frame = FrameAt(0);
  std::vector<std::string> ticks(frame.begin(), frame.begin() + kSceneCount);
  EXPECT_EQ(ticks, (std::vector<std::string>{"update planet", "update abstract1", "update abstract3",
                                             "update greeting", "update abstract2", "update tree",
                                             "update water"}));
}

namespace {

// The first scene restarts its clock at the end of its Init, and a later scene takes 8 s
// to load (100 counts are a hundredth).
class SlowLoadingTest : public TimelineTest {
 protected:
  void SetUp() override {
    probes[0].restartAtInit = true;
    probes[4].loadingCounts = 800 * 100;
    TimelineTest::SetUp();
  }
};

}  // namespace

TEST_F(SlowLoadingTest, FirstFrameStepIsOneFrameAndTheTimeStillCountsFromInit) {
  demoClock.Restart();  // the demo clock counts from the end of loading
  for (int64_t frameHundredths : {2, 3}) {
    plat::AdvanceVirtualCounter(frameHundredths * 100);
    demoClock.Advance();
    TickInFrameOrder(scenes);
  }
  const auto& clocks = probes[0].updateClocks;
  ASSERT_EQ(clocks.size(), 2u);
  EXPECT_EQ(clocks[0].first, 802) << "the first Update still sees the time since the end of its Init";
  EXPECT_EQ(clocks[0].first - clocks[0].second, 2) << "the first step is the frame, not the loading";
  EXPECT_EQ(clocks[1].first, 805);
  EXPECT_EQ(clocks[1].first - clocks[1].second, 3);
}
