// frame_sink.h -- where captured frames go: numbered PNG files, one PNG file, or a Y4M stream.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace capture {

// One picture as the window showed it; rgba has width * height pixels, top row first.
struct Frame {
  int64_t index = 0;  // 0 is the first frame of the section
  int32_t time = 0;   // show time, hundredths
  int width = 0, height = 0;
  const uint8_t* rgba = nullptr;
};

class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // False when frame `index` is not kept, so nobody needs to read it back.
  virtual bool Wants(int64_t index) const = 0;
  // The loading picture, shown before the first frame of a capture that starts at 0.
  virtual bool AddLoading(const Frame& frame, std::string* error) = 0;
  virtual bool Add(const Frame& frame, std::string* error) = 0;
  virtual bool Finish(std::string* error) = 0;
  // What a summary line names as the destination; empty when nothing of it was written.
  virtual std::string Describe(int64_t frames) const = 0;
};

// dir is created if missing: "frame_000000.png", ..., and "loading.png".
std::unique_ptr<FrameSink> CreatePngDirectorySink(const std::string& dir, std::string* error);
// Only frame `index` is written, to `path`, which is created at once.
std::unique_ptr<FrameSink> CreatePngFileSink(const std::string& path, int64_t index, std::string* error);
// "-" is standard output. The loading picture is no part of the stream.
std::unique_ptr<FrameSink> CreateY4mSink(const std::string& path, int width, int height, int fps,
                                         std::string* error);

// "frame_000042.png"
std::string FrameFileName(int64_t index);

}  // namespace capture
