// platform_test.cpp -- random generator, counter, data-path resolver, diagnostics, headless context.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <chrono>

#include "platform/counter.h"
#include "platform/crt_random.h"
#include "platform/data_path.h"
#include "platform/diagnostics.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"

using namespace testsupport;

TEST(CrtRandom, SeedOneGivesTheClassicSequence) {
  plat::Srand(1);
  const int expected[] = {41, 18467, 6334, 26500, 19169};
  for (int e : expected) EXPECT_EQ(plat::Rand(), e);
}

TEST(CrtRandom, StaysInFifteenBitsAndReseedRepeats) {
  plat::Srand(123456789);
  int first[100];
  for (int& v : first) {
    v = plat::Rand();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, plat::kRandMax);
  }
  plat::Srand(123456789);
  for (int v : first) EXPECT_EQ(plat::Rand(), v);
}

TEST(CrtRandom, CalendarTimeCanBeFixed) {
  plat::OverrideCalendarTime(1234);
  EXPECT_EQ(plat::CalendarTime(), 1234);
  plat::ClearCalendarTimeOverride();
  EXPECT_GT(plat::CalendarTime(), 1600000000);
}

TEST(Counter, VirtualCounterMovesOnlyByHand) {
  plat::UseVirtualCounter(1000, 50);
  EXPECT_EQ(plat::CounterFrequency(), 1000);
  EXPECT_EQ(plat::CounterRead(), 50);
  EXPECT_EQ(plat::CounterRead(), 50);
  plat::AdvanceVirtualCounter(25);
  EXPECT_EQ(plat::CounterRead(), 75);
  plat::UseRealCounter();
  int64_t a = plat::CounterRead();
  EXPECT_LE(a, plat::CounterRead());
}

namespace {
// Taken while the test program's statics are made, moments after the kernel started it.
const auto g_staticsMade = std::chrono::steady_clock::now();
}  // namespace

TEST(Counter, ProcessAgeCountsFromTheProcessStart) {
  const double age = plat::SecondsSinceProcessStart();
  const double sinceStatics = std::chrono::duration<double>(std::chrono::steady_clock::now() - g_staticsMade).count();
  // The kernel counts in hundredths; loading the program before its statics takes a moment.
  EXPECT_GE(age, sinceStatics - 0.011);
  EXPECT_LT(age, sinceStatics + 10.0);
  const double later = plat::SecondsSinceProcessStart();
  EXPECT_GE(later, age);
  EXPECT_LT(later - age, 1.0);
}

TEST(DataPath, MatchesEveryComponentWithoutRegardToCase) {
  TempDir dir;
  WriteFile(dir.File("data/planet01.3ds"), "x");
  WriteFile(dir.File("data/Sub/WaterNormal.jpg"), "x");
  ScopedChdir cd(dir.path());
  EXPECT_EQ(plat::ResolveDataPath("data\\planet01.3ds"), "data/planet01.3ds");
  EXPECT_EQ(plat::ResolveDataPath("Data\\PLANET01.3DS"), "data/planet01.3ds");
  EXPECT_EQ(plat::ResolveDataPath("DATA/sub/waternormal.JPG"), "data/Sub/WaterNormal.jpg");
}

TEST(DataPath, MissingFilesKeepTheConvertedPath) {
  TempDir dir;
  WriteFile(dir.File("data/a.png"), "x");
  ScopedChdir cd(dir.path());
  EXPECT_EQ(plat::ResolveDataPath("Data\\missing.png"), "data/missing.png");
  EXPECT_EQ(plat::ResolveDataPath("nowhere\\A.PNG"), "nowhere/A.PNG");
  EXPECT_EQ(plat::ResolveDataPath(""), "");
  EXPECT_EQ(plat::ResolveDataPath(dir.File("DATA/A.png")), dir.File("data/a.png"));
}

TEST(Diagnostics, ReportAlwaysDetailOnlyWhenVerbose) {
  std::vector<std::string> lines;
  plat::CaptureDiagnostics(&lines);
  plat::SetVerbose(false);
  plat::Report("missing %s", "a.jpg");
  plat::Detail("shader log %d", 1);
  plat::SetVerbose(true);
  plat::Detail("shader log %d", 2);
  plat::SetVerbose(false);
  plat::CaptureDiagnostics(nullptr);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "missing a.jpg");
  EXPECT_EQ(lines[1], "shader log 2");
}

static bool HasGlExtension(const char* name) {
  const char* exts = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (!exts) return false;
  std::string all = std::string(" ") + exts + " ";
  return all.find(std::string(" ") + name + " ") != std::string::npos;
}

TEST(HeadlessBackend, GivesAnOpenGL21ContextWithDepthAndTheShowsExtensions) {
  REQUIRE_GL();
  EXPECT_GE(epoxy_gl_version(), 21);
  GLint depthBits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  EXPECT_GE(depthBits, 16);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 1024);
  EXPECT_EQ(viewport[3], 768);
  EXPECT_TRUE(HasGlExtension("GL_EXT_framebuffer_object"));
  EXPECT_TRUE(HasGlExtension("GL_ARB_shader_objects"));
  EXPECT_TRUE(HasGlExtension("GL_ARB_shading_language_100"));
  EXPECT_TRUE(HasGlExtension("GL_ARB_vertex_shader"));
  EXPECT_TRUE(HasGlExtension("GL_ARB_fragment_shader"));
  glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  Rgba p = ReadPixel(512, 384);
  EXPECT_EQ(p.g, 255);
  EXPECT_EQ(p.r, 0);
}
