// image_decode.cpp -- libpng and libjpeg decoding, power-of-two sizing, resampling and the black key.
#include "assets/image_decode.h"

#include <png.h>
#include <setjmp.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include "platform/data_path.h"
#include "platform/diagnostics.h"

namespace MorlenGL {

namespace {

// Closes the file on every way out of a decoder.
struct FileCloser {
  FILE* file;
  ~FileCloser() {
    if (file) fclose(file);
  }
};

// [SECTION] PNG ---------------------------------------------------------------------------------

struct PngJob {
  FILE* file = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  char error[256] = "";
  Image image;
  std::vector<png_bytep> rows;
};

void PngError(png_structp png, png_const_charp message) {
  auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
  snprintf(job->error, sizeof job->error, "%s", message);
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp message) { plat::Detail("libpng: %s", message); }

// Asks libpng for 8-bit RGB or RGBA whatever the file stores, with the display-gamma correction.
void RequestRgb8(png_structp png, png_infop info) {
  const int colour = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_strip_16(png);
  if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_interlace_handling(png);

  double fileGamma = 0;
  if (!png_get_gAMA(png, info, &fileGamma)) fileGamma = 1.0 / 2.2;
  png_set_gamma(png, PngScreenGamma(), fileGamma);
}

// Checked from the header, before anything is allocated for the pixels.
bool TooManyPixels(uint64_t width, uint64_t height, char* message, size_t size) {
  if (width * height <= static_cast<uint64_t>(kMaxDecodePixels)) return false;
  snprintf(message, size, "too large: %llu x %llu pixels, the limit is %lld pixels", static_cast<unsigned long long>(width),
           static_cast<unsigned long long>(height), static_cast<long long>(kMaxDecodePixels));
  return true;
}

// libpng reports errors by longjmp: every libpng call that may raise one stays inside this
// function, and nothing here owns a resource (the job does).
bool RunPngDecode(PngJob& job) {
  if (setjmp(png_jmpbuf(job.png))) return false;
  png_init_io(job.png, job.file);
  png_set_sig_bytes(job.png, 8);
  png_set_user_limits(job.png, kMaxDecodeSide, kMaxDecodeSide);
  png_read_info(job.png, job.info);
  if (TooManyPixels(png_get_image_width(job.png, job.info), png_get_image_height(job.png, job.info), job.error,
                    sizeof job.error))
    return false;
  RequestRgb8(job.png, job.info);
  png_read_update_info(job.png, job.info);

  Image& image = job.image;
  image.width = static_cast<int>(png_get_image_width(job.png, job.info));
  image.height = static_cast<int>(png_get_image_height(job.png, job.info));
  image.channels = png_get_channels(job.png, job.info);
  const size_t stride = png_get_rowbytes(job.png, job.info);
  if (image.channels < 3 || stride != static_cast<size_t>(image.width) * image.channels)
    png_error(job.png, "unexpected pixel layout after conversion");
  image.pixels.resize(stride * image.height);
  job.rows.resize(image.height);
  for (int y = 0; y < image.height; ++y) job.rows[y] = image.pixels.data() + stride * y;
  png_read_image(job.png, job.rows.data());
  png_read_end(job.png, nullptr);
  return true;
}

// [SECTION] JPEG --------------------------------------------------------------------------------

// More scans than any real picture carries (they have about ten). Damaged data is decoded on, so
// without a bound a small file of thousands of repeated scans would keep the decoder busy for
// minutes over a large picture.
constexpr int kMaxJpegScans = 500;

struct JpegErrors {
  jpeg_error_mgr manager;  // first, so libjpeg's pointer to it is a pointer to us
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX] = "";
  char firstWarning[JMSG_LENGTH_MAX] = "";  // libjpeg counts them in manager.num_warnings
  jpeg_progress_mgr scanGuard{};
};

[[noreturn]] void JpegFail(j_common_ptr info) {
  longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

void JpegErrorExit(j_common_ptr info) {
  info->err->format_message(info, reinterpret_cast<JpegErrors*>(info->err)->message);
  JpegFail(info);
}

// Warnings (level -1) are damage libjpeg decodes past: stray bytes before a marker, a scan cut
// short (the rest comes out grey). Keep the picture and the first warning; trace levels are noise.
void JpegMessage(j_common_ptr info, int level) {
  if (level >= 0) return;
  auto* errors = reinterpret_cast<JpegErrors*>(info->err);
  if (info->err->num_warnings++ == 0) info->err->format_message(info, errors->firstWarning);
}

void JpegSilence(j_common_ptr) {}

void JpegScanGuard(j_common_ptr info) {
  const auto* decoder = reinterpret_cast<j_decompress_ptr>(info);
  if (decoder->input_scan_number <= kMaxJpegScans) return;
  auto* errors = reinterpret_cast<JpegErrors*>(info->err);
  snprintf(errors->message, sizeof errors->message, "more than %d scans", kMaxJpegScans);
  JpegFail(info);
}

// libjpeg reports errors by longjmp: all its calls stay inside this function; the caller owns
// the decompressor and destroys it whichever way this returns.
bool RunJpegDecode(jpeg_decompress_struct& info, JpegErrors& errors, FILE* file, Image& image) {
  if (setjmp(errors.jump)) return false;
  jpeg_create_decompress(&info);
  info.progress = &errors.scanGuard;
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  if (info.image_width > static_cast<unsigned>(kMaxDecodeSide) ||
      info.image_height > static_cast<unsigned>(kMaxDecodeSide)) {
    snprintf(errors.message, sizeof errors.message, "picture of %ux%u pixels is too large",
             info.image_width, info.image_height);
    return false;
  }
  if (TooManyPixels(info.image_width, info.image_height, errors.message, sizeof errors.message)) return false;
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  image.width = static_cast<int>(info.output_width);
  image.height = static_cast<int>(info.output_height);
  image.channels = 3;
  const size_t stride = static_cast<size_t>(image.width) * 3;
  image.pixels.resize(stride * image.height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.pixels.data() + stride * info.output_scanline;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  return true;
}

// [SECTION] Resampling --------------------------------------------------------------------------

struct Tap {
  int index;
  float weight;
};

// Per output position, the source taps of a tent filter of radius max(1, src/dst), edges clamped.
std::vector<std::vector<Tap>> TentTaps(int srcSize, int dstSize) {
  const double scale = static_cast<double>(srcSize) / dstSize;
  const double radius = std::max(1.0, scale);
  std::vector<std::vector<Tap>> taps(dstSize);
  for (int i = 0; i < dstSize; ++i) {
    const double centre = (i + 0.5) * scale - 0.5;
    const int first = static_cast<int>(std::ceil(centre - radius));
    const int last = static_cast<int>(std::floor(centre + radius));
    double total = 0;
    for (int j = first; j <= last; ++j) {
      const double w = 1.0 - std::fabs(j - centre) / radius;
      if (w <= 0) continue;
      taps[i].push_back({std::clamp(j, 0, srcSize - 1), static_cast<float>(w)});
      total += w;
    }
    for (Tap& t : taps[i]) t.weight = static_cast<float>(t.weight / total);
  }
  return taps;
}

// Rounds halves away from zero, as lround does, and clamps to a byte; the sums are never
// negative. v - whole is exact for floats of this size, so this is lround to the bit.
unsigned char ToByte(float v) {
  if (!(v > 0.0f)) return 0;
  if (v >= 255.0f) return 255;
  const int whole = static_cast<int>(v);
  return static_cast<unsigned char>(whole + (v - static_cast<float>(whole) >= 0.5f ? 1 : 0));
}

// One source row through the horizontal taps into floats; with equal widths the taps are single
// weights of exactly 1, so the row is only converted.
void WidenRow(const unsigned char* row, int srcWidth, const std::vector<std::vector<Tap>>& across, int ch,
              float* target) {
  const int width = static_cast<int>(across.size());
  if (width == srcWidth) {
    for (int i = 0; i < width * ch; ++i) target[i] = row[i];
    return;
  }
  for (int x = 0; x < width; ++x)
    for (int c = 0; c < ch; ++c) {
      float sum = 0.0f;
      for (const Tap& t : across[x]) sum += t.weight * row[t.index * ch + c];
      target[x * ch + c] = sum;
    }
}

// The horizontal pass's rows that the vertical pass still needs: output rows take source rows in
// rising order, so a ring as deep as the widest span of rows one output row reads holds them all.
class WideRows {
 public:
  WideRows(const Image& src, const std::vector<std::vector<Tap>>& across, const std::vector<std::vector<Tap>>& down)
      : src_(src), across_(across), stride_(across.size() * src.channels) {
    for (const auto& taps : down) {
      auto [low, high] = std::minmax_element(taps.begin(), taps.end(),
                                             [](const Tap& a, const Tap& b) { return a.index < b.index; });
      if (low != taps.end()) depth_ = std::max(depth_, high->index - low->index + 1);
    }
    rows_.resize(stride_ * depth_);
    held_.assign(depth_, -1);
  }
  const float* Row(int y) {
    const int slot = y % depth_;
    float* row = rows_.data() + stride_ * slot;
    if (held_[slot] != y) {
      WidenRow(src_.pixels.data() + static_cast<size_t>(y) * src_.width * src_.channels, src_.width, across_,
               src_.channels, row);
      held_[slot] = y;
    }
    return row;
  }

 private:
  const Image& src_;
  const std::vector<std::vector<Tap>>& across_;
  size_t stride_;
  int depth_ = 1;
  std::vector<float> rows_;
  std::vector<int> held_;  // the source row each slot holds, -1 for none
};

}  // namespace

// [SECTION] Public entry points ------------------------------------------------------------------

double PngScreenGamma() {
  double viewing = 1.0;
  if (const char* text = getenv("VIEWING_GAMMA")) {
    char* end = nullptr;
    const double v = strtod(text, &end);
    if (end != text && std::isfinite(v) && v > 0) viewing = v;
  }
  return 2.2 / viewing;
}

bool DecodePng(const std::string& path, Image* out) {
  PngJob job;
  std::string why;
  job.file = plat::OpenDataFile(path, kPictureFileLimit, &why);
  FileCloser closer{job.file};
  if (!job.file) {
    plat::Report("%s: %s", path.c_str(), why.c_str());
    return false;
  }
  png_byte signature[8] = {};
  if (fread(signature, 1, 8, job.file) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
    plat::Report("%s: not a PNG file", path.c_str());
    return false;
  }
  job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, PngError, PngWarning);
  if (job.png) job.info = png_create_info_struct(job.png);
  bool ok = false;
  if (!job.info) {
    snprintf(job.error, sizeof job.error, "out of memory");
  } else {
    try {
      ok = RunPngDecode(job);
    } catch (const std::bad_alloc&) {
      snprintf(job.error, sizeof job.error, "out of memory");
    }
  }
  png_destroy_read_struct(&job.png, job.info ? &job.info : nullptr, nullptr);
  if (!ok) {
    plat::Report("%s: cannot decode PNG (%s)", path.c_str(), job.error);
    return false;
  }
  *out = std::move(job.image);
  return true;
}

bool DecodeJpeg(const std::string& path, Image* out) {
  std::string why;
  FILE* file = plat::OpenDataFile(path, kPictureFileLimit, &why);
  FileCloser closer{file};
  if (!file) {
    plat::Report("%s: %s", path.c_str(), why.c_str());
    return false;
  }
  jpeg_decompress_struct info;
  JpegErrors errors;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JpegErrorExit;
  errors.manager.emit_message = JpegMessage;
  errors.manager.output_message = JpegSilence;
  errors.scanGuard.progress_monitor = JpegScanGuard;
  Image image;
  bool ok = false;
  try {
    ok = RunJpegDecode(info, errors, file, image);
  } catch (const std::bad_alloc&) {
    snprintf(errors.message, sizeof errors.message, "out of memory");
  }
  jpeg_destroy_decompress(&info);
  if (!ok) {
    plat::Report("%s: cannot decode picture (%s)", path.c_str(), errors.message);
    return false;
  }
  const long warnings = errors.manager.num_warnings;
  if (warnings == 1) plat::Detail("%s: decoded past damage (%s)", path.c_str(), errors.firstWarning);
  if (warnings > 1)
    plat::Detail("%s: decoded past damage (%s, and %ld more warnings)", path.c_str(),
                 errors.firstWarning, warnings - 1);
  *out = std::move(image);
  return true;
}

int PictureTextureSide(int pixels, int maxSize) {
  maxSize = std::max(maxSize, 1);
  if (pixels > maxSize) return maxSize;
  if (pixels < 1) return 1;
  // ln 2 in single precision, the rest in double: this decides the rounding near the midpoints.
  const double ln2 = std::log(2.0f);
  const double exponent = std::floor(std::log(static_cast<double>(pixels)) / ln2 + 0.5);
  const int64_t side = int64_t{1} << static_cast<int>(exponent);
  return static_cast<int>(std::min<int64_t>(side, maxSize));
}

Image Resample(const Image& src, int width, int height) {
  Image dst;
  dst.width = width;
  dst.height = height;
  dst.channels = src.channels;
  if (width < 1 || height < 1 || src.width < 1 || src.height < 1 || src.channels < 1) {
    dst.width = dst.height = 0;
    return dst;
  }
  const int ch = src.channels;
  // Equal sizes are an exact copy: every tap is one weight of exactly 1.
  if (width == src.width && height == src.height) {
    dst.pixels = src.pixels;
    return dst;
  }
  const auto across = TentTaps(src.width, width);
  const auto down = TentTaps(src.height, height);
  WideRows wide(src, across, down);

  // Vertical pass over the horizontally filtered rows, to bytes.
  dst.pixels.resize(static_cast<size_t>(width) * height * ch);
  std::vector<float> sum(static_cast<size_t>(width) * ch);
  for (int y = 0; y < height; ++y) {
    std::fill(sum.begin(), sum.end(), 0.0f);
    for (const Tap& t : down[y]) {
      const float* row = wide.Row(t.index);
      for (size_t i = 0; i < sum.size(); ++i) sum[i] += t.weight * row[i];
    }
    unsigned char* target = dst.pixels.data() + static_cast<size_t>(y) * width * ch;
    for (size_t i = 0; i < sum.size(); ++i) target[i] = ToByte(sum[i]);
  }
  return dst;
}

Image PictureTexels(const Image& rgb) {
  Image out;
  out.width = rgb.width;
  out.height = rgb.height;
  out.channels = 4;
  out.pixels.resize(static_cast<size_t>(rgb.width) * rgb.height * 4);
  for (int y = 0; y < rgb.height; ++y) {
    const unsigned char* from = rgb.pixels.data() + static_cast<size_t>(y) * rgb.width * 3;
    unsigned char* to = out.pixels.data() + static_cast<size_t>(rgb.height - 1 - y) * rgb.width * 4;
    for (int x = 0; x < rgb.width; ++x, from += 3, to += 4) {
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
      to[3] = (from[0] | from[1] | from[2]) ? 255 : 0;
    }
  }
  return out;
}

Image PictureTexture(const Image& picture, int maxSize) {
  const int width = PictureTextureSide(picture.width, maxSize);
  const int height = PictureTextureSide(picture.height, maxSize);
  return PictureTexels(Resample(picture, width, height));
}

bool LoadPictureTexels(const std::string& path, int maxSize, Image* out) {
  Image picture;
  if (!DecodeJpeg(path, &picture)) return false;
  *out = PictureTexture(picture, maxSize);
  return true;
}

}  // namespace MorlenGL
