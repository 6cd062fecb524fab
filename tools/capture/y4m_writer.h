// y4m_writer.h -- YUV4MPEG2 streams (4:2:0, BT.601 studio range) from RGBA frames, for piping into encoders.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace capture {

std::string Y4mStreamHeader(int width, int height, int fps);
// "FRAME\n" plus the three planes.
size_t Y4mFrameBytes(int width, int height);

// rgba: width * height pixels, top row first; width and height even. yuv receives the Y
// plane, then U and V at half resolution, each chroma sample the mean of a 2 x 2 block.
void RgbaToYuv420(const uint8_t* rgba, int width, int height, std::vector<uint8_t>* yuv);

// Owns the file it opened; standard output ("-") is flushed but never closed.
class Y4mWriter {
 public:
  ~Y4mWriter();
  bool Open(const std::string& path, int width, int height, int fps, std::string* error);
  bool Write(const uint8_t* rgba, std::string* error);
  bool Close(std::string* error);

 private:
  FILE* file_ = nullptr;
  bool ownsFile_ = false;
  std::string path_;
  int width_ = 0, height_ = 0;
  std::vector<uint8_t> yuv_;
};

}  // namespace capture
