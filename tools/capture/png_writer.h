// png_writer.h -- captured frames as 8-bit RGB PNG files.
#pragma once
#include <cstdint>
#include <string>

#include "output_file.h"

namespace capture {

// rgba: width * height pixels, top row first. Alpha is dropped: what the window shows has
// none, and the framebuffer's alpha channel is whatever the passes left there. The picture is
// written to `file` (opened beforehand, closed here, removed on failure).
bool WritePng(OutputFile* file, const uint8_t* rgba, int width, int height, std::string* error);
// The same to a file opened here.
bool WritePng(const std::string& path, const uint8_t* rgba, int width, int height, std::string* error);

}  // namespace capture
