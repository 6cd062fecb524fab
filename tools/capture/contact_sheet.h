// contact_sheet.h -- frames of the show shrunk into one picture, a grid of tiles each labelled with its show time.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frame_sink.h"

namespace capture {

constexpr int kSheetColumns = 6;
// Larger sheets are refused rather than written: a picture past this is no overview.
constexpr int64_t kMaxSheetPixels = int64_t{1} << 25;

// Where everything lies on a sheet. Tiles run left to right, then top to bottom; under each
// lies a strip with its time; a gutter of background surrounds every cell.
struct SheetLayout {
  int tiles = 0;
  int shrink = 1;  // frame pixels per tile pixel, each way
  int tileWidth = 0, tileHeight = 0;
  int labelHeight = 0, textScale = 1;
  int columns = 0, rows = 0;
  int width = 0, height = 0;  // the whole picture
  int TileX(int tile) const;
  int TileY(int tile) const;
};

// Whether frames (kFrameWidth x kFrameHeight) shrink to `tileWidth` by a whole factor that
// also divides their height, with room for a time: 1024, 512, 256, 128 and 64.
bool IsTileWidth(int tileWidth);
SheetLayout LayOutSheet(int tiles, int tileWidth);

// Each pixel of the smaller picture is the rounded mean of a factor x factor block (a box
// filter); both pictures RGBA, top row first. width and height are multiples of factor.
void ShrinkFrame(const uint8_t* rgba, int width, int height, int factor, std::vector<uint8_t>* shrunk);

// Owner: the sheet sink holds one while the show runs.
class ContactSheet {
 public:
  explicit ContactSheet(const SheetLayout& layout);
  // Shrinks the frame into tile `tile` and writes its show time in the strip below.
  void Place(int tile, const Frame& frame);
  const std::vector<uint8_t>& Rgba() const { return rgba_; }
  const SheetLayout& Layout() const { return layout_; }

 private:
  void DrawText(int x, int y, const std::string& text);
  void Fill(int x, int y, int width, int height, const uint8_t* colour);

  SheetLayout layout_;
  std::vector<uint8_t> rgba_;
  std::vector<uint8_t> tile_;  // scratch for the shrunk frame
};

// Keeps the section's frames `picks` (indices from its first frame, ascending) as tiles and
// writes the sheet to `path` (created at once) when the run finishes.
std::unique_ptr<FrameSink> CreateSheetSink(const std::string& path, std::vector<int64_t> picks, int tileWidth,
                                           std::string* error);

}  // namespace capture
