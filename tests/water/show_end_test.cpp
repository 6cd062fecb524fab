// show_end_test.cpp -- the built show, with its last scene on screen, ends by itself on the frame at 5:04.0.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "support/run_program.h"

TEST(ShowEnd, LastSceneRunsUpToTheFrameAt504AndTheShowStopsThere) {
  // Asked for frames up to 5:06.0, the show gives its last at 5:04.0 and exits normally. The
  // quick start skips replaying the show up to 5:03: only the end matters here.
  testsupport::ProgramRun r = testsupport::RunBuiltProgram(
      "tolvane-capture",
      std::string("--data ") + TOLVANE_BINARY_DIR + " --from 5:03.0 --to 5:06.0 --fps 2 --bench --quick-start", "2>&1");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("3 frames, 5:03.00 to 5:04.00"), std::string::npos) << r.output;
  // That last frame still draws the water scene.
  EXPECT_TRUE(std::regex_search(r.output, std::regex(R"(\n +2 +5:04\.00 .* water\n)"))) << r.output;
}
