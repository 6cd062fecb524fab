// png_writer.cpp -- libpng's simplified writer, which needs no setjmp, encoding into memory.
#include "png_writer.h"

#include <png.h>

#include <vector>

namespace capture {

namespace {

// Encoded in memory, so that the file is written by our own writes: libpng's own file writer
// removes the path when it fails, which deletes a link the user placed there.
bool EncodePng(const uint8_t* rgba, int width, int height, std::vector<uint8_t>* png, std::string* error) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i)
    for (int c = 0; c < 3; ++c) rgb[3 * i + c] = rgba[4 * i + c];
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  bool ok = png_image_write_get_memory_size(image, size, 0, rgb.data(), width * 3, nullptr);
  if (ok) {
    png->resize(size);
    ok = png_image_write_to_memory(&image, png->data(), &size, 0, rgb.data(), width * 3, nullptr);
    png->resize(size);
  }
  if (!ok) *error = std::string("cannot encode PNG: ") + image.message;
  png_image_free(&image);
  return ok;
}

}  // namespace

bool WritePng(OutputFile* file, const uint8_t* rgba, int width, int height, std::string* error) {
  std::vector<uint8_t> png;
  if (!EncodePng(rgba, width, height, &png, error)) {
    *error = file->Name() + ": " + *error;
  } else if (file->Write(png.data(), png.size(), error) && file->Close(error)) {
    return true;
  }
  file->Discard();
  return false;
}

bool WritePng(const std::string& path, const uint8_t* rgba, int width, int height, std::string* error) {
  OutputFile file;
  return file.Open(path, error) && WritePng(&file, rgba, width, height, error);
}

}  // namespace capture
