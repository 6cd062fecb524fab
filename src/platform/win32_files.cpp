// win32_files.cpp -- the tools' file and process calls on Windows, where the standard handles need no claiming.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/diagnostics.h"
#include "platform/files.h"

namespace plat {

int CreateForWriting(const std::string& path) {
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

// Windows opens never wait on a writer.
int OpenWithoutBlocking(const std::string& path) { return _open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT); }
bool ReadsMayBlock(int) { return true; }

int64_t WriteSome(int fd, const void* data, size_t size) {
  // _write takes an unsigned int count: larger writes go out in pieces.
  return _write(fd, data, static_cast<unsigned>(std::min<size_t>(size, 1u << 30)));
}
bool CloseFile(int fd) { return _close(fd) == 0; }
// Windows has no search permission on folders; writing is what may be refused.
bool MayWriteInto(const std::string& folder) { return _access(folder.c_str(), 2) == 0; }

void ForgetFile(const std::string& path) {
  struct _stat st;
  if (_stat(path.c_str(), &st) == 0 && (st.st_mode & _S_IFREG) && _unlink(path.c_str()) == 0) return;
  const int fd = _open(path.c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY);
  if (fd >= 0) _close(fd);
}

void CutFile(int fd, uint64_t size) {
  struct _stat st;
  if (_fstat(fd, &st) == 0 && (st.st_mode & _S_IFREG)) _chsize_s(fd, static_cast<long long>(size));
}

void BinaryStandardOutput() { _setmode(1, _O_BINARY); }
bool StandardErrorIsTerminal() { return _isatty(2); }
void IgnoreBrokenPipe() {}

std::string ThisProgram() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return {};
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(length), utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

// Windows starts every process with valid (or null) standard handles; there is nothing to claim.
void ClaimStandardDescriptors() {}

}  // namespace plat
