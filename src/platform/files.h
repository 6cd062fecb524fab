// files.h -- the few file and process calls of the tools that differ from system to system.
#pragma once
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
// Removes a plain file given up on; through a link, or for a device, it can only be emptied.
void ForgetFile(const std::string& path);
// Cuts an open plain file to `size` bytes; pipes and devices stay as they are.
void CutFile(int fd, uint64_t size);

// Standard output carries bytes as they are (Windows would write "\r\n" for "\n").
void BinaryStandardOutput();
// A reader that goes away early (ffmpeg stopping) is a write error, not the end of the process.
void IgnoreBrokenPipe();
// The running program's own file, to start copies of it.
std::string ThisProgram();

}  // namespace plat
