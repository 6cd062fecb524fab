// look_report.cpp -- per-frame luma figures, their shares per scene, and the strip plot.
#include "look_report.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "png_writer.h"
#include "show/demo_scene.h"
#include "show/show_start.h"

namespace capture {

namespace {

constexpr int kSceneBandHeight = 6, kFlagBandHeight = 6, kGap = 1;
constexpr int kStripTargetWidth = 1024, kMaxColumnWidth = 8;
constexpr uint8_t kPaleInk[4] = {240, 200, 40, 255}, kClippedInk[4] = {230, 30, 30, 255},
                  kDarkInk[4] = {50, 80, 230, 255}, kBlank[4] = {0, 0, 0, 255};
constexpr uint8_t kSceneShades[2] = {70, 150}, kBoundaryShade = 255;

int LumaOf(const uint8_t* p) { return (299 * p[0] + 587 * p[1] + 114 * p[2] + 500) / 1000; }

// Timeline index of the scene whose section holds `time`; -1 for none.
int SceneAt(int32_t time) {
  for (int i = 0; i < MorlenGL::kSceneCount; ++i) {
    const MorlenGL::ShowSection s = MorlenGL::SceneSection(i);
    if (time >= s.from && time <= s.to) return i;
  }
  return -1;
}

struct Tally {
  std::string name;
  int frames = 0, pale = 0, clipped = 0, dark = 0;
  void Count(const FrameLook& look) {
    ++frames;
    pale += look.Pale();
    clipped += look.Clipped();
    dark += look.Dark();
  }
};

std::string TallyLine(const Tally& t) {
  auto share = [&](int n) { return t.frames ? 100.0 * n / t.frames : 0.0; };
  char line[128];
  snprintf(line, sizeof line, "%-10s %7d %7.1f %% %7.1f %% %7.1f %%\n", t.name.c_str(), t.frames, share(t.pale),
           share(t.clipped), share(t.dark));
  return line;
}

class LookSink final : public FrameSink {
 public:
  explicit LookSink(std::string path) : path_(std::move(path)) {}
  bool Open(std::string* error) { return file_.Open(path_, error); }
  bool Wants(int64_t) const override { return true; }
  bool AddLoading(const Frame&, std::string*) override { return true; }
  bool Add(const Frame& f, std::string*) override {
    looks_.push_back(LookAt(f));
    return true;
  }
  bool Finish(std::string* error) override {
    // No frame, no figures: the run's own line says why, and no empty strip is left behind.
    if (looks_.empty()) return true;
    fputs(FormatLookReport(looks_).c_str(), stdout);
    fflush(stdout);
    int width = 0, height = 0;
    std::vector<uint8_t> strip = DrawLookStrip(looks_, &width, &height);
    written_ = WritePng(&file_, strip.data(), width, height, error);
    return written_;
  }
  std::string Describe(int64_t) const override { return written_ ? path_ : ""; }

 private:
  std::string path_;
  std::vector<FrameLook> looks_;
  OutputFile file_;  // created with the sink, removed unless the strip is written
  bool written_ = false;
};

}  // namespace

FrameLook LookAt(const Frame& frame) {
  FrameLook look;
  look.time = frame.time;
  const int64_t pixels = int64_t{frame.width} * frame.height;
  if (pixels <= 0) return look;
  int64_t total = 0, clipped = 0;
  for (int band = 0; band < kStripBands; ++band) {
    const int y0 = band * frame.height / kStripBands, y1 = (band + 1) * frame.height / kStripBands;
    int64_t bandTotal = 0;
    for (int y = y0; y < y1; ++y) {
      const uint8_t* p = frame.rgba + static_cast<size_t>(y) * frame.width * 4;
      for (int x = 0; x < frame.width; ++x, p += 4) {
        const int luma = LumaOf(p);
        bandTotal += luma;
        clipped += luma >= kClippedLuma;
      }
    }
    const int64_t bandPixels = int64_t{y1 - y0} * frame.width;
    look.bands[band] = static_cast<uint8_t>(bandPixels ? (bandTotal + bandPixels / 2) / bandPixels : 0);
    total += bandTotal;
  }
  look.meanLuma = static_cast<double>(total) / pixels;
  look.clippedShare = static_cast<double>(clipped) / pixels;
  return look;
}

std::string FormatLookReport(const std::vector<FrameLook>& looks) {
  std::vector<Tally> scenes;
  Tally show{"show"};
  int lastScene = -2;
  for (const FrameLook& look : looks) {
    const int scene = SceneAt(look.time);
    if (scene != lastScene) scenes.push_back({scene >= 0 ? MorlenGL::kTimeline[scene].name : "-"});
    lastScene = scene;
    scenes.back().Count(look);
    show.Count(look);
  }
  char legend[160];
  snprintf(legend, sizeof legend, "pale: mean luma > %.0f; clipped: >= %.0f %% of pixels at luma >= %d; dark: mean luma < %.0f\n",
           kPaleMean, kClippedShare * 100, kClippedLuma, kDarkMean);
  char heading[80];
  snprintf(heading, sizeof heading, "%-10s %7s %9s %9s %9s\n", "scene", "frames", "pale", "clipped", "dark");
  std::string text = std::string(legend) + heading;
  for (const Tally& t : scenes) text += TallyLine(t);
  return text + TallyLine(show);
}

std::vector<uint8_t> DrawLookStrip(const std::vector<FrameLook>& looks, int* width, int* height) {
  const int frames = static_cast<int>(looks.size());
  const int column = std::clamp(frames ? kStripTargetWidth / frames : 1, 1, kMaxColumnWidth);
  *width = std::max(frames * column, 1);
  *height = kSceneBandHeight + kGap + kStripBands + kGap + kFlagBandHeight;
  std::vector<uint8_t> rgba(static_cast<size_t>(*width) * *height * 4, 0);
  auto put = [&](int x, int y, const uint8_t* colour) { memcpy(&rgba[(static_cast<size_t>(y) * *width + x) * 4], colour, 4); };
  int lastScene = -2, shade = 1;
  for (int f = 0; f < frames; ++f) {
    const FrameLook& look = looks[f];
    const int scene = SceneAt(look.time);
    const bool boundary = scene != lastScene;
    if (boundary) shade ^= 1;
    lastScene = scene;
    const uint8_t* flag = look.Clipped() ? kClippedInk : look.Pale() ? kPaleInk : look.Dark() ? kDarkInk : kBlank;
    for (int c = 0; c < column; ++c) {
      const int x = f * column + c;
      const uint8_t s = boundary && c == 0 && f > 0 ? kBoundaryShade : kSceneShades[shade];
      const uint8_t sceneInk[4] = {s, s, s, 255};
      for (int y = 0; y < kSceneBandHeight; ++y) put(x, y, sceneInk);
      for (int b = 0; b < kStripBands; ++b) {
        const uint8_t grey[4] = {look.bands[b], look.bands[b], look.bands[b], 255};
        put(x, kSceneBandHeight + kGap + b, grey);
      }
      for (int y = *height - kFlagBandHeight; y < *height; ++y) put(x, y, flag);
    }
  }
  for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
  return rgba;
}

std::unique_ptr<FrameSink> CreateLookSink(const std::string& path, std::string* error) {
  auto sink = std::make_unique<LookSink>(path);
  if (!sink->Open(error)) return nullptr;
  return sink;
}

}  // namespace capture
