// posix_files.cpp -- the tools' file and process calls on Linux, and descriptors 0 to 2 held open.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/diagnostics.h"
#include "platform/files.h"

namespace plat {

int CreateForWriting(const std::string& path) { return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666); }

int OpenWithoutBlocking(const std::string& path) { return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); }
bool ReadsMayBlock(int fd) { return fcntl(fd, F_SETFL, 0) == 0; }

int64_t WriteSome(int fd, const void* data, size_t size) { return write(fd, data, size); }
bool CloseFile(int fd) { return close(fd) == 0; }
bool MayWriteInto(const std::string& folder) { return access(folder.c_str(), W_OK | X_OK) == 0; }

void ForgetFile(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && unlink(path.c_str()) == 0) return;
  if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) (void)!truncate(path.c_str(), 0);
}

void CutFile(int fd, uint64_t size) {
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) (void)!ftruncate(fd, static_cast<off_t>(size));
}

void BinaryStandardOutput() {}
bool StandardErrorIsTerminal() { return isatty(2); }
void IgnoreBrokenPipe() { signal(SIGPIPE, SIG_IGN); }
std::string ThisProgram() { return "/proc/self/exe"; }

void ClaimStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) continue;
    const int devNull = open("/dev/null", O_RDWR);
    // open takes the lowest free number, which is fd itself; anything else is not ours to keep.
    if (devNull >= 0 && devNull != fd) close(devNull);
  }
}

}  // namespace plat
