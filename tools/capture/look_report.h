// look_report.h -- how bright each captured frame is, which frames are pale, clipped or dark, per scene, and a strip plot of it.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frame_sink.h"

namespace capture {

// Luma is Rec. 601 on 0..255. A pale frame has a mean above kPaleMean; a clipped one has at
// least kClippedShare of its pixels at kClippedLuma or more; a dark one a mean below kDarkMean.
constexpr double kPaleMean = 170, kDarkMean = 8, kClippedShare = 0.30;
constexpr int kClippedLuma = 235;
// The strip plot: each frame's luma in kStripBands horizontal bands, top band first.
constexpr int kStripBands = 96;

struct FrameLook {
  int32_t time = 0;  // show time, hundredths
  double meanLuma = 0;
  double clippedShare = 0;  // of the pixels, 0..1
  uint8_t bands[kStripBands] = {};
  bool Pale() const { return meanLuma > kPaleMean; }
  bool Clipped() const { return clippedShare >= kClippedShare; }
  bool Dark() const { return meanLuma < kDarkMean; }
};

FrameLook LookAt(const Frame& frame);

// One line per scene the frames fall in (by the scene sections of the timeline, in show
// order), then "show" for all of them: frame count and the shares of pale, clipped and dark.
std::string FormatLookReport(const std::vector<FrameLook>& looks);

// RGBA, top row first: a column (or a few, for short runs) per frame of its luma bands, above a
// band that marks pale (yellow), clipped (red) and dark (blue) frames and below one whose shade
// changes at every scene boundary.
std::vector<uint8_t> DrawLookStrip(const std::vector<FrameLook>& looks, int* width, int* height);

// Measures every frame; at the end prints the report on standard output and writes the strip
// to `path`, which is created at once (null and *error when it cannot be).
std::unique_ptr<FrameSink> CreateLookSink(const std::string& path, std::string* error);

}  // namespace capture
