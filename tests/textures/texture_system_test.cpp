// texture_system_test.cpp -- cTextureSystem on the headless context: branch choice, uploads, failures.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include "assets/texture_system.h"
#include "support/image_files.h"
#include "platform/diagnostics.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"

using namespace MorlenGL;
using testimages::PngSpec;
using testsupport::ScopedChdir;
using testsupport::TempDir;

namespace {

struct LevelInfo {
  int width, height, internalFormat, wrapS, wrapT, minFilter, magFilter;
};

LevelInfo Inspect(uint32_t name, int level = 0) {
  glBindTexture(GL_TEXTURE_2D, name);
  LevelInfo info{};
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &info.width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &info.height);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_INTERNAL_FORMAT, &info.internalFormat);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &info.wrapS);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &info.wrapT);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &info.minFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &info.magFilter);
  return info;
}

std::vector<unsigned char> TexelsRgba(uint32_t name, int width, int height) {
  std::vector<unsigned char> out(static_cast<size_t>(width) * height * 4);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
  return out;
}

int BoundTexture() {
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  return bound;
}

// A data folder with the pictures the tests load, written as the show names them.
struct DataFolder {
  TempDir dir;
  ScopedChdir cd{dir.path()};
  PngSpec rgba{3, 2, 4, 8, 0, {255, 0, 0, 0, 0, 255, 0, 64, 0, 0, 255, 128,
                               10, 20, 30, 255, 40, 50, 60, 200, 70, 80, 90, 100}};
  // Three RGB pixels per row (9 bytes): upload must not assume 4-byte row alignment.
  PngSpec rgb{3, 3, 3, 8, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                              21, 22, 23, 24, 25, 26, 27, 28, 29}};
  DataFolder() {
    testimages::WritePng(dir.File("data/leaf.png"), rgba);
    testimages::WritePng(dir.File("data/opaque.png"), rgb);
    testimages::WritePng(dir.File("data/x.png.jpg"), rgba);  // PNG bytes, ".png" in the middle
    testimages::WritePng(dir.File("data/upper.PNG"), rgba);  // PNG bytes, upper-case extension
    testimages::WriteJpeg(dir.File("data/sky.jpg"), 48, 40, 3, testimages::Solid(48, 40, 0, 0, 255));
    testimages::WriteJpeg(dir.File("data/pic.PNG"), 48, 40, 3, testimages::Solid(48, 40, 0, 0, 255));
    testimages::WriteJpeg(dir.File("data/black.jpg"), 8, 8, 3, testimages::Solid(8, 8, 0, 0, 0));
  }
};

}  // namespace

TEST(TextureLoad, PngKeepsFileSizeAlphaAndRowsWithClampAndLinear) {
  REQUIRE_GL();
  DataFolder data;
  cTextureSystem texture;
  texture.Load("Data\\Leaf.png");
  ASSERT_NE(texture.textureId, 0u);
  const LevelInfo info = Inspect(texture.textureId);
  EXPECT_EQ(info.width, 3);
  EXPECT_EQ(info.height, 2);
  EXPECT_EQ(info.internalFormat, GL_RGBA);
  EXPECT_EQ(info.wrapS, GL_CLAMP);
  EXPECT_EQ(info.wrapT, GL_CLAMP);
  EXPECT_EQ(info.minFilter, GL_LINEAR);
  EXPECT_EQ(info.magFilter, GL_LINEAR);
  EXPECT_EQ(TexelsRgba(texture.textureId, 3, 2), data.rgba.pixels);
  GLint levels = -1;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levels);
  EXPECT_EQ(levels, 0) << "no mipmaps";
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST(TextureLoad, PngWithoutAlphaIsOpaqueWhateverTheUnpackAlignment) {
  REQUIRE_GL();
  DataFolder data;
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  cTextureSystem texture;
  texture.Load("data\\opaque.png");
  ASSERT_NE(texture.textureId, 0u);
  EXPECT_EQ(Inspect(texture.textureId).internalFormat, GL_RGB);
  const std::vector<unsigned char> texels = TexelsRgba(texture.textureId, 3, 3);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(texels[i * 4 + 0], data.rgb.pixels[i * 3 + 0]);
    EXPECT_EQ(texels[i * 4 + 1], data.rgb.pixels[i * 3 + 1]);
    EXPECT_EQ(texels[i * 4 + 2], data.rgb.pixels[i * 3 + 2]);
    EXPECT_EQ(texels[i * 4 + 3], 255);
  }
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 4) << "the caller's unpack alignment is restored";
}

TEST(TextureLoad, PictureBranchStretchesToPowerOfTwoWithRepeatAndNoMipmaps) {
  REQUIRE_GL();
  DataFolder data;
  cTextureSystem texture;
  texture.Load("Data\\sky.JPG");
  ASSERT_NE(texture.textureId, 0u);
  const LevelInfo info = Inspect(texture.textureId);
  EXPECT_EQ(info.width, 64);
  EXPECT_EQ(info.height, 32);
  EXPECT_EQ(info.internalFormat, GL_RGBA);
  EXPECT_EQ(info.wrapS, GL_REPEAT);
  EXPECT_EQ(info.minFilter, GL_LINEAR);
  EXPECT_EQ(info.magFilter, GL_LINEAR);
  const std::vector<unsigned char> texels = TexelsRgba(texture.textureId, 64, 32);
  EXPECT_LE(texels[0], 2);
  EXPECT_GE(texels[2], 250);
  EXPECT_EQ(texels[3], 255);

  cTextureSystem black;
  black.Load("data\\black.jpg");
  ASSERT_NE(black.textureId, 0u);
  EXPECT_EQ(Inspect(black.textureId).width, 8);
  const std::vector<unsigned char> keyed = TexelsRgba(black.textureId, 8, 8);
  for (size_t i = 3; i < keyed.size(); i += 4) ASSERT_EQ(keyed[i], 0) << "texel " << i / 4;
}

