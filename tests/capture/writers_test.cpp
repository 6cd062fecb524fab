// writers_test.cpp -- the Y4M stream, the WAV file and the PNG file as other programs will read them.
#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frame_sink.h"
#include "png_writer.h"
#include "support/temp_dir.h"
#include "wav_writer.h"
#include "y4m_writer.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

uint32_t Le(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(s[at + i]);
  return v;
}

// width x height RGBA, every pixel the same colour.
std::vector<uint8_t> Solid(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> px;
  for (int i = 0; i < width * height; ++i) px.insert(px.end(), {r, g, b, 77});
  return px;
}

// BT.601 studio range from its defining coefficients, in floating point.
void Reference(int r, int g, int b, double* y, double* u, double* v) {
  double ey = (0.299 * r + 0.587 * g + 0.114 * b) / 255;
  *y = 16 + 219 * ey;
  *u = 128 + 224 * (b / 255.0 - ey) / 1.772;
  *v = 128 + 224 * (r / 255.0 - ey) / 1.402;
}

}  // namespace

TEST(Y4m, ColoursConvertToStudioRangeWithinOneStep) {
  const int colours[][3] = {{255, 255, 255}, {0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255},
                            {128, 128, 128}, {12, 200, 99}, {250, 3, 171}, {64, 32, 16}};
  for (const auto& c : colours) {
    std::vector<uint8_t> yuv;
    capture::RgbaToYuv420(Solid(2, 2, c[0], c[1], c[2]).data(), 2, 2, &yuv);
    ASSERT_EQ(yuv.size(), 6u);
    double y, u, v;
    Reference(c[0], c[1], c[2], &y, &u, &v);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(yuv[i], y, 1.0) << c[0] << "," << c[1] << "," << c[2];
    EXPECT_NEAR(yuv[4], u, 1.0) << c[0] << "," << c[1] << "," << c[2];
    EXPECT_NEAR(yuv[5], v, 1.0) << c[0] << "," << c[1] << "," << c[2];
  }
  std::vector<uint8_t> white, black;
  capture::RgbaToYuv420(Solid(2, 2, 255, 255, 255).data(), 2, 2, &white);
  capture::RgbaToYuv420(Solid(2, 2, 0, 0, 0).data(), 2, 2, &black);
  EXPECT_EQ(white[0], 235);  // the range ends exactly
  EXPECT_EQ(black[0], 16);
  EXPECT_EQ(white[4], 128);
  EXPECT_EQ(black[5], 128);
}

TEST(Y4m, ChromaIsTheMeanOfEachTwoByTwoBlock) {
  // 4 x 2: the left block is half red, half blue; the right block all white.
  std::vector<uint8_t> px = {255, 0, 0, 0, 0, 0, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0,
                             255, 0, 0, 0, 0, 0, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0};
  std::vector<uint8_t> yuv;
  capture::RgbaToYuv420(px.data(), 4, 2, &yuv);
  ASSERT_EQ(yuv.size(), 12u);
  EXPECT_EQ(yuv[0], 82);   // red, top left
  EXPECT_EQ(yuv[1], 41);   // blue
  EXPECT_EQ(yuv[5], 41);   // second row keeps its own luma
  std::vector<uint8_t> mixed;
  capture::RgbaToYuv420(Solid(2, 2, 128, 0, 128).data(), 2, 2, &mixed);
  EXPECT_EQ(yuv[8], mixed[4]);   // U of the left block
  EXPECT_EQ(yuv[10], mixed[5]);  // V of the left block
  EXPECT_EQ(yuv[9], 128);
  EXPECT_EQ(yuv[11], 128);
}

TEST(Y4m, StreamHasHeaderAndOneSizedRecordPerFrame) {
  testsupport::TempDir dir;
  std::string path = dir.File("v.y4m"), error;
  {
    auto sink = capture::CreateY4mSink(path, 6, 4, 30, &error);
    ASSERT_TRUE(sink) << error;
    std::vector<uint8_t> px = Solid(6, 4, 255, 255, 255);
    EXPECT_TRUE(sink->AddLoading({0, 0, 6, 4, px.data()}, &error));  // not part of the stream
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(sink->Add({i, i * 3, 6, 4, px.data()}, &error)) << error;
    ASSERT_TRUE(sink->Finish(&error)) << error;
  }
  std::string bytes = ReadAll(path);
  std::string header = "YUV4MPEG2 W6 H4 F30:1 Ip A1:1 C420jpeg XCOLORRANGE=LIMITED\n";
  ASSERT_EQ(bytes.substr(0, header.size()), header);
  size_t frame = capture::Y4mFrameBytes(6, 4);
  EXPECT_EQ(frame, 6u + 24 + 6 + 6);
  ASSERT_EQ(bytes.size(), header.size() + 3 * frame);
  for (int i = 0; i < 3; ++i) {
    size_t at = header.size() + i * frame;
    EXPECT_EQ(bytes.substr(at, 6), "FRAME\n");
    EXPECT_EQ(static_cast<uint8_t>(bytes[at + 6]), 235);
  }
}

