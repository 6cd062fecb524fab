// temp_dir.h -- a scratch folder per test, removed afterwards, and small file helpers.
#pragma once
#include <string>

namespace testsupport {

class TempDir {
 public:
  TempDir();   // creates a fresh folder under $TMPDIR
  ~TempDir();  // removes it with everything inside
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);

// Changes the working directory for one scope (loaders resolve data paths against it).
class ScopedChdir {
 public:
  explicit ScopedChdir(const std::string& dir);
  ~ScopedChdir();

 private:
  std::string previous_;
};

}  // namespace testsupport