TEST(TextureLoad, PngBranchIsChosenByCaseSensitiveSubstring) {
  REQUIRE_GL();
  DataFolder data;
  testimages::CapturedDiagnostics diag;
  // ".png" in the middle of the name: decoded as PNG, so no power-of-two stretch and clamp wrap.
  cTextureSystem middle;
  middle.Load("data\\x.png.jpg");
  ASSERT_NE(middle.textureId, 0u);
  EXPECT_EQ(Inspect(middle.textureId).width, 3);
  EXPECT_EQ(Inspect(middle.textureId).wrapS, GL_CLAMP);
  // ".PNG" goes to the picture loader: a JPEG with that name loads as a picture...
  cTextureSystem jpegNamedPng;
  jpegNamedPng.Load("data\\pic.PNG");
  ASSERT_NE(jpegNamedPng.textureId, 0u);
  EXPECT_EQ(Inspect(jpegNamedPng.textureId).width, 64);
  EXPECT_EQ(Inspect(jpegNamedPng.textureId).wrapS, GL_REPEAT);
  EXPECT_TRUE(diag.lines.empty());
  // ...and real PNG bytes there are not a picture it can read.
  cTextureSystem pngNamedPng;
  pngNamedPng.Load("data\\upper.PNG");
  EXPECT_EQ(pngNamedPng.textureId, 0u);
  ASSERT_EQ(diag.lines.size(), 1u);
  EXPECT_NE(diag.lines[0].find("upper.PNG"), std::string::npos) << diag.lines[0];
}

TEST(TextureLoad, FailuresReportOnceAndLeaveTheDocumentedName) {
  REQUIRE_GL();
  DataFolder data;
  testsupport::WriteFile(data.dir.File("data/cut.png"),
                         testimages::ReadBytes(data.dir.File("data/leaf.png")).substr(0, 40));
  testsupport::WriteFile(data.dir.File("data/cut.jpg"),
                         testimages::ReadBytes(data.dir.File("data/sky.jpg")).substr(0, 200));
  glDisable(GL_TEXTURE_2D);

  struct Case {
    const char* path;
    uint32_t expected(uint32_t previous) const { return strstr(path, ".png") ? 0 : previous; }
  };
  for (const Case c : {Case{"data\\missing.png"}, Case{"data\\cut.png"}, Case{"data\\missing.jpg"},
                       Case{"data\\cut.jpg"}, Case{"http://example.org/sky.jpg"}}) {
    testimages::CapturedDiagnostics diag;
    cTextureSystem texture;
    texture.Load("data\\sky.jpg");
    const uint32_t previous = texture.textureId;
    ASSERT_NE(previous, 0u);
    texture.Load(c.path);
    EXPECT_EQ(texture.textureId, c.expected(previous)) << c.path;
    ASSERT_EQ(diag.lines.size(), 1u) << c.path;
    const std::string name = std::string(c.path).substr(std::string(c.path).rfind('\\') + 1);
    EXPECT_NE(diag.lines[0].find(strstr(c.path, "http") ? "http://example.org" : name.c_str()),
              std::string::npos) << diag.lines[0];
  }
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "every load enables texturing, failed or not";

  cTextureSystem fresh;
  testimages::CapturedDiagnostics diag;
  EXPECT_FALSE(LoadPictureFile("data\\missing.jpg", fresh));
  EXPECT_EQ(fresh.textureId, 0u);
}

TEST(TextureSystem, CreateWhiteBuildsATwoByTwoMipmappedWhiteTexture) {
  REQUIRE_GL();
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  cTextureSystem white;
  white.CreateWhite();
  ASSERT_NE(white.textureId, 0u);
  const LevelInfo info = Inspect(white.textureId);
  EXPECT_EQ(info.width, 2);
  EXPECT_EQ(info.height, 2);
  EXPECT_TRUE(info.internalFormat == 3 || info.internalFormat == GL_RGB) << info.internalFormat;
  EXPECT_EQ(info.minFilter, GL_LINEAR_MIPMAP_NEAREST);
  EXPECT_EQ(info.magFilter, GL_LINEAR);
  EXPECT_EQ(Inspect(white.textureId, 1).width, 1) << "mipmap level 1";
  for (unsigned char v : TexelsRgba(white.textureId, 2, 2)) EXPECT_EQ(v, 255);
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 1);
}

TEST(TextureSystem, BindUnbindAndWrapSetters) {
  REQUIRE_GL();
  cTextureSystem a, b;
  a.CreateWhite();
  b.CreateWhite();
  a.Bind();
  EXPECT_EQ(BoundTexture(), static_cast<int>(a.textureId));
  a.Unbind();
  EXPECT_EQ(BoundTexture(), 0);
  b.SetClamp();
  EXPECT_EQ(BoundTexture(), static_cast<int>(b.textureId));
  EXPECT_EQ(Inspect(b.textureId).wrapT, GL_CLAMP);
  b.Unbind();
  b.SetRepeat();
  EXPECT_EQ(BoundTexture(), static_cast<int>(b.textureId));
  EXPECT_EQ(Inspect(b.textureId).wrapS, GL_REPEAT);
  EXPECT_EQ(Inspect(a.textureId).wrapS, GL_REPEAT) << "the other texture is untouched";
}