TEST(Y4m, OddSizesAndUnwritablePathsAreRefused) {
  std::string error;
  testsupport::TempDir dir;
  EXPECT_FALSE(capture::CreateY4mSink(dir.File("odd.y4m"), 5, 4, 60, &error));
  EXPECT_NE(error.find("even"), std::string::npos);
  EXPECT_FALSE(capture::CreateY4mSink(dir.File("no/such/dir.y4m"), 4, 4, 60, &error));
  EXPECT_NE(error.find("no/such/dir.y4m"), std::string::npos);
}

TEST(Wav, SectionLastsFramesOverFpsAndAdjacentSectionsJoin) {
  capture::AudioSection s = capture::SectionForFrames(3420, 120, 60, 44100);  // from 0:57.0
  EXPECT_EQ(s.first, 57 * 44100);
  EXPECT_EQ(s.count, 2 * 44100);
  // 24 fps at 44.1 kHz is 1837.5 audio frames per video frame: 3 frames round to 5513.
  EXPECT_EQ(capture::SectionForFrames(0, 3, 24, 44100).count, 5513);
  EXPECT_EQ(capture::SectionForFrames(1, 1, 100, 48000).first, 480);
  // Pieces captured apart add up to the sound of the whole, sample for sample.
  for (int fps : {7, 24, 60}) {
    capture::AudioSection a = capture::SectionForFrames(0, 13, fps, 44100);
    capture::AudioSection b = capture::SectionForFrames(13, 29, fps, 44100);
    EXPECT_EQ(a.first + a.count, b.first) << fps;
    EXPECT_EQ(a.count + b.count, capture::SectionForFrames(0, 42, fps, 44100).count) << fps;
  }
}

TEST(Wav, FileHeaderDescribesTheSamples) {
  testsupport::TempDir dir;
  std::string path = dir.File("a.wav"), error;
  std::vector<int16_t> samples = {1, -1, 32767, -32768, 256, 0};  // 3 stereo frames
  capture::OutputFile file;
  ASSERT_TRUE(file.Open(path, &error) && capture::WriteWav(&file, samples, 44100, 2, &error)) << error;
  std::string b = ReadAll(path);
  ASSERT_EQ(b.size(), 44u + 12);
  EXPECT_EQ(b.substr(0, 4), "RIFF");
  EXPECT_EQ(Le(b, 4, 4), 36u + 12);
  EXPECT_EQ(b.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(Le(b, 20, 2), 1u);       // PCM
  EXPECT_EQ(Le(b, 22, 2), 2u);       // channels
  EXPECT_EQ(Le(b, 24, 4), 44100u);   // rate
  EXPECT_EQ(Le(b, 28, 4), 176400u);  // bytes per second
  EXPECT_EQ(Le(b, 32, 2), 4u);       // block
  EXPECT_EQ(Le(b, 34, 2), 16u);      // bits
  EXPECT_EQ(b.substr(36, 4), "data");
  EXPECT_EQ(Le(b, 40, 4), 12u);
  EXPECT_EQ(Le(b, 44, 2), 1u);
  EXPECT_EQ(Le(b, 46, 2), 0xFFFFu);
  EXPECT_EQ(Le(b, 50, 2), 0x8000u);
}

TEST(Wav, UnwritableOrShapelessInputFails) {
  std::string error;
  capture::OutputFile file;
  EXPECT_FALSE(file.Open("/nonexistent/dir/a.wav", &error));
  EXPECT_EQ(error, "/nonexistent/dir/a.wav: cannot create: No such file or directory");
  testsupport::TempDir dir;
  ASSERT_TRUE(file.Open(dir.File("half.wav"), &error)) << error;
  EXPECT_FALSE(capture::WriteWav(&file, {0, 0, 0}, 44100, 2, &error));  // half a frame
  EXPECT_FALSE(std::filesystem::exists(dir.File("half.wav")));
  ASSERT_TRUE(file.Open(dir.File("none.wav"), &error)) << error;
  EXPECT_FALSE(capture::WriteWav(&file, {}, 44100, 0, &error));
}

TEST(Png, FrameReadsBackAsRgbWithItsRowsInOrder) {
  testsupport::TempDir dir;
  std::string path = dir.File("f.png"), error;
  std::vector<uint8_t> px = {10, 20, 30, 0, 40, 50, 60, 255, 70, 80, 90, 1,
                             100, 110, 120, 2, 130, 140, 150, 3, 160, 170, 180, 4};  // 3 x 2
  ASSERT_TRUE(capture::WritePng(path, px.data(), 3, 2, &error)) << error;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
  EXPECT_EQ(image.width, 3u);
  EXPECT_EQ(image.height, 2u);
  EXPECT_FALSE(image.format & PNG_FORMAT_FLAG_ALPHA);
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  std::vector<uint8_t> expected = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160, 170, 180};
  EXPECT_EQ(rgb, expected);
  EXPECT_FALSE(capture::WritePng(dir.File("none/f.png"), px.data(), 3, 2, &error));
  EXPECT_NE(error.find("none/f.png"), std::string::npos);
}

