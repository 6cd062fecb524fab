// decode_ahead_test.cpp -- pictures decoded on worker threads are what the loaders decode themselves, with the same lines in the same order.
#include <gtest/gtest.h>

#include <memory>

#include "assets/decode_ahead.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

using namespace MorlenGL;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

std::vector<unsigned char> Pattern(int width, int height, int channels) {
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * channels);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>((i * 7 + i / 97 * 13) % 251);
  return pixels;
}

// A folder as the show's: pictures of both kinds, a damaged one of each, and files nobody loads.
struct PictureFolder {
  TempDir dir;
  PictureFolder() {
    testimages::WritePng(dir.File("alpha.png"), {300, 200, 4, 8, 0, Pattern(300, 200, 4)});
    testimages::WritePng(dir.File("grey.png"), {64, 48, 1, 16, 0, Pattern(64, 48, 1)});
    testimages::WriteJpeg(dir.File("wide.jpg"), 200, 120, 3, Pattern(200, 120, 3));
    testimages::WriteJpeg(dir.File("Upper.JPG"), 96, 96, 3, Pattern(96, 96, 3), true);
    WriteFile(dir.File("broken.png"), "not a picture");
    WriteFile(dir.File("broken.jpg"), "not a picture either");
    WriteFile(dir.File("unused.png"), "nobody asks for this one");
    WriteFile(dir.File("notes.txt"), "not a picture at all");
  }
  // What the loaders ask for, in their order: repeats, the same file at another size or as
  // the other kind, and a file that is not there.
  std::vector<DecodeRequest> Requests() const {
    return {{dir.File("wide.jpg"), false, 256},  {dir.File("alpha.png"), true, 0},
            {dir.File("broken.png"), true, 0},   {dir.File("alpha.png"), true, 0},
            {dir.File("wide.jpg"), false, 64},   {dir.File("Upper.JPG"), false, 256},
            {dir.File("broken.jpg"), false, 256}, {dir.File("grey.png"), false, 256},
            {dir.File("missing.png"), true, 0},  {dir.File("broken.png"), true, 0},
            {dir.File("grey.png"), true, 0}};
  }
};

struct Outcome {
  std::vector<std::shared_ptr<const Image>> images;
  std::vector<std::string> lines;
};

Outcome Load(const std::vector<DecodeRequest>& requests) {
  Outcome outcome;
  testimages::CapturedDiagnostics diag;
  for (const DecodeRequest& r : requests) outcome.images.push_back(DecodeForTexture(r));
  outcome.lines = diag.lines;
  return outcome;
}

void ExpectSame(const Outcome& expected, const Outcome& got, const char* how) {
  ASSERT_EQ(got.images.size(), expected.images.size());
  for (size_t i = 0; i < expected.images.size(); ++i) {
    ASSERT_EQ(got.images[i] != nullptr, expected.images[i] != nullptr) << how << ", request " << i;
    if (!expected.images[i]) continue;
    EXPECT_EQ(got.images[i]->width, expected.images[i]->width) << how << ", request " << i;
    EXPECT_EQ(got.images[i]->height, expected.images[i]->height) << how << ", request " << i;
    EXPECT_EQ(got.images[i]->channels, expected.images[i]->channels) << how << ", request " << i;
    EXPECT_TRUE(got.images[i]->pixels == expected.images[i]->pixels) << how << ", request " << i;
  }
  EXPECT_EQ(got.lines, expected.lines) << how;
}

}  // namespace

TEST(DecodeAhead, WorkersGiveWhatTheLoadersDecodeThemselves) {
  PictureFolder folder;
  const std::vector<DecodeRequest> requests = folder.Requests();
  const Outcome inline_ = Load(requests);
  // The failures say so once per load, naming the file; the unused file is never mentioned.
  ASSERT_EQ(inline_.lines.size(), 5u);
  EXPECT_NE(inline_.lines[0].find("broken.png"), std::string::npos) << inline_.lines[0];
  EXPECT_NE(inline_.lines[3].find("missing.png"), std::string::npos) << inline_.lines[3];
  EXPECT_EQ(inline_.lines[4], inline_.lines[0]);
  EXPECT_EQ(inline_.images[0]->width, 256);  // the picture branch's stretch happened
  EXPECT_EQ(inline_.images[4]->width, 64);

  // Every file decoded by the workers before anyone asks.
  BeginDecodeAhead(folder.dir.path(), 256);
  WaitForDecodeAhead();
  const Outcome ahead = Load(requests);
  EndDecodeAhead();
  ExpectSame(inline_, ahead, "decoded ahead");
  EXPECT_EQ(ahead.images[1], ahead.images[3]) << "a file asked for again is not decoded again";

  // Asking at once: the caller takes over what no worker has begun and waits for the rest.
  BeginDecodeAhead(folder.dir.path(), 256);
  const Outcome racing = Load(requests);
  EndDecodeAhead();
  ExpectSame(inline_, racing, "asked at once");

  // After End, nothing is kept: each load decodes its own copy again.
  const Outcome after = Load(requests);
  ExpectSame(inline_, after, "after the end");
  EXPECT_NE(after.images[1], after.images[3]);
}
