// capture_session.cpp -- the capture run: start-up values, the start shift, per-frame capture and the results.
#include "capture_session.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/audio_device.h"
#include "platform/counter.h"
#include "platform/crt_random.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/stop_signals.h"
#include "show/demo_scene.h"
#include "show/tolvane_app.h"
#include "contact_sheet.h"
#include "look_report.h"
#include "wav_writer.h"

namespace capture {

namespace {

// The calendar time particle systems seed the generator with: any fixed value makes runs repeat.
constexpr int64_t kFixedCalendarTime = 1167609600;

// The show's application with the capture's hooks; everything else is the show's own.
class CaptureApp final : public Tolvane {
 public:
  explicit CaptureApp(CaptureSession* session) : session_(session) {}
  bool Initialize() override {
    bool result = Tolvane::Initialize();
    session_->ShowInitialized(*this);
    return result;
  }
  bool UpdateFrame() override {
    session_->FrameBegins();
    bool result = Tolvane::UpdateFrame();
    session_->FrameUpdated();
    return result;
  }

 private:
  CaptureSession* session_;
};

std::string CpuModel() {
  std::ifstream in("/proc/cpuinfo");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("model name", 0) == 0 && line.find(':') != std::string::npos)
      return line.substr(line.find(':') + 2);
  return "unknown";
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

CaptureSession::CaptureSession(const Options& options) : options_(options) {
  section_ = SectionFrames(options.from, options.to, options.fps);
  if (options.output != Output::kSheet) return;
  picks_ = SheetPicks(options.from, options.to, options.every, options.fps);
  if (!picks_.empty()) section_ = {picks_.front(), picks_.back()};
}

CaptureSession::~CaptureSession() = default;

int CaptureSession::Run() {
  plat::StopSignals stopSignals;
  plat::SetVerbose(options_.verbose);
  // Every capture runs the show from its beginning, so a section is the frames of a run from 0;
  // a quick start begins with the counter where such a run has it at the section.
  if (options_.quickStart) frame_ = section_.first;
  plat::UseVirtualCounter(CounterFrequencyFor(options_.fps), frame_ * CountsPerFrame(options_.fps));
  plat::OverrideCalendarTime(kFixedCalendarTime);
  plat::AudioForceSilent(true);
  if (!PrepareOutput()) return 3;

  auto app = std::make_unique<CaptureApp>(this);
  app_ = app.get();
  auto backend = plat::CreateObservedHeadlessBackend(this);
  backend_ = backend.get();
  app->SetBackend(std::move(backend));
  runStart_ = lastProgress_ = sectionStart_ = WallClock::now();
  int result = TolvaneMain(*app, false);
  return Finish(result);
}

// Every destination is created before the first frame, so a bad path costs no rendering.
bool CaptureSession::PrepareOutput() {
  std::string error;
  if ((!options_.audio.empty() && !audio_.Open(options_.audio, &error)) ||
      (!options_.benchJson.empty() && !benchJson_.Open(options_.benchJson, &error))) {
    plat::Report("%s", error.c_str());
    return false;
  }
  switch (options_.output) {
    case Output::kNone: return true;
    case Output::kPngDirectory: sink_ = CreatePngDirectorySink(options_.out, &error); break;
    case Output::kPngFile: sink_ = CreatePngFileSink(options_.out, section_.Count() - 1, &error); break;
    case Output::kY4m: sink_ = CreateY4mSink(options_.out, kFrameWidth, kFrameHeight, options_.fps, &error); break;
    case Output::kLook: sink_ = CreateLookSink(options_.out, &error); break;
    case Output::kSheet: {
      std::vector<int64_t> indices;
      for (int64_t pick : picks_) indices.push_back(pick - section_.first);
      sink_ = CreateSheetSink(options_.out, std::move(indices), options_.tileWidth, &error);
      break;
    }
  }
  if (!sink_) plat::Report("%s", error.c_str());
  return sink_ != nullptr;
}

void CaptureSession::ShowInitialized(Tolvane& app) {
  showStarted_ = true;
  const int32_t start = FrameTime(section_.first, options_.fps);
  if (options_.quickStart && start > 0) ShiftShowTo(app, start, FrameTime(section_.first - 1, options_.fps));
  PlanDrawnFrames(app);
  if (!drawn_.empty() && drawn_.front().first > 0 && !CanDiscardRasterization()) {
    plat::Detail("OpenGL below 3.0: the frames before %s are drawn in full", FormatTime(start).c_str());
    drawn_ = {{0, section_.last}};
  }
  GlDescription gl = DescribeGl();
  benchInfo_ = {gl.renderer, gl.vendor, gl.version, CpuModel(), options_.fps, start, options_.to};
}

// Frames that are not kept are replayed: updated and drawn as in a run from 0, so every
// clock, particle, random number, keyframe track, piece of scene state and OpenGL setting is
// what that run has at the next kept frame. Only the scenes running at a kept frame need their
// pixels too (their render targets carry over), from their window's start; the frames before
// are drawn without rasterising. A sheet keeps its picks alone; any other capture, its section.
void CaptureSession::PlanDrawnFrames(Tolvane& app) {
  const MorlenGL::SceneList scenes = app.m_demo.Scenes();
  auto historyOf = [&](int64_t kept) {
    const int32_t time = FrameTime(kept, options_.fps);
    return FrameRange{FirstFrameAt(MorlenGL::DrawnHistoryStart(scenes, time), options_.fps), kept};
  };
  std::vector<FrameRange> spans;
  for (int64_t pick : picks_) spans.push_back(historyOf(pick));
  if (picks_.empty()) spans = {{historyOf(section_.first).first, section_.last}};
  drawn_ = MergeRanges(std::move(spans));
}

void CaptureSession::FrameBegins() {
  frameStart_ = WallClock::now();
  discarding_ = !InRanges(drawn_, frame_);
  if (discarding_) DiscardRasterization(true);
  if (options_.bench && frame_ >= section_.first) gpuTimer_.Begin();
}

void CaptureSession::FrameUpdated() {
  if (!options_.bench || frame_ < section_.first) return;
  MorlenGL::SceneList scenes = app_->m_demo.Scenes();
  updateClocks_.resize(scenes.size());
  for (size_t i = 0; i < scenes.size(); ++i)
    updateClocks_[i] = {MorlenGL::kTimeline[i].name, scenes[i]->m_clock.m_elapsed, scenes[i]->m_clock.m_lastElapsed};
}

void CaptureSession::BeforeSwap() {
  if (failed_) return;
  if (!showStarted_) {
    CaptureLoading();
  } else {
    CaptureOrReplay();
  }
  // A stop comes between frames, so the files hold whole frames and the sound of just those.
  if (plat::StopSignals::Caught()) backend_->PostQuit(0);
}

void CaptureSession::CaptureOrReplay() {
  if (discarding_) DiscardRasterization(false);
  const int32_t time = app_->m_clock.DemoTime();
  if (frame_ < section_.first) {
    if (options_.verbose) ReportGlErrors(time);
  } else {
    if (frame_ == section_.first) sectionStart_ = WallClock::now();
    CaptureFrame(time);
  }
  ++frame_;
  ShowProgress();
  plat::AdvanceVirtualCounter(CountsPerFrame(options_.fps));
  if (frame_ > section_.last) backend_->PostQuit(0);
}

void CaptureSession::CaptureLoading() {
  if (!sink_ || section_.first != 0) return;
  ReadWindow(kFrameWidth, kFrameHeight, &pixels_);
  std::string error;
  if (!sink_->AddLoading({0, 0, kFrameWidth, kFrameHeight, pixels_.data()}, &error)) Fail(error);
}

void CaptureSession::CaptureFrame(int32_t time) {
  FrameSample sample = Measure(time);
  if (options_.verbose) ReportGlErrors(time);
  std::string error;
  if (sink_ && sink_->Wants(framesDone_)) {
    ReadWindow(kFrameWidth, kFrameHeight, &pixels_);
    // A frame that was not written is not counted: the summary and the sound cover what is there.
    if (!sink_->Add({framesDone_, time, kFrameWidth, kFrameHeight, pixels_.data()}, &error)) return Fail(error);
  }
  if (options_.bench) {
    if (framesDone_ == 0) fputs(FormatFrameHeading().c_str(), stdout);
    fputs(FormatFrameLine(sample).c_str(), stdout);
    samples_.push_back(std::move(sample));
  }
  ++framesDone_;
}

FrameSample CaptureSession::Measure(int32_t time) {
  FrameSample s;
  s.index = framesDone_;
  s.time = time;
  s.cpuMs = Seconds(WallClock::now() - frameStart_) * 1000;
  s.gpuMs = gpuTimer_.End();
  s.musicFrame = plat::AudioStreamPosition(app_->m_demo.m_demoMusic.m_stream);
  if (!app_->m_demo.IsActive()) return s;
  MorlenGL::SceneList scenes = app_->m_demo.Scenes();
  for (int i : MorlenGL::kFrameOrder)
    if (scenes[i]->IsActive() && i < static_cast<int>(updateClocks_.size())) s.scenes.push_back(updateClocks_[i]);
  return s;
}

void CaptureSession::ReportGlErrors(int32_t time) {
  const bool replayed = frame_ < section_.first;
  for (unsigned e : TakeGlErrors())
    plat::Report("%s %lld at %s: OpenGL error 0x%04x", replayed ? "replayed frame" : "frame",
                 static_cast<long long>(replayed ? frame_ : framesDone_), FormatTime(time).c_str(), e);
}

void CaptureSession::ShowProgress() {
  if (options_.progressLines) return PrintProgressLine();
  if (!plat::StandardErrorIsTerminal()) return;
  WallClock::time_point now = WallClock::now();
  const bool done = frame_ > section_.last;
  if (!done && now - lastProgress_ < std::chrono::milliseconds(250)) return;
  lastProgress_ = now;
  if (done) {
    fputs("\r\033[K", stderr);
  } else if (frame_ <= section_.first) {
    fprintf(stderr, "\r\033[Kreplaying the show up to %s: %s", FormatTime(FrameTime(section_.first, options_.fps)).c_str(),
            FormatTime(FrameTime(frame_, options_.fps)).c_str());
  } else {
    double elapsed = Seconds(now - sectionStart_);
    double rate = elapsed > 0 ? framesDone_ / elapsed : 0;
    double left = rate > 0 ? (section_.Count() - framesDone_) / rate : 0;
    fprintf(stderr, "\r\033[Kframe %lld of %lld, %.1f frames/s, %d:%02d left", static_cast<long long>(framesDone_),
            static_cast<long long>(section_.Count()), rate, static_cast<int>(left) / 60, static_cast<int>(left) % 60);
  }
}

// For a program that runs this one and reads its standard error (--jobs): the grid frames made so far.
void CaptureSession::PrintProgressLine() {
  fprintf(stderr, "%s%lld\n", kProgressLinePrefix, static_cast<long long>(frame_));
  fflush(stderr);
}

void CaptureSession::Fail(const std::string& why) {
  plat::Report("%s", why.c_str());
  failed_ = true;
  backend_->PostQuit(0);
}

int CaptureSession::Finish(int showResult) {
  double seconds = Seconds(WallClock::now() - runStart_);
  std::string error;
  if (sink_ && !failed_ && !sink_->Finish(&error)) Fail(error);
  if (!failed_ && !options_.audio.empty() && !WriteAudio()) failed_ = true;
  if (options_.bench && !samples_.empty()) WriteBench();
  const int stopSignal = plat::StopSignals::Caught();
  if (stopSignal)
    plat::Report("%s%d after %lld frames of the section", kStopLinePrefix, stopSignal,
                 static_cast<long long>(framesDone_));
  if (framesDone_ == 0 && !failed_ && !stopSignal) {
    plat::Report("no frame was rendered");
    failed_ = true;
  }
  if (!options_.progressLines)
    fputs(SummaryLine(options_, section_.first, framesDone_, seconds, sink_ ? sink_->Describe(framesDone_) : "").c_str(),
          stderr);
  if (stopSignal) return 128 + stopSignal;
  if (failed_) return 3;
  return showResult;
}

bool CaptureSession::WriteAudio() {
  plat::AudioStream music = app_->m_demo.m_demoMusic.m_stream;
  int rate = plat::AudioStreamRate(music), channels = plat::AudioStreamChannels(music);
  std::vector<int16_t> samples;
  if (rate <= 0 || channels <= 0) {
    // A show without its music is silent; the soundtrack of the section is silence too.
    plat::Report("%s: no demo music, writing silence", options_.audio.c_str());
    rate = 44100;
    channels = 2;
    samples.assign(2 * SectionForFrames(section_.first, framesDone_, options_.fps, rate).count, 0);
  } else {
    AudioSection section = SectionForFrames(section_.first, framesDone_, options_.fps, rate);
    plat::AudioStreamPcm(music, section.first, section.count, &samples);
  }
  std::string error;
  if (WriteWav(&audio_, samples, rate, channels, &error)) return true;
  plat::Report("%s", error.c_str());
  return false;
}

void CaptureSession::WriteBench() {
  benchInfo_.to = samples_.back().time;
  fputs(FormatBenchSummary(benchInfo_, samples_).c_str(), stdout);
  fflush(stdout);
  if (options_.benchJson.empty()) return;
  const std::string json = FormatBenchJson(benchInfo_, samples_);
  std::string error;
  if (benchJson_.Write(json.data(), json.size(), &error) && benchJson_.Close(&error)) return;
  plat::Report("%s", error.c_str());
  failed_ = true;
}

}  // namespace capture
