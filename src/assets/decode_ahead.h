// decode_ahead.h -- the data folder's pictures decoded on worker threads while loading goes on; every OpenGL call stays with the caller.
#pragma once
#include <memory>
#include <string>

#include "assets/image_decode.h"

namespace MorlenGL {

// How a texture loader decodes its file: as PNG (DecodePng), or as a picture stretched to
// texture sides no larger than maxSize (LoadPictureTexels).
struct DecodeRequest {
  std::string path;  // as the loader opens it
  bool png = false;
  int maxSize = 0;   // pictures only
};

// The texture loaders' rule: a name holding ".png" anywhere (in that case) is read as PNG, any
// other as a picture.
bool NamesPng(const std::string& path);

// Starts worker threads (one fewer than the processors, at least one) that decode, in name
// order, every picture file of `folder` the way the texture loaders would: names holding
// ".png" as PNG, ".jpg" and ".jpeg" in any case as pictures at maxSize. They hold at most
// a few hundred megabytes and stop where that is reached. A second Begin ends the first.
void BeginDecodeAhead(const std::string& folder, int maxSize);

// Returns once the workers have nothing left to begin: every file decoded, or they stopped
// for room. For checks that want the workers' results rather than the caller's.
void WaitForDecodeAhead();

// Waits for the workers and frees every decoded picture. Harmless without a Begin.
void EndDecodeAhead();

// Exactly what DecodePng or LoadPictureTexels decodes for the request (none where they fail),
// with the same diagnostics lines printed here, in the caller's order. Between Begin and End
// the picture comes from the workers when they have it (waiting for one they are decoding), a
// file no worker has begun is decoded here, and a file asked for again is not decoded again:
// callers share the one decoded picture.
std::shared_ptr<const Image> DecodeForTexture(const DecodeRequest& request);

}  // namespace MorlenGL
