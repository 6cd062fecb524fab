// frame_sink.cpp -- the three destinations of captured frames.
#include "frame_sink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/files.h"
#include "png_writer.h"
#include "y4m_writer.h"

namespace capture {

namespace {

class PngDirectorySink final : public FrameSink {
 public:
  explicit PngDirectorySink(std::string dir) : dir_(std::move(dir)) {
    while (dir_.size() > 1 && dir_.back() == '/') dir_.pop_back();
  }
  bool Wants(int64_t) const override { return true; }
  bool AddLoading(const Frame& f, std::string* error) override {
    return WritePng(dir_ + "/loading.png", f.rgba, f.width, f.height, error);
  }
  bool Add(const Frame& f, std::string* error) override {
    return WritePng(dir_ + "/" + FrameFileName(f.index), f.rgba, f.width, f.height, error);
  }
  bool Finish(std::string*) override { return true; }
  std::string Describe(int64_t frames) const override {
    if (frames == 0) return "";
    return dir_ + "/" + FrameFileName(0) + (frames > 1 ? " to " + FrameFileName(frames - 1) : "");
  }

 private:
  std::string dir_;
};

// The file is created when the sink is, and removed again unless its frame is written.
class PngFileSink final : public FrameSink {
 public:
  PngFileSink(std::string path, int64_t index) : path_(std::move(path)), index_(index) {}
  bool Open(std::string* error) { return file_.Open(path_, error); }
  bool Wants(int64_t index) const override { return index == index_; }
  bool AddLoading(const Frame&, std::string*) override { return true; }
  bool Add(const Frame& f, std::string* error) override {
    if (f.index != index_) return true;
    written_ = WritePng(&file_, f.rgba, f.width, f.height, error);
    return written_;
  }
  bool Finish(std::string* error) override {
    // The show can end before the asked frame only through a bug; say so rather than stay quiet.
    if (!written_) *error = path_ + ": the show ended before frame " + std::to_string(index_);
    return written_;
  }
  std::string Describe(int64_t) const override { return written_ ? path_ : ""; }

 private:
  std::string path_;
  int64_t index_;
  OutputFile file_;
  bool written_ = false;
};

class Y4mSink final : public FrameSink {
 public:
  bool Open(const std::string& path, int width, int height, int fps, std::string* error) {
    path_ = path;
    return writer_.Open(path, width, height, fps, error);
  }
  bool Wants(int64_t) const override { return true; }
  bool AddLoading(const Frame&, std::string*) override { return true; }
  bool Add(const Frame& f, std::string* error) override { return writer_.Write(f.rgba, error); }
  bool Finish(std::string* error) override { return writer_.Close(error); }
  std::string Describe(int64_t) const override { return path_ == "-" ? "standard output" : path_; }

 private:
  std::string path_;
  Y4mWriter writer_;
};

}  // namespace

std::string FrameFileName(int64_t index) {
  char name[32];
  snprintf(name, sizeof name, "frame_%06lld.png", static_cast<long long>(index));
  return name;
}

std::unique_ptr<FrameSink> CreatePngDirectorySink(const std::string& dir, std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!ec && !std::filesystem::is_directory(dir, ec)) ec = std::make_error_code(std::errc::not_a_directory);
  if (!ec && !plat::MayWriteInto(dir)) ec = std::error_code(errno, std::generic_category());
  if (ec) {
    *error = dir + ": cannot create the frame directory: " + ec.message();
    return nullptr;
  }
  return std::make_unique<PngDirectorySink>(dir);
}

std::unique_ptr<FrameSink> CreatePngFileSink(const std::string& path, int64_t index, std::string* error) {
  auto sink = std::make_unique<PngFileSink>(path, index);
  if (!sink->Open(error)) return nullptr;
  return sink;
}

std::unique_ptr<FrameSink> CreateY4mSink(const std::string& path, int width, int height, int fps,
                                         std::string* error) {
  auto sink = std::make_unique<Y4mSink>();
  if (!sink->Open(path, width, height, fps, error)) return nullptr;
  return sink;
}

}  // namespace capture
