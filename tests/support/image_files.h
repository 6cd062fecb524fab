// image_files.h -- writes small PNG and JPEG files for the texture tests; captures diagnostics.
#pragma once
#include <string>
#include <vector>

#include "platform/diagnostics.h"

namespace testimages {

// PNG colour types by channel count: 1 gray, 2 gray+alpha, 3 RGB, 4 RGBA; rows top first.
// fileGamma > 0 writes a gAMA chunk; bitDepth 16 doubles every sample (v -> v * 257).
struct PngSpec {
  int width = 0, height = 0, channels = 3, bitDepth = 8;
  double fileGamma = 0;
  std::vector<unsigned char> pixels;
};
void WritePng(const std::string& path, const PngSpec& spec);

// A palette PNG, one index byte per pixel, with per-entry alpha (tRNS).
void WritePalettePng(const std::string& path, int width, int height,
                     const std::vector<unsigned char>& rgbPalette,
                     const std::vector<unsigned char>& alphas,
                     const std::vector<unsigned char>& indices);

// A JPEG at quality 100 from RGB (channels 3) or gray (channels 1) rows, top first: baseline,
// or progressive in libjpeg's standard scan sequence.
void WriteJpeg(const std::string& path, int width, int height, int channels,
               const std::vector<unsigned char>& pixels, bool progressive = false);

// Collects what the loaders report, for one scope.
struct CapturedDiagnostics {
  std::vector<std::string> lines;
  CapturedDiagnostics() { plat::CaptureDiagnostics(&lines); }
  ~CapturedDiagnostics() { plat::CaptureDiagnostics(nullptr); }
};

std::string ReadBytes(const std::string& path);

// A solid RGB picture.
std::vector<unsigned char> Solid(int width, int height, unsigned char r, unsigned char g,
                                 unsigned char b);

}  // namespace testimages
