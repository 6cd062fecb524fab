// output_file.h -- a file the capture writes: opened before the first frame, and never left half-written.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace capture {

// Owner: the writer of one destination. Open creates (or empties) the file at once, so a
// destination that cannot be written fails before anything is rendered. A file given up on
// (Discard, or destroyed before Close) is emptied and removed, so nothing is left that could pass
// for a whole file; a symbolic link there stays, and what it points at is left empty.
// "-" is standard output: written, never closed or removed.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool Open(const std::string& path, std::string* error);
  // All of it or an error; a stop signal arriving meanwhile does not cut it short.
  bool Write(const void* data, size_t size, std::string* error);
  // Keeps only the first `size` bytes of a regular file (a stream cut back to whole frames).
  void CutTo(uint64_t size);
  bool Close(std::string* error);
  void Discard();
  bool IsOpen() const { return fd_ >= 0; }
  // The path, or "standard output" for "-".
  std::string Name() const;

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace capture
