// texture_system.h -- cTextureSystem: one OpenGL image texture, loaded from a PNG or JPEG data file.
#pragma once
#include <cstdint>

namespace MorlenGL {

// Holds the name of one 2D texture. The texture itself belongs to the GL context: destroying the
// holder does not delete it, and a second Load forgets the previous name.
class cTextureSystem {
 public:
  // Each of the four binds textureId to GL_TEXTURE_2D first; the wrap setters leave it bound.
  virtual void SetClamp();
  virtual void SetRepeat();
  virtual void Bind();
  virtual void Unbind();  // binds name 0

  // Enables GL_TEXTURE_2D, then decodes `path` (a data path such as "Data\leaf.png") into a new
  // texture. A path containing ".png" (case-sensitive, anywhere) is read as PNG: clamp wrap, linear
  // filters, file alpha kept; a failure leaves textureId 0. Any other path goes to LoadPictureFile,
  // whose failure leaves textureId as it was. Failures print one diagnostics line.
  void Load(const char* path);

  // A 2 x 2 white mipmapped RGB texture. Leaves GL_UNPACK_ALIGNMENT at 1.
  void CreateWhite();

  uint32_t textureId = 0;  // the GL texture name; 0 means none
};

// The non-PNG branch of Load: JPEG pictures stretched to power-of-two sides (at most the driver's
// largest), rows bottom-up, pure black transparent, linear filters, no mipmaps, default repeat wrap.
// A path containing "http://" is opened as it is, without data-path resolution; nothing is fetched.
// Returns false, with one diagnostics line and textureId untouched, when nothing was created.
bool LoadPictureFile(const char* path, cTextureSystem& texture);

// Starts decoding the pictures of the "data" folder on worker threads (decode_ahead.h), so the
// loads that follow find them decoded; EndDecodeAhead frees them once loading is over. The
// loads upload exactly what they would have decoded themselves.
void DecodeDataPicturesAhead();

}  // namespace MorlenGL
