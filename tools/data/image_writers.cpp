// image_writers.cpp -- libpng and libjpeg encoders; each library's longjmp recovery stays in one function.
#include "image_writers.h"

#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

namespace datagen {

// ---- [png] ----

static void PngAppend(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::string*>(png_get_io_ptr(png));
  out->append(reinterpret_cast<const char*>(data), length);
}

static void PngFlush(png_structp) {}

bool EncodePng(const Image& image, std::string* bytes, std::string* error) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    *error = "libpng could not start";
    return false;
  }
  bytes->clear();
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    *error = "libpng failed to encode";
    return false;
  }
  png_set_write_fn(png, bytes, PngAppend, PngFlush);
  png_set_compression_level(png, 6);
  int type = image.channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB;
  png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8, type, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  size_t stride = size_t(image.width) * size_t(image.channels);
  for (int y = 0; y < image.height; ++y)
    png_write_row(png, const_cast<png_bytep>(&image.pixels[size_t(y) * stride]));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

// ---- [jpeg] ----

namespace {
struct JpegError {
  jpeg_error_mgr base;
  jmp_buf jump;
};
void JpegFail(j_common_ptr cinfo) { longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }
}  // namespace

bool EncodeJpeg(const Image& image, int quality, std::string* bytes, std::string* error) {
  if (image.channels != 3) {
    *error = "a JPEG picture needs three channels";
    return false;
  }
  jpeg_compress_struct cinfo;
  JpegError jerr;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  cinfo.err = jpeg_std_error(&jerr.base);
  jerr.base.error_exit = JpegFail;
  if (setjmp(jerr.jump)) {
    jpeg_destroy_compress(&cinfo);
    free(buffer);
    *error = "libjpeg failed to encode";
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(image.width);
  cinfo.image_height = JDIMENSION(image.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.dct_method = JDCT_ISLOW;  // the integer transform gives the same bytes on every machine
  jpeg_start_compress(&cinfo, TRUE);
  size_t stride = size_t(image.width) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&image.pixels[size_t(cinfo.next_scanline) * stride]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  bytes->assign(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&cinfo);
  free(buffer);
  return true;
}

}  // namespace datagen
