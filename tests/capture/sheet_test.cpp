// sheet_test.cpp -- the contact sheet: its grid, the box filter, the time labels, and tiles equal to the frames the capture writes.
#include <gtest/gtest.h>
#include <png.h>

#include <string>
#include <vector>

#include "contact_sheet.h"
#include "support/temp_dir.h"
#include "tool_runner.h"

using capture::Frame;
using capture::SheetLayout;

namespace {

// RGBA, top row first; empty when the file is no PNG.
std::vector<uint8_t> ReadPng(const std::string& path, int* width, int* height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return {};
  *width = static_cast<int>(image.width);
  *height = static_cast<int>(image.height);
  return rgba;
}

// The RGB of a w x h block at (x, y) of an RGBA picture `stride` pixels wide.
std::vector<uint8_t> Block(const std::vector<uint8_t>& rgba, int stride, int x, int y, int w, int h) {
  std::vector<uint8_t> rgb;
  for (int by = y; by < y + h; ++by)
    for (int bx = x; bx < x + w; ++bx)
      for (int c = 0; c < 3; ++c) rgb.push_back(rgba[(static_cast<size_t>(by) * stride + bx) * 4 + c]);
  return rgb;
}

std::vector<uint8_t> ShrunkRgb(const std::vector<uint8_t>& frame, int factor) {
  std::vector<uint8_t> shrunk;
  capture::ShrinkFrame(frame.data(), 1024, 768, factor, &shrunk);
  return Block(shrunk, 1024 / factor, 0, 0, 1024 / factor, 768 / factor);
}

// A frame of the window's size whose every 16 x 16 block differs from its neighbours.
std::vector<uint8_t> PatternFrame(uint8_t seed) {
  std::vector<uint8_t> px;
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x)
      px.insert(px.end(), {uint8_t(x / 16 * 7 + seed), uint8_t(y / 16 * 5), uint8_t((x + y) % 251), 255});
  return px;
}

}  // namespace

TEST(ContactSheet, SixColumnsOfTilesEachWithAStripForItsTime) {
  SheetLayout two = capture::LayOutSheet(2, 256);
  EXPECT_EQ(two.columns, 2);
  EXPECT_EQ(two.rows, 1);
  EXPECT_EQ(two.tileHeight, 192);
  EXPECT_EQ(two.width, 2 * (256 + 4) + 4);
  EXPECT_EQ(two.height, 192 + two.labelHeight + 8);
  SheetLayout show = capture::LayOutSheet(31, 128);  // the whole show every 10 s
  EXPECT_EQ(show.columns, 6);
  EXPECT_EQ(show.rows, 6);
  EXPECT_EQ(show.shrink, 8);
  EXPECT_EQ(show.TileX(7), 4 + 132);
  EXPECT_EQ(show.TileY(7), 4 + 96 + show.labelHeight + 4);
  EXPECT_EQ(show.height, 6 * (96 + show.labelHeight + 4) + 4);
  for (int w : {1024, 512, 256, 128, 64}) EXPECT_TRUE(capture::IsTileWidth(w)) << w;
  for (int w : {0, 32, 100, 200, 300, 2048}) EXPECT_FALSE(capture::IsTileWidth(w)) << w;
}

TEST(ContactSheet, ShrinkingTakesTheRoundedMeanOfEachBlock) {
  // 8 x 4 into 2 x 1: the left block's red counts 0..15 (mean 7.5), its blue has one 255
  // (mean 15.94); the right block is one colour.
  std::vector<uint8_t> px;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x)
      px.insert(px.end(), x < 4 ? std::initializer_list<uint8_t>{uint8_t(y * 4 + x), 200, uint8_t(x + y ? 0 : 255), 9}
                                : std::initializer_list<uint8_t>{17, 18, 19, 20});
  std::vector<uint8_t> shrunk;
  capture::ShrinkFrame(px.data(), 8, 4, 4, &shrunk);
  EXPECT_EQ(shrunk, (std::vector<uint8_t>{8, 200, 16, 9, 17, 18, 19, 20}));
}

