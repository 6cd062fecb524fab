// app_test.cpp -- the whole start-to-stop sequence of the application on the headless backend.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/counter.h"
#include "platform/audio_device.h"
#include "platform/crt_random.h"
#include "platform/diagnostics.h"
#include "platform/observed_backend.h"
#include "show/tolvane_app.h"
#include "support/gl_context.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

using namespace testsupport;

namespace {

constexpr int64_t kFrequency = 100000;  // 1000 counts per hundredth of a second

// Steps the virtual counter by a fixed amount at every swap and records what was shown.
struct Stepper : plat::SwapObserver {
  Tolvane* app = nullptr;
  int64_t hundredthsPerFrame = 100;
  int quitAfterSwaps = 400;  // a show that never ends still stops the test
  std::vector<int32_t> shownTimes;  // application time of each presented frame (loading swap: -1)
  std::vector<Rgba> corners;        // first swap only: four corners and the centre
  int swaps = 0;

  void BeforeSwap() override {
    if (swaps == 0) {
      for (auto [x, y] : {std::pair{0, 0}, {1023, 0}, {0, 767}, {1023, 767}, {512, 384}})
        corners.push_back(ReadPixel(x, y));
      shownTimes.push_back(-1);
    } else {
      shownTimes.push_back(app->m_clock.DemoTime());
    }
    ++swaps;
    if (swaps == quitAfterSwaps) app->Backend()->PostQuit(0);
    plat::AdvanceVirtualCounter(hundredthsPerFrame * kFrequency / 100);
  }
};

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::UseVirtualCounter(kFrequency, 0);
    plat::OverrideCalendarTime(1000);
    plat::AudioForceSilent(true);
    plat::CaptureDiagnostics(&diagnostics);
  }
  void TearDown() override {
    plat::CaptureDiagnostics(nullptr);
    plat::UseRealCounter();
    plat::ClearCalendarTimeOverride();
  }

  // Runs the application to its end in the working directory `dir`.
  int RunShow(const std::string& dir, Stepper* stepper, int32_t startAt = 0) {
    ScopedChdir cd(dir);
    g_firstFrame = true;
    auto app = std::make_unique<Tolvane>();
    app->m_startAt = startAt;
    stepper->app = app.get();
    app->SetBackend(plat::CreateObservedHeadlessBackend(stepper));
    int rc = TolvaneMain(*app, false);
    MorlenGL::g_pWindowsSystem = nullptr;
    return rc;
  }

  std::vector<std::string> diagnostics;
};

}  // namespace

TEST_F(AppTest, LoadingPictureCoversTheWholeWindow) {
  TempDir dir;
  testimages::WriteJpeg(dir.File("data/loading.jpg"), 64, 48, 3, testimages::Solid(64, 48, 200, 100, 50));
  Stepper stepper;
  stepper.quitAfterSwaps = 1;
  EXPECT_EQ(RunShow(dir.path(), &stepper), 0);
  ASSERT_EQ(stepper.corners.size(), 5u);
  for (const Rgba& p : stepper.corners) {
    EXPECT_NEAR(p.r, 200, 3);
    EXPECT_NEAR(p.g, 100, 3);
    EXPECT_NEAR(p.b, 50, 3);
  }
}

TEST_F(AppTest, MissingLoadingPictureGivesAnUntexturedQuadAndOneLine) {
  TempDir dir;
  Stepper stepper;
  stepper.quitAfterSwaps = 1;
  EXPECT_EQ(RunShow(dir.path(), &stepper), 0);
  ASSERT_FALSE(stepper.corners.empty());
  EXPECT_EQ(stepper.corners[4].r, 255);  // white quad, no texture
  bool named = false;
  for (const std::string& line : diagnostics) named |= line.find("loading.jpg") != std::string::npos;
  EXPECT_TRUE(named);
}

TEST_F(AppTest, ShowWithoutDataEndsByItselfOnTheFrameThatReaches504) {
  TempDir dir;  // no data folder at all: no music, no pictures, no models
  Stepper stepper;
  stepper.hundredthsPerFrame = 1600;  // 30400 = 19 x 1600: a frame lands exactly on the end
  EXPECT_EQ(RunShow(dir.path(), &stepper), 0);
  ASSERT_GE(stepper.shownTimes.size(), 3u);
  EXPECT_EQ(stepper.shownTimes[1], 0);  // the first frame counts from 0
  EXPECT_EQ(stepper.shownTimes.back(), 30400);
  EXPECT_EQ(stepper.shownTimes.size(), 1u + 20u);
}

TEST_F(AppTest, FrameAfterTheEndIsTheLastOne) {
  TempDir dir;
  Stepper stepper;
  stepper.hundredthsPerFrame = 1700;  // 30400 falls between 28900 and 30600
  EXPECT_EQ(RunShow(dir.path(), &stepper), 0);
  ASSERT_GE(stepper.shownTimes.size(), 2u);
  EXPECT_EQ(stepper.shownTimes.back(), 30600);
  EXPECT_EQ(stepper.shownTimes[stepper.shownTimes.size() - 2], 28900);
}

TEST_F(AppTest, TimeBeforeTheFirstFrameDoesNotShiftTheShow) {
  TempDir dir;
  Stepper stepper;
  stepper.hundredthsPerFrame = 5000;  // the loading swap alone moves the clock 50 s
  stepper.quitAfterSwaps = 4;
  EXPECT_EQ(RunShow(dir.path(), &stepper), 0);
  ASSERT_EQ(stepper.shownTimes.size(), 4u);
  EXPECT_EQ(stepper.shownTimes[1], 0);
  EXPECT_EQ(stepper.shownTimes[2], 5000);
  EXPECT_EQ(stepper.shownTimes[3], 10000);
}

TEST_F(AppTest, ShowStartedAtTheLastSceneShowsItFirstAndEndsByItself) {
  TempDir dir;
  Stepper stepper;
  stepper.hundredthsPerFrame = 1600;
  EXPECT_EQ(RunShow(dir.path(), &stepper, 26001), 0);
  EXPECT_EQ(stepper.shownTimes, (std::vector<int32_t>{-1, 26001, 27601, 29201, 30801}));
}
