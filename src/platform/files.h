// files.h -- the few file and process calls of the tools that differ from system to system.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

// Creates or empties `path` for writing bytes as they are (no line-end translation), kept from
// child processes; -1 with errno set on failure.
int CreateForWriting(const std::string& path);
// Opens `path` for reading bytes as they are, without waiting (a FIFO's open would wait for a
// writer), kept from child processes; -1 with errno set on failure.
int OpenWithoutBlocking(const std::string& path);
// Lets reads of a descriptor opened that way wait as usual again; false with errno set on failure.
bool ReadsMayBlock(int fd);
// Writes up to `size` bytes once; the count written, or -1 with errno set (EINTR: try again).
int64_t WriteSome(int fd, const void* data, size_t size);
// Closes a descriptor from CreateForWriting; false with errno set when its last writes failed.
bool CloseFile(int fd);
// Whether files may be made in `folder`; false with errno set otherwise.
bool MayWriteInto(const std::string& folder);
// Removes a plain file given up on; through a link, or for a device, it can only be emptied.
void ForgetFile(const std::string& path);
// Cuts an open plain file to `size` bytes; pipes and devices stay as they are.
void CutFile(int fd, uint64_t size);

// Standard output carries bytes as they are (Windows would write "\r\n" for "\n").
void BinaryStandardOutput();
// Whether standard error is a terminal, where progress may redraw one line.
bool StandardErrorIsTerminal();
// A reader that goes away early (ffmpeg stopping) is a write error, not the end of the process.
void IgnoreBrokenPipe();
// The running program's own file, to start copies of it.
std::string ThisProgram();

}  // namespace plat