TEST(ContactSheet, TilesHoldTheShrunkFramesAndTheirTimesStayInTheirStrips) {
  const SheetLayout l = capture::LayOutSheet(7, 64);
  capture::ContactSheet sheet(l);
  const std::vector<uint8_t> a = PatternFrame(0), b = PatternFrame(3);
  sheet.Place(1, Frame{0, 1000, 1024, 768, a.data()});
  sheet.Place(2, Frame{1, 2000, 1024, 768, a.data()});
  sheet.Place(6, Frame{2, 1000, 1024, 768, b.data()});
  sheet.Place(3, Frame{3, 3000, 640, 480, a.data()});  // not a frame of the window: left empty
  const std::vector<uint8_t>& px = sheet.Rgba();
  ASSERT_EQ(px.size(), size_t(l.width) * l.height * 4);
  auto tile = [&](int i) { return Block(px, l.width, l.TileX(i), l.TileY(i), l.tileWidth, l.tileHeight); };
  auto strip = [&](int i) {
    return Block(px, l.width, l.TileX(i), l.TileY(i) + l.tileHeight, l.tileWidth, l.labelHeight);
  };
  EXPECT_EQ(tile(1), ShrunkRgb(a, 16));
  EXPECT_EQ(tile(6), ShrunkRgb(b, 16));
  EXPECT_NE(tile(1), tile(6));
  // The same time reads the same in any strip, another time otherwise; an empty strip is bare.
  const std::vector<uint8_t> bare(size_t(l.tileWidth) * l.labelHeight * 3, 32);
  EXPECT_NE(strip(1), bare);
  EXPECT_EQ(strip(1), strip(6));
  EXPECT_NE(strip(1), strip(2));
  EXPECT_EQ(strip(3), bare);
  EXPECT_EQ(tile(3), std::vector<uint8_t>(size_t(l.tileWidth) * l.tileHeight * 3, 32));
  // Outside the cells only the background shows: the gutters, and the sheet's far right.
  for (int y = 0; y < l.height; ++y)
    for (int x : {0, l.TileX(1) - 1, l.width - 1}) ASSERT_EQ(px[(size_t(y) * l.width + x) * 4], 32) << x << "," << y;
}

TEST(ContactSheet, TheSinkReadsOnlyItsPicksAndWritesNoSheetWithAGap) {
  testsupport::TempDir dir;
  std::string error;
  auto sink = capture::CreateSheetSink(dir.File("s.png"), {0, 3}, 128, &error);
  ASSERT_TRUE(sink) << error;
  EXPECT_TRUE(sink->Wants(0));
  EXPECT_FALSE(sink->Wants(1));
  EXPECT_TRUE(sink->Wants(3));
  const std::vector<uint8_t> frame = PatternFrame(1);
  ASSERT_TRUE(sink->Add({0, 0, 1024, 768, frame.data()}, &error));
  EXPECT_FALSE(sink->Finish(&error)) << "the show ended before the second pick";
  EXPECT_NE(error.find("1 of the sheet's 2"), std::string::npos) << error;
  ASSERT_TRUE(sink->Add({3, 150, 1024, 768, frame.data()}, &error));
  ASSERT_TRUE(sink->Finish(&error)) << error;
  int w = 0, h = 0;
  std::vector<uint8_t> png = ReadPng(dir.File("s.png"), &w, &h);
  const SheetLayout l = capture::LayOutSheet(2, 128);
  EXPECT_EQ(w, l.width);
  EXPECT_EQ(h, l.height);
  EXPECT_EQ(sink->Describe(4), dir.File("s.png") + " (2 tiles, " + std::to_string(w) + " x " + std::to_string(h) + ")");
  EXPECT_FALSE(capture::CreateSheetSink(dir.File("none/s.png"), {0}, 128, &error)) << "refused before any frame";
  EXPECT_NE(error.find("none/s.png"), std::string::npos);
}

TEST(ContactSheetRun, TilesAreTheFramesTheCaptureWritesForTheSameTimes) {
  // Abstract I at 0:57.5, then the greeting at 1:21: the frames between are replayed without
  // pixels, the greeting's own are drawn from its start, and both tiles must be exact.
  testsupport::TempDir dir;
  const std::string data = std::string("--data ") + TOLVANE_BINARY_DIR + " --fps 2 ";
  auto run = [&](const std::string& args) { return capturetest::RunCaptureTool(data + args, "2>/dev/null").exitCode; };
  ASSERT_EQ(run("--from 0:57.5 --to 1:21 --every 23.5 --sheet " + dir.File("sheet.png")), 0);
  ASSERT_EQ(run("--from 0:57.5 --frame 0:57.5 --out " + dir.File("a.png")), 0);
  ASSERT_EQ(run("--from 1:21 --frame 1:21 --out " + dir.File("b.png")), 0);
  int w = 0, h = 0, fw = 0, fh = 0;
  const std::vector<uint8_t> sheet = ReadPng(dir.File("sheet.png"), &w, &h);
  const SheetLayout l = capture::LayOutSheet(2, 256);
  ASSERT_EQ(w, l.width);
  ASSERT_EQ(h, l.height);
  for (int i : {0, 1}) {
    const std::vector<uint8_t> frame = ReadPng(dir.File(i ? "b.png" : "a.png"), &fw, &fh);
    ASSERT_EQ(fw * fh, 1024 * 768);
    EXPECT_EQ(Block(sheet, w, l.TileX(i), l.TileY(i), l.tileWidth, l.tileHeight), ShrunkRgb(frame, 4)) << "tile " << i;
  }
}
