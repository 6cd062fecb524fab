// png_writer.cpp -- libpng's simplified writer, which needs no setjmp.
#include "png_writer.h"

#include <png.h>

#include <vector>

namespace capture {

bool WritePng(const std::string& path, const uint8_t* rgba, int width, int height, std::string* error) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i)
    for (int c = 0; c < 3; ++c) rgb[3 * i + c] = rgba[4 * i + c];

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  if (png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), width * 3, nullptr)) return true;
  *error = path + ": cannot write PNG: " + image.message;
  png_image_free(&image);
  return false;
}

}  // namespace capture
