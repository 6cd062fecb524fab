// image_report.cpp -- "image FILE": which decoding branch a texture path takes and what it yields.
#include <cstring>

#include "assets/image_decode.h"
#include "reports.h"
#include "json_writer.h"
#include "platform/data_path.h"

namespace inspect {

namespace {

using MorlenGL::Image;

// No OpenGL here: the picture branch is sized against this largest texture side.
constexpr int kMaxTextureSide = 8192;

int64_t TransparentTexels(const Image& image) {
  if (image.channels != 4) return 0;
  int64_t count = 0;
  for (size_t i = 3; i < image.pixels.size(); i += 4) count += image.pixels[i] == 0;
  return count;
}

void WriteSize(JsonWriter& json, const char* key, const Image& image) {
  json.Key(key);
  json.BeginObject();
  json.Key("width");
  json.Int(image.width);
  json.Key("height");
  json.Int(image.height);
  json.EndObject();
}

}  // namespace

int InspectImage(const std::string& path) {
  // The same rule as the texture loader: ".png" anywhere in the path picks the PNG branch.
  bool png = strstr(path.c_str(), ".png") != nullptr;
  std::string file = strstr(path.c_str(), "http://") ? path : plat::ResolveDataPath(path);
  Image decoded, texels;
  if (png) {
    if (!MorlenGL::DecodePng(file, &decoded)) return kBadInput;
    texels = decoded;  // uploaded as decoded
  } else {
    if (!MorlenGL::DecodeJpeg(file, &decoded)) return kBadInput;
    texels = MorlenGL::PictureTexture(decoded, kMaxTextureSide);
  }
  JsonWriter json(stdout);
  json.BeginObject();
  json.Key("file");
  json.String(path);
  json.Key("branch");
  json.String(png ? "png" : "picture");
  WriteSize(json, "decoded", decoded);
  WriteSize(json, "texture", texels);
  if (!png) {
    json.Key("maxTextureSide");
    json.Int(kMaxTextureSide);
  }
  json.Key("alpha");
  json.Bool(texels.channels == 4);
  json.Key("transparentTexels");
  json.Int(TransparentTexels(texels));
  json.EndObject();
  json.Finish();
  return kOk;
}

}  // namespace inspect
