// y4m_writer.cpp -- RGB to YUV 4:2:0 conversion and the YUV4MPEG2 container.
#include "y4m_writer.h"


namespace capture {

namespace {

// BT.601 studio range in 8-bit fixed point; >> on negatives rounds down, as intended.
uint8_t LumaOf(int r, int g, int b) {
  return static_cast<uint8_t>(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
}
uint8_t BlueDiffOf(int r, int g, int b) {
  return static_cast<uint8_t>(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
}
uint8_t RedDiffOf(int r, int g, int b) {
  return static_cast<uint8_t>(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
}

}  // namespace

std::string Y4mStreamHeader(int width, int height, int fps) {
  return "YUV4MPEG2 W" + std::to_string(width) + " H" + std::to_string(height) + " F" + std::to_string(fps) +
         ":1 Ip A1:1 C420jpeg XCOLORRANGE=LIMITED\n";
}

size_t Y4mFrameBytes(int width, int height) {
  return 6 + static_cast<size_t>(width) * height * 3 / 2;
}

void RgbaToYuv420(const uint8_t* rgba, int width, int height, std::vector<uint8_t>* yuv) {
  size_t lumaSize = static_cast<size_t>(width) * height;
  size_t chromaSize = lumaSize / 4;
  yuv->resize(lumaSize + 2 * chromaSize);
  uint8_t* y = yuv->data();
  uint8_t* u = y + lumaSize;
  uint8_t* v = u + chromaSize;
  for (size_t i = 0; i < lumaSize; ++i) y[i] = LumaOf(rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2]);
  for (int row = 0; row < height / 2; ++row) {
    for (int col = 0; col < width / 2; ++col) {
      int sum[3] = {0, 0, 0};
      for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
          const uint8_t* p = rgba + 4 * ((2 * row + dy) * static_cast<size_t>(width) + 2 * col + dx);
          for (int c = 0; c < 3; ++c) sum[c] += p[c];
        }
      int r = (sum[0] + 2) / 4, g = (sum[1] + 2) / 4, b = (sum[2] + 2) / 4;
      size_t k = static_cast<size_t>(row) * (width / 2) + col;
      u[k] = BlueDiffOf(r, g, b);
      v[k] = RedDiffOf(r, g, b);
    }
  }
}

Y4mWriter::~Y4mWriter() {
  std::string ignored;
  Close(&ignored);
}

bool Y4mWriter::Open(const std::string& path, int width, int height, int fps, std::string* error) {
  if (width % 2 || height % 2) {
    *error = path + ": 4:2:0 needs an even width and height";
    return false;
  }
  width_ = width;
  height_ = height;
  const std::string header = Y4mStreamHeader(width, height, fps);
  if (!file_.Open(path, error) || !file_.Write(header.data(), header.size(), error)) return false;
  whole_ = header.size();
  return true;
}

bool Y4mWriter::Write(const uint8_t* rgba, std::string* error) {
  RgbaToYuv420(rgba, width_, height_, &yuv_);
  if (!file_.Write("FRAME\n", 6, error) || !file_.Write(yuv_.data(), yuv_.size(), error)) {
    file_.CutTo(whole_);
    return false;
  }
  whole_ += 6 + yuv_.size();
  return true;
}

bool Y4mWriter::Close(std::string* error) { return file_.Close(error); }

}  // namespace capture