TEST(PngSinks, DirectoryNumbersFramesAndSingleFrameKeepsOnlyItsOwn) {
  testsupport::TempDir dir;
  std::string error;
  std::vector<uint8_t> px = Solid(2, 2, 1, 2, 3);
  auto frames = capture::CreatePngDirectorySink(dir.File("out/frames//"), &error);
  ASSERT_TRUE(frames) << error;
  ASSERT_TRUE(frames->AddLoading({0, 0, 2, 2, px.data()}, &error));
  for (int i = 0; i < 2; ++i) ASSERT_TRUE(frames->Add({i, i, 2, 2, px.data()}, &error));
  EXPECT_FALSE(ReadAll(dir.File("out/frames/loading.png")).empty());
  EXPECT_FALSE(ReadAll(dir.File("out/frames/frame_000001.png")).empty());
  EXPECT_EQ(capture::FrameFileName(123456), "frame_123456.png");
  EXPECT_EQ(frames->Describe(2), dir.File("out/frames/frame_000000.png") + " to frame_000001.png");

  auto one = capture::CreatePngFileSink(dir.File("one.png"), 5, &error);
  ASSERT_TRUE(one) << error;
  EXPECT_FALSE(one->Wants(4));
  EXPECT_TRUE(one->Wants(5));
  EXPECT_FALSE(one->Finish(&error)) << "a run that never reached frame 5 must not pass";
  ASSERT_TRUE(one->Add({4, 4, 2, 2, px.data()}, &error));
  EXPECT_TRUE(ReadAll(dir.File("one.png")).empty());
  EXPECT_EQ(one->Describe(1), "") << "names no file before its frame is written";
  ASSERT_TRUE(one->Add({5, 5, 2, 2, px.data()}, &error));
  EXPECT_TRUE(one->Finish(&error));
  EXPECT_FALSE(ReadAll(dir.File("one.png")).empty());

  testsupport::WriteFile(dir.File("plain"), "x");
  EXPECT_FALSE(capture::CreatePngDirectorySink(dir.File("plain"), &error));
}

// A file size limit stands in for a full disk: writes past it fail as they would there.
class FullDisk {
 public:
  explicit FullDisk(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit small = old_;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
    oldSignal_ = signal(SIGXFSZ, SIG_IGN);
  }
  ~FullDisk() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, oldSignal_);
  }

 private:
  rlimit old_{};
  sighandler_t oldSignal_;
};

TEST(Destinations, AWriteThatFailsLeavesNothingThatPassesForAWholeFile) {
  testsupport::TempDir dir;
  std::string error;
  std::vector<uint8_t> noise(64 * 64 * 4);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
  const std::string target = dir.File("target.png"), link = dir.File("link.png");
  testsupport::WriteFile(target, "old");
  std::filesystem::create_symlink(target, link);
  const size_t frame = capture::Y4mFrameBytes(64, 64), header = capture::Y4mStreamHeader(64, 64, 30).size();
  {
    FullDisk full(header + 2 * frame + 100);
    capture::OutputFile wav;
    ASSERT_TRUE(wav.Open(dir.File("s.wav"), &error)) << error;
    EXPECT_FALSE(capture::WriteWav(&wav, std::vector<int16_t>(200000), 44100, 2, &error));
    EXPECT_EQ(error, dir.File("s.wav") + ": cannot write: File too large");
    EXPECT_FALSE(std::filesystem::exists(dir.File("s.wav"))) << "a header promising samples that are not there";

    auto y4m = capture::CreateY4mSink(dir.File("v.y4m"), 64, 64, 30, &error);
    ASSERT_TRUE(y4m) << error;
    int written = 0;
    while (written < 5 && y4m->Add({written, 0, 64, 64, noise.data()}, &error)) ++written;
    EXPECT_EQ(written, 2);
    EXPECT_TRUE(y4m->Finish(&error)) << error;
    EXPECT_EQ(std::filesystem::file_size(dir.File("v.y4m")), header + 2 * frame) << "whole frames only";

    std::vector<uint8_t> big(512 * 512 * 4);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 2654435761u >> 11);
    EXPECT_FALSE(capture::WritePng(link, big.data(), 512, 512, &error));
  }
  EXPECT_TRUE(std::filesystem::is_symlink(link)) << "the link placed there stays";
  EXPECT_EQ(std::filesystem::file_size(target), 0u) << "what it points at holds no half picture";
}
