// y4m_writer.h -- YUV4MPEG2 streams (4:2:0, BT.601 studio range) from RGBA frames, for piping into encoders.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "output_file.h"

namespace capture {

std::string Y4mStreamHeader(int width, int height, int fps);
// "FRAME\n" plus the three planes.
size_t Y4mFrameBytes(int width, int height);

// rgba: width * height pixels, top row first; width and height even. yuv receives the Y
// plane, then U and V at half resolution, each chroma sample the mean of a 2 x 2 block.
void RgbaToYuv420(const uint8_t* rgba, int width, int height, std::vector<uint8_t>* yuv);

// Owns the file it opened; standard output ("-") is never closed. A frame that cannot be
// written whole is cut off again, so a file always holds the header and whole frames.
class Y4mWriter {
 public:
  ~Y4mWriter();
  bool Open(const std::string& path, int width, int height, int fps, std::string* error);
  bool Write(const uint8_t* rgba, std::string* error);
  bool Close(std::string* error);

 private:
  OutputFile file_;
  uint64_t whole_ = 0;  // bytes of the header and the frames written whole
  int width_ = 0, height_ = 0;
  std::vector<uint8_t> yuv_;
};

}  // namespace capture
