// hostile_files_test.cpp -- data files that are not what their names promise: one line each, a safe default, no wait.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/image_decode.h"
#include "assets/keyframe_track.h"
#include "assets/model_3ds.h"
#include "platform/diagnostics.h"
#include "support/image_files.h"
#include "support/temp_dir.h"
#include "writer_3ds.h"

namespace {

// A FIFO, a device, a folder, a loop of links, an oversized file and files holding NaN or
// infinities, under the names the loaders are given. Each load returns at once (a FIFO would
// block an ordinary open for ever) with one line naming the file and the reason.
TEST(HostileDataFiles, EachGetsOneLineNamingItAndItsReasonThenTheSafeDefault) {
  testsupport::TempDir dir;
  const std::string d = dir.path() + "/";
  std::filesystem::create_directories(d + "folder.3ds");
  ASSERT_EQ(mkfifo((d + "fifo.dkf").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo((d + "fifo.png").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", d + "zero.3ds");
  std::filesystem::create_symlink("loop.jpg", d + "loop.jpg");
  testsupport::WriteFile(d + "big.3ds", "");
  std::filesystem::resize_file(d + "big.3ds", k3dsFileLimit + 1);  // sparse: costs no disk
  testsupport::WriteFile(d + "nan.3ds", test3ds::SingleTriangle({{0, 0, 0}, {NAN, 0, 0}, {0, 1, 0}}));
  testsupport::WriteFile(d + "inf.dkf", "0>1>2>3>1>100>inf>0>0>1>");
  testimages::WritePng(d + "wide.png", {4097, 4097, 1, 8, 0, std::vector<unsigned char>(4097 * 4097)});

  std::vector<std::string> lines;
  plat::CaptureDiagnostics(&lines);
  c3DsModelSystem model;
  for (const char* name : {"folder.3ds", "zero.3ds", "big.3ds", "nan.3ds"}) {
    EXPECT_FALSE(model.Load(d + name)) << name;
    EXPECT_TRUE(model.objects.empty()) << name;
  }
  MorlenGL::cKeyframeTrack track;
  EXPECT_FALSE(track.Load(d + "fifo.dkf", MorlenGL::KF_LINEAR));
  for (int scene = 0; scene < 2; ++scene) {
    EXPECT_FALSE(track.Load(d + "inf.dkf", MorlenGL::KF_LINEAR));
    double at[3] = {1, 1, 1};
    track.GetPosition(at);
    EXPECT_EQ(at[0] + at[1] + at[2], 0.0) << "the track stays at (0, 0, 0)";
  }
  MorlenGL::Image image;
  EXPECT_FALSE(MorlenGL::DecodePng(d + "fifo.png", &image));
  EXPECT_FALSE(MorlenGL::DecodeJpeg(d + "loop.jpg", &image));
  EXPECT_FALSE(MorlenGL::DecodePng(d + "wide.png", &image));
  plat::CaptureDiagnostics(nullptr);

  const std::vector<std::string> expected = {
      d + "folder.3ds: is a directory",
      d + "zero.3ds: is not a regular file",
      d + "big.3ds: too large: 67108865 bytes, the limit is 67108864",
      d + "nan.3ds: contains NaN or infinite numbers at object \"tri\", vertex 1; left out",
      d + "fifo.dkf: cannot open keyframe track: is not a regular file",
      d + "inf.dkf: contains NaN or infinite numbers at record 2; the track stays at (0, 0, 0)",
      d + "fifo.png: is not a regular file",
      d + "loop.jpg: Too many levels of symbolic links",
      d + "wide.png: cannot decode PNG (too large: 4097 x 4097 pixels, the limit is 16777216 pixels)"};
  EXPECT_EQ(lines, expected) << "the track loaded by two scenes is reported once";
}

}  // namespace
