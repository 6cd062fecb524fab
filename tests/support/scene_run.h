// scene_run.h -- one scene driven as the frame loop drives it, on the virtual counter, for headless scene tests.
#pragma once
#include <epoxy/gl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/counter.h"
#include "platform/crt_random.h"
#include "platform/diagnostics.h"
#include "sequencing/timer.h"
#include "shell/music_track.h"
#include "support/temp_dir.h"

namespace testsupport {

// Drops whatever errors earlier work left, so a test sees only its own.
inline void DrainGlErrors() {
  while (glGetError() != GL_NO_ERROR) {
  }
}

// The diagnostics lines reported while `body` runs.
template <class Body>
std::vector<std::string> DiagnosticsOf(Body body) {
  std::vector<std::string> lines;
  plat::CaptureDiagnostics(&lines);
  body();
  plat::CaptureDiagnostics(nullptr);
  return lines;
}

// How many of the lines name `text`.
inline int Mentions(const std::vector<std::string>& lines, const std::string& text) {
  int mentions = 0;
  for (const std::string& line : lines) mentions += line.find(text) != std::string::npos;
  return mentions;
}

// Owns the scene (loaded by Init in the working directory dataParent) and its clocks. The scene's
// window is [0, endTime] on a demo clock that starts with the run; the music has no sound, only
// the spectrum the test writes.
template <class Scene>
class SceneRun {
 public:
  static constexpr int64_t kCountsPerHundredth = 10000;
  static constexpr int64_t kCaptureCalendarTime = 1167609600;

  explicit SceneRun(int32_t endTime, const std::string& dataParent = TOLVANE_BINARY_DIR) : chdir_(dataParent) {
    // Particle systems seed the generator from the calendar when built: the capture's fixed
    // date makes every run draw what a capture draws, whatever the wall clock says.
    plat::OverrideCalendarTime(kCaptureCalendarTime);
    plat::UseVirtualCounter(100 * kCountsPerHundredth, 0);
    demoClock_ = std::make_unique<MorlenGL::Timer>();
    scene = std::make_unique<Scene>();
    scene->m_music = &music;
    scene->m_demoClock = demoClock_.get();
    scene->m_startTime = 0;
    scene->m_endTime = endTime;
    scene->Init();
  }
  ~SceneRun() {
    plat::UseRealCounter();
    plat::ClearCalendarTimeOverride();
  }

  // The frame loop's part for one scene: clocks advance, Tick, clear, DrawIfActive.
  void Frame(int32_t stepCs, bool draw = true) {
    plat::AdvanceVirtualCounter(stepCs * kCountsPerHundredth);
    demoClock_->Advance();
    scene->Tick();
    if (!draw) return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    scene->DrawIfActive();
  }
  // Ticks every tenth of a second up to the scene time `to` (hundredths), drawing from drawFrom on.
  void RunTo(int32_t to, int32_t drawFrom = 1 << 30) {
    while (scene->m_clock.m_elapsed + 10 <= to) Frame(10, scene->m_clock.m_elapsed + 10 >= drawFrom);
  }
  double Time() const { return scene->m_clock.m_elapsed / 100.0; }

  MorlenGL::MusicTrack music;
  std::unique_ptr<Scene> scene;

 private:
  ScopedChdir chdir_;
  std::unique_ptr<MorlenGL::Timer> demoClock_;
};

}  // namespace testsupport
