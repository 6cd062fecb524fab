// image_decode.h -- PNG and JPEG files to pixel arrays, and the picture loader's sizing and pixel rules; no OpenGL.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace MorlenGL {

// Tightly packed 8-bit pixels, `channels` bytes each (3 = RGB, 4 = RGBA), rows in the order stated
// by whoever filled it. The owner holds it by value.
struct Image {
  int width = 0;
  int height = 0;
  int channels = 0;
  std::vector<unsigned char> pixels;
};

// Refuses pictures wider or taller than this: far above any texture the show uses, and a guard
// against headers that would have us allocate gigabytes.
constexpr int kMaxDecodeSide = 8192;
// And pictures of more pixels than this in all (64 MB as RGBA): the show's largest has under a
// million, and thirty files of 8192 x 8192 would decode to gigabytes.
constexpr int64_t kMaxDecodePixels = int64_t{4096} * 4096;
// Picture files larger than this are refused unread.
constexpr uint64_t kPictureFileLimit = uint64_t{64} << 20;

// Decodes a PNG file to 8 bits per channel: RGBA when the file carries alpha (an alpha channel or a
// transparency chunk), else RGB. Rows stay in file order, top row first. Display gamma follows the
// PNG texture loader the show was made with: screen gamma 2.2 / viewing gamma ("VIEWING_GAMMA",
// default 1.0) against the file's gAMA (default 1/2.2), so an ordinary PNG decodes unchanged.
// On failure: one diagnostics line naming `path`, false, `out` untouched.
bool DecodePng(const std::string& path, Image* out);

// Decodes a baseline or progressive JPEG to RGB, top row first. Damage libjpeg decodes past with
// a warning (stray bytes before a marker; a scan cut short, whose rest comes out grey) still
// yields the picture, with one diagnostics line in verbose runs. Only what libjpeg cannot decode,
// or a file of absurdly many scans, fails as DecodePng does.
bool DecodeJpeg(const std::string& path, Image* out);

// Screen gamma for PNG decoding, from "VIEWING_GAMMA" (unset, unparsable or not positive: 1.0).
double PngScreenGamma();

// The picture loader's texture side for `pixels` image pixels: the power of two nearest in the
// logarithmic sense when pixels <= maxSize, else maxSize; never more than maxSize, never below 1.
int PictureTextureSide(int pixels, int maxSize);

// Stretches a top-down image to width x height with a separable tent filter whose radius grows
// with the reduction factor: plain bilinear interpolation when enlarging, area-weighted averaging
// when shrinking (so a 3000-pixel picture squeezed to 2048 does not alias). Keeps `channels`.
Image Resample(const Image& src, int width, int height);

// What the picture loader uploads from a top-down RGB image already at texture size: RGBA, rows
// bottom-up, alpha 0 for pure black and 255 for everything else.
Image PictureTexels(const Image& rgb);

// A decoded top-down RGB picture as the picture loader uploads it: each side sized by
// PictureTextureSide against maxSize (the driver's largest texture side), stretched, converted.
Image PictureTexture(const Image& picture, int maxSize);

// DecodeJpeg, then PictureTexture. Failure as for DecodeJpeg.
bool LoadPictureTexels(const std::string& path, int maxSize, Image* out);

}  // namespace MorlenGL
