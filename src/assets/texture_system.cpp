// texture_system.cpp -- cTextureSystem: decoding through image_decode (or the workers that decode ahead), upload and binding.
#include "assets/texture_system.h"

#include <epoxy/gl.h>
#include <GL/glu.h>

#include <cstring>
#include <string>

#include "assets/decode_ahead.h"
#include "assets/image_decode.h"
#include "platform/data_path.h"
#include "platform/diagnostics.h"

namespace MorlenGL {

namespace {

// Level 0 from tightly packed rows; the caller's unpack alignment is put back afterwards.
void UploadLevel0(const Image& image) {
  const GLenum format = image.channels == 4 ? GL_RGBA : GL_RGB;
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, format, image.width, image.height, 0, format, GL_UNSIGNED_BYTE,
               image.pixels.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

void SetLinearFilters() {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void SetWrap(GLint mode) {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, mode);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, mode);
}

// The PNG branch: rows go up in file order (top row first), which is why the show draws its PNG
// overlays on a quad flipped in y. Returns the new texture name, 0 on failure.
GLuint LoadPngTexture(const char* path) {
  const std::shared_ptr<const Image> image = DecodeForTexture({plat::ResolveDataPath(path), true, 0});
  if (!image) return 0;
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  SetWrap(GL_CLAMP);
  SetLinearFilters();
  UploadLevel0(*image);
  return name;
}

}  // namespace

void cTextureSystem::SetClamp() {
  glBindTexture(GL_TEXTURE_2D, textureId);
  SetWrap(GL_CLAMP);
}

void cTextureSystem::SetRepeat() {
  glBindTexture(GL_TEXTURE_2D, textureId);
  SetWrap(GL_REPEAT);
}

void cTextureSystem::Bind() { glBindTexture(GL_TEXTURE_2D, textureId); }

void cTextureSystem::Unbind() { glBindTexture(GL_TEXTURE_2D, 0); }

void cTextureSystem::Load(const char* path) {
  glEnable(GL_TEXTURE_2D);
  if (!path) {
    plat::Report("texture load without a file name");
    return;
  }
  if (NamesPng(path))
    textureId = LoadPngTexture(path);
  else
    LoadPictureFile(path, *this);
}

bool LoadPictureFile(const char* path, cTextureSystem& texture) {
  if (!path) {
    plat::Report("picture load without a file name");
    return false;
  }
  // There is no picture service here to fetch a URL: it is tried as a plain file and fails.
  const std::string file = strstr(path, "http://") ? std::string(path) : plat::ResolveDataPath(path);
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  const std::shared_ptr<const Image> texels = DecodeForTexture({file, false, maxSize});
  if (!texels) return false;

  GLuint name = 0;
  glGenTextures(1, &name);
  texture.textureId = name;
  glBindTexture(GL_TEXTURE_2D, name);
  SetLinearFilters();
  UploadLevel0(*texels);
  return true;
}

void DecodeDataPicturesAhead() {
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  BeginDecodeAhead(plat::ResolveDataPath("data"), maxSize);
}

void cTextureSystem::CreateWhite() {
  unsigned char white[12];
  memset(white, 255, sizeof white);
  GLuint name = 0;
  glGenTextures(1, &name);
  textureId = name;
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gluBuild2DMipmaps(GL_TEXTURE_2D, 3, 2, 2, GL_RGB, GL_UNSIGNED_BYTE, white);
}

}  // namespace MorlenGL
