// output_file.cpp -- destinations opened up front, written in full across interruptions, removed when given up.
#include "output_file.h"

#include <cerrno>
#include <cstring>

#include "platform/files.h"

namespace capture {

namespace {

bool Fail(std::string* error, const std::string& name, const char* what) {
  *error = name + ": " + what + ": " + strerror(errno);
  return false;
}

}  // namespace

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Open(const std::string& path, std::string* error) {
  Discard();
  path_ = path;
  fd_ = path == "-" ? 1 : plat::CreateForWriting(path);
  return fd_ >= 0 || Fail(error, Name(), "cannot create");
}

bool OutputFile::Write(const void* data, size_t size, std::string* error) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const int64_t n = plat::WriteSome(fd_, p, size);
    // The stop signals interrupt blocking calls; the frame being written still goes out whole.
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(error, Name(), "cannot write");
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

void OutputFile::CutTo(uint64_t size) {
  if (fd_ >= 0) plat::CutFile(fd_, size);
}

bool OutputFile::Close(std::string* error) {
  if (fd_ < 0) return true;
  const int fd = fd_;
  fd_ = -1;
  if (path_ == "-") return true;
  // A full disk or a lost server may only show here; the file is then given up like any failed write.
  if (plat::CloseFile(fd)) return true;
  Fail(error, Name(), "cannot write");
  plat::ForgetFile(path_);
  return false;
}

void OutputFile::Discard() {
  if (fd_ < 0) return;
  const int fd = fd_;
  fd_ = -1;
  if (path_ == "-") return;
  plat::CloseFile(fd);
  plat::ForgetFile(path_);
}

std::string OutputFile::Name() const { return path_ == "-" ? "standard output" : path_; }

}  // namespace capture
