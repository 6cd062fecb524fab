// contact_sheet.cpp -- the sheet's layout, the box filter, a built-in digit font for the times and the sheet sink.
#include "contact_sheet.h"

#include <algorithm>
#include <cstring>

#include "bench_report.h"
#include "capture_options.h"
#include "png_writer.h"

namespace capture {

namespace {

constexpr int kGutter = 4;
constexpr uint8_t kBackground[4] = {32, 32, 32, 255};
constexpr uint8_t kInk[4] = {235, 235, 235, 255};

// ---- [digit font] ----
// 5 x 7 glyphs for what a show time is made of; each row's low five bits, leftmost pixel first.
constexpr int kGlyphWidth = 5, kGlyphHeight = 7, kGlyphAdvance = 6;
constexpr char kGlyphChars[] = "0123456789:.";
constexpr uint8_t kGlyphRows[][kGlyphHeight] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
    {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}, {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C},
};

const uint8_t* GlyphFor(char c) {
  const char* at = strchr(kGlyphChars, c);
  return c != '\0' && at ? kGlyphRows[at - kGlyphChars] : nullptr;
}

// ---- [sink] ----

class SheetSink final : public FrameSink {
 public:
  SheetSink(std::string path, std::vector<int64_t> picks, int tileWidth)
      : path_(std::move(path)), picks_(std::move(picks)),
        sheet_(LayOutSheet(static_cast<int>(picks_.size()), tileWidth)) {}
  bool Open(std::string* error) { return file_.Open(path_, error); }
  bool Wants(int64_t index) const override { return std::binary_search(picks_.begin(), picks_.end(), index); }
  bool AddLoading(const Frame&, std::string*) override { return true; }
  bool Add(const Frame& f, std::string*) override {
    auto at = std::lower_bound(picks_.begin(), picks_.end(), f.index);
    if (at == picks_.end() || *at != f.index) return true;
    sheet_.Place(static_cast<int>(at - picks_.begin()), f);
    ++placed_;
    return true;
  }
  bool Finish(std::string* error) override {
    // The show can end before the last pick only through a bug; say so rather than write a gap.
    if (placed_ < picks_.size()) {
      *error = path_ + ": the show ended after " + std::to_string(placed_) + " of the sheet's " +
               std::to_string(picks_.size()) + " frames";
      return false;
    }
    const SheetLayout& l = sheet_.Layout();
    written_ = WritePng(&file_, sheet_.Rgba().data(), l.width, l.height, error);
    return written_;
  }
  std::string Describe(int64_t) const override {
    if (!written_) return "";
    const SheetLayout& l = sheet_.Layout();
    return path_ + " (" + std::to_string(l.tiles) + " tiles, " + std::to_string(l.width) + " x " +
           std::to_string(l.height) + ")";
  }

 private:
  std::string path_;
  std::vector<int64_t> picks_;
  ContactSheet sheet_;
  size_t placed_ = 0;
  OutputFile file_;  // created with the sink, removed unless the sheet is written
  bool written_ = false;
};

}  // namespace

// ---- [layout] ----

bool IsTileWidth(int tileWidth) {
  // Under 64 pixels a time no longer fits its tile.
  if (tileWidth < 64 || tileWidth > kFrameWidth || kFrameWidth % tileWidth != 0) return false;
  return kFrameHeight % (kFrameWidth / tileWidth) == 0;
}

SheetLayout LayOutSheet(int tiles, int tileWidth) {
  SheetLayout l;
  l.tiles = tiles;
  l.shrink = kFrameWidth / tileWidth;
  l.tileWidth = tileWidth;
  l.tileHeight = kFrameHeight / l.shrink;
  l.textScale = tileWidth < 128 ? 1 : tileWidth < 512 ? 2 : 3;
  l.labelHeight = (kGlyphHeight + 4) * l.textScale;
  l.columns = std::clamp(tiles, 1, kSheetColumns);
  l.rows = std::max(1, (tiles + l.columns - 1) / l.columns);
  l.width = l.columns * (l.tileWidth + kGutter) + kGutter;
  l.height = l.rows * (l.tileHeight + l.labelHeight + kGutter) + kGutter;
  return l;
}

