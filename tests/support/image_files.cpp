// image_files.cpp -- libpng and libjpeg writers for test pictures.
#include "support/image_files.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <jpeglib.h>

namespace testimages {

namespace {

FILE* Create(const std::string& path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent);
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + path);
  return file;
}

int ColourType(int channels) {
  switch (channels) {
    case 1: return PNG_COLOR_TYPE_GRAY;
    case 2: return PNG_COLOR_TYPE_GRAY_ALPHA;
    case 4: return PNG_COLOR_TYPE_RGBA;
    default: return PNG_COLOR_TYPE_RGB;
  }
}

// The test writers only see well-formed input; a libpng error means the test itself is broken.
struct PngWriter {
  FILE* file;
  png_structp png;
  png_infop info;
  explicit PngWriter(const std::string& path) {
    file = Create(path);
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    info = png_create_info_struct(png);
    png_init_io(png, file);
  }
  ~PngWriter() {
    png_destroy_write_struct(&png, &info);
    fclose(file);
  }
};

}  // namespace

void WritePng(const std::string& path, const PngSpec& spec) {
  PngWriter w(path);
  png_set_IHDR(w.png, w.info, spec.width, spec.height, spec.bitDepth, ColourType(spec.channels),
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (spec.fileGamma > 0) png_set_gAMA(w.png, w.info, spec.fileGamma);
  png_write_info(w.png, w.info);
  const int bytes = spec.bitDepth / 8;
  std::vector<unsigned char> row(static_cast<size_t>(spec.width) * spec.channels * bytes);
  for (int y = 0; y < spec.height; ++y) {
    const unsigned char* from = spec.pixels.data() + static_cast<size_t>(y) * spec.width * spec.channels;
    for (int i = 0; i < spec.width * spec.channels; ++i)
      for (int b = 0; b < bytes; ++b) row[i * bytes + b] = from[i];  // 16-bit: v * 257, big-endian
    png_write_row(w.png, row.data());
  }
  png_write_end(w.png, nullptr);
}

void WritePalettePng(const std::string& path, int width, int height,
                     const std::vector<unsigned char>& rgbPalette,
                     const std::vector<unsigned char>& alphas,
                     const std::vector<unsigned char>& indices) {
  PngWriter w(path);
  png_set_IHDR(w.png, w.info, width, height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (size_t i = 0; i + 2 < rgbPalette.size(); i += 3)
    palette.push_back({rgbPalette[i], rgbPalette[i + 1], rgbPalette[i + 2]});
  png_set_PLTE(w.png, w.info, palette.data(), static_cast<int>(palette.size()));
  png_set_tRNS(w.png, w.info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
  png_write_info(w.png, w.info);
  for (int y = 0; y < height; ++y)
    png_write_row(w.png, const_cast<unsigned char*>(indices.data()) + y * width);
  png_write_end(w.png, nullptr);
}

void WriteJpeg(const std::string& path, int width, int height, int channels,
               const std::vector<unsigned char>& pixels, bool progressive) {
  FILE* file = Create(path);
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = width;
  info.image_height = height;
  info.input_components = channels;
  info.in_color_space = channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<unsigned char*>(pixels.data()) +
                   static_cast<size_t>(info.next_scanline) * width * channels;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  fclose(file);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<unsigned char> Solid(int width, int height, unsigned char r, unsigned char g,
                                 unsigned char b) {
  std::vector<unsigned char> p(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < p.size(); i += 3) {
    p[i] = r;
    p[i + 1] = g;
    p[i + 2] = b;
  }
  return p;
}

}  // namespace testimages
