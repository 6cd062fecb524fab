// image_writers.h -- 8-bit pictures and their PNG (libpng) and JPEG (libjpeg-turbo) encodings.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

// Rows top to bottom, channels interleaved: 3 (RGB) or 4 (RGBA).
struct Image {
  int width = 0, height = 0, channels = 3;
  std::vector<uint8_t> pixels;
  Image() = default;
  Image(int w, int h, int c) : width(w), height(h), channels(c), pixels(size_t(w) * size_t(h) * size_t(c)) {}
  uint8_t* At(int x, int y) { return &pixels[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels)]; }
};

// Both return false with *error set when the library refuses the picture.
bool EncodePng(const Image& image, std::string* bytes, std::string* error);
bool EncodeJpeg(const Image& image, int quality, std::string* bytes, std::string* error);

}  // namespace datagen