int SheetLayout::TileX(int tile) const { return kGutter + tile % columns * (tileWidth + kGutter); }
int SheetLayout::TileY(int tile) const { return kGutter + tile / columns * (tileHeight + labelHeight + kGutter); }

// ---- [box filter] ----

void ShrinkFrame(const uint8_t* rgba, int width, int height, int factor, std::vector<uint8_t>* shrunk) {
  const int w = width / factor, h = height / factor, n = factor * factor;
  shrunk->resize(static_cast<size_t>(w) * h * 4);
  std::vector<uint32_t> sums(static_cast<size_t>(w) * 4);
  for (int y = 0; y < h; ++y) {
    std::fill(sums.begin(), sums.end(), 0u);
    for (int sy = y * factor; sy < (y + 1) * factor; ++sy) {
      const uint8_t* row = rgba + static_cast<size_t>(sy) * width * 4;
      for (int x = 0; x < w * factor; ++x)
        for (int c = 0; c < 4; ++c) sums[static_cast<size_t>(x / factor) * 4 + c] += row[x * 4 + c];
    }
    uint8_t* out = shrunk->data() + static_cast<size_t>(y) * w * 4;
    for (size_t i = 0; i < sums.size(); ++i) out[i] = static_cast<uint8_t>((sums[i] + n / 2) / n);
  }
}

// ---- [sheet] ----

ContactSheet::ContactSheet(const SheetLayout& layout) : layout_(layout) {
  rgba_.resize(static_cast<size_t>(layout.width) * layout.height * 4);
  Fill(0, 0, layout.width, layout.height, kBackground);
}

void ContactSheet::Place(int tile, const Frame& frame) {
  if (tile < 0 || tile >= layout_.tiles || frame.width != kFrameWidth || frame.height != kFrameHeight) return;
  ShrinkFrame(frame.rgba, frame.width, frame.height, layout_.shrink, &tile_);
  const int x = layout_.TileX(tile), y = layout_.TileY(tile);
  const size_t row = static_cast<size_t>(layout_.tileWidth) * 4;
  for (int ty = 0; ty < layout_.tileHeight; ++ty)
    memcpy(&rgba_[(static_cast<size_t>(y + ty) * layout_.width + x) * 4], &tile_[ty * row], row);
  DrawText(x + 2 * layout_.textScale, y + layout_.tileHeight + 2 * layout_.textScale, FormatTime(frame.time));
}

void ContactSheet::DrawText(int x, int y, const std::string& text) {
  const int s = layout_.textScale;
  for (char c : text) {
    const uint8_t* glyph = GlyphFor(c);
    for (int gy = 0; glyph && gy < kGlyphHeight; ++gy)
      for (int gx = 0; gx < kGlyphWidth; ++gx)
        if (glyph[gy] >> (kGlyphWidth - 1 - gx) & 1) Fill(x + gx * s, y + gy * s, s, s, kInk);
    x += kGlyphAdvance * s;
  }
}

// Clipped to the sheet, so a label longer than its tile cannot write past the picture.
void ContactSheet::Fill(int x, int y, int width, int height, const uint8_t* colour) {
  const int x0 = std::max(x, 0), x1 = std::min(x + width, layout_.width);
  const int y0 = std::max(y, 0), y1 = std::min(y + height, layout_.height);
  for (int py = y0; py < y1; ++py)
    for (int px = x0; px < x1; ++px) memcpy(&rgba_[(static_cast<size_t>(py) * layout_.width + px) * 4], colour, 4);
}

std::unique_ptr<FrameSink> CreateSheetSink(const std::string& path, std::vector<int64_t> picks, int tileWidth,
                                           std::string* error) {
  auto sink = std::make_unique<SheetSink>(path, std::move(picks), tileWidth);
  if (!sink->Open(error)) return nullptr;
  return sink;
}

}  // namespace capture
