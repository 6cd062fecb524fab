// capture_session.h -- one run of the capture: the real application on the virtual counter, frame by frame.
#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench_report.h"
#include "platform/observed_backend.h"
#include "capture_gl.h"
#include "capture_options.h"
#include "frame_sink.h"
#include "output_file.h"

class Tolvane;

namespace capture {

class CaptureSession final : public plat::SwapObserver {
 public:
  explicit CaptureSession(const Options& options);
  ~CaptureSession() override;

  // Builds the application, runs it from start to stop and writes what was asked for.
  // Returns the process exit code.
  int Run();

  // Hooks of the application subclass: right after the show's own Initialize, and before
  // and after every frame's update.
  void ShowInitialized(Tolvane& app);
  void FrameBegins();
  void FrameUpdated();
  void BeforeSwap() override;

 private:
  using WallClock = std::chrono::steady_clock;

  bool PrepareOutput();
  void PlanDrawnFrames(Tolvane& app);
  void CaptureLoading();
  void CaptureOrReplay();
  void CaptureFrame(int32_t time);
  FrameSample Measure(int32_t time);
  void ReportGlErrors(int32_t time);
  void ShowProgress();
  void PrintProgressLine();
  void Fail(const std::string& why);
  int Finish(int showResult);
  bool WriteAudio();
  void WriteBench();

  Options options_;
  FrameRange section_;              // the grid frames to capture
  std::vector<int64_t> picks_;      // --sheet: the grid frames it shows; section_ runs from first to last
  int64_t frame_ = 0;               // grid frame being made; frames before the section are replayed
  std::vector<FrameRange> drawn_;   // frames drawn with pixels; all others without rasterising
  bool discarding_ = false;         // rasterisation is off for the frame being made
  int64_t framesDone_ = 0;          // frames of the section captured
  std::unique_ptr<FrameSink> sink_;
  OutputFile audio_, benchJson_;    // opened before the show; removed unless written whole
  Tolvane* app_ = nullptr;
  plat::WindowBackend* backend_ = nullptr;
  bool showStarted_ = false;        // false during the loading step
  bool failed_ = false;
  std::vector<uint8_t> pixels_;
  GpuTimer gpuTimer_;
  WallClock::time_point frameStart_, runStart_, lastProgress_, sectionStart_;
  std::vector<FrameSample> samples_;
  std::vector<SceneClock> updateClocks_;  // per timeline slot, as the frame's Update saw them
  BenchInfo benchInfo_;
};

}  // namespace capture
