// asset_reports_test.cpp -- tolvane-inspect as authors use it: reports, exit codes, usage.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>

#include "effects/program_catalog.h"
#include "support/image_files.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "writer_3ds.h"

namespace {

struct Result {
  int code = -1;
  std::string out;
};

// Runs the built tool; stderr goes to a file so stdout stays the JSON alone.
Result Inspect(const std::string& args, std::string* err = nullptr) {
  testsupport::TempDir dir;
  testsupport::ProgramRun run = testsupport::RunBuiltProgram("tolvane-inspect", args, "2>" + dir.File("err"));
  if (err) {
    std::ifstream e(dir.File("err"), std::ios::binary);
    err->assign(std::istreambuf_iterator<char>(e), {});
  }
  return {run.exitCode, run.output};
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(Inspect, ModelReport) {
  testsupport::TempDir dir;
  using namespace test3ds;
  std::string file =
      Main({Editor({MaterialChunk("red"),
                    Object("tri", {Mesh({Vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {4, 4, 4}}),
                                         Mapping({{0, 0}, {1, 0}, {0, 1}, {1, 1}}),
                                         Faces({{0, 1, 2}}, {Group("red", {0}), Group("blue", {0})})})})})})
          .Bytes();
  testsupport::WriteFile(dir.File("m.3ds"), file);
  Result r = Inspect("model " + dir.File("m.3ds"));
  EXPECT_EQ(r.code, 0);
  EXPECT_TRUE(Has(r.out, "\"materials\": [\n    \"red\"\n  ]")) << r.out;
  EXPECT_TRUE(Has(r.out, "\"vertices\": 4")) << r.out;
  EXPECT_TRUE(Has(r.out, "\"faces\": 1,")) << r.out;
  EXPECT_TRUE(Has(r.out, "\"mappingCoordinates\": 4")) << r.out;
  EXPECT_TRUE(Has(r.out, "\"material\": null,\n          \"materialIndex\": 1")) << r.out;
  EXPECT_TRUE(Has(r.out, "\"min\": [0, 0, -4]")) << r.out;
  EXPECT_TRUE(Has(r.out, "\"max\": [4, 4, 0]")) << r.out;
  EXPECT_TRUE(Has(r.out, "\"zeroNormals\": 1")) << r.out;
}

TEST(Inspect, DamagedAndMissingFilesExitWithOne) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("bad.3ds"), test3ds::SingleTriangle().substr(0, 30));
  std::string err;
  Result bad = Inspect("model " + dir.File("bad.3ds"), &err);
  EXPECT_EQ(bad.code, 1);
  EXPECT_TRUE(Has(err, "bad.3ds")) << err;
  err.clear();
  Result missing = Inspect("model " + dir.File("none.3ds"), &err);
  EXPECT_EQ(missing.code, 1);
  EXPECT_TRUE(missing.out.empty());
  EXPECT_TRUE(Has(err, "none.3ds")) << err;
  Result track = Inspect("track " + dir.File("none.dkf"));
  EXPECT_EQ(track.code, 1);
}

TEST(Inspect, TrackReportFollowsFrameByFrame) {
  testsupport::TempDir dir;
  // A linear (type 1) track: following it frame by frame accumulates the slope, 0.1 per
  // hundredth from x = -10 (the first frame, t = 0, has no step yet).
  testsupport::WriteFile(dir.File("t.dkf"), "-100>-10>0>0>1>\n100>10>0>0>1>\n50>0>0>0>1>\n");
  Result r = Inspect("track " + dir.File("t.dkf") + " --at 40 --at 0");
  EXPECT_EQ(r.code, 0);
  EXPECT_TRUE(Has(r.out, "\"sampleCount\": 0")) << r.out;
  EXPECT_TRUE(Has(r.out, "\"firstSample\": null")) << r.out;
  EXPECT_TRUE(Has(r.out, "\"keysOutOfOrder\": [\n    2\n  ]")) << r.out;
  EXPECT_TRUE(Has(r.out, "\"t\": 40,\n      \"position\": [-6, 0, 0]")) << r.out;
  EXPECT_TRUE(Has(r.out, "\"t\": 0,\n      \"position\": [-10, 0, 0]")) << r.out;
}

TEST(Inspect, ImageReportFollowsTheTextureBranches) {
  testsupport::TempDir dir;
  testimages::PngSpec spec;
  spec.width = 3;
  spec.height = 2;
  spec.channels = 4;
  spec.pixels.assign(3 * 2 * 4, 200);
  spec.pixels[7] = 0;  // one transparent texel
  testimages::WritePng(dir.File("a.png"), spec);
  Result png = Inspect("image " + dir.File("a.png"));
  EXPECT_EQ(png.code, 0);
  EXPECT_TRUE(Has(png.out, "\"branch\": \"png\"")) << png.out;
  EXPECT_TRUE(Has(png.out, "\"texture\": {\n    \"width\": 3,\n    \"height\": 2")) << png.out;
  EXPECT_TRUE(Has(png.out, "\"alpha\": true")) << png.out;
  EXPECT_TRUE(Has(png.out, "\"transparentTexels\": 1")) << png.out;

  // The picture branch stretches to powers of two and makes pure black transparent.
  testimages::WriteJpeg(dir.File("b.jpg"), 5, 3, 3, testimages::Solid(5, 3, 0, 0, 0));
  Result jpg = Inspect("image " + dir.File("b.jpg"));
  EXPECT_EQ(jpg.code, 0);
  EXPECT_TRUE(Has(jpg.out, "\"branch\": \"picture\"")) << jpg.out;
  EXPECT_TRUE(Has(jpg.out, "\"decoded\": {\n    \"width\": 5,\n    \"height\": 3")) << jpg.out;
  EXPECT_TRUE(Has(jpg.out, "\"texture\": {\n    \"width\": 4,\n    \"height\": 4")) << jpg.out;
  EXPECT_TRUE(Has(jpg.out, "\"transparentTexels\": 16")) << jpg.out;

  testsupport::WriteFile(dir.File("c.png"), "not a png");
  EXPECT_EQ(Inspect("image " + dir.File("c.png")).code, 1);
  EXPECT_EQ(Inspect("image").code, 2);
}

// Damage libjpeg decodes past loads (said once with --verbose); what it cannot decode does not.
TEST(Inspect, ImageReportOfAJpegWithStrayBytes) {
  testsupport::TempDir dir;
  testimages::WriteJpeg(dir.File("s.jpg"), 40, 24, 3, testimages::Solid(40, 24, 90, 120, 200));
  const std::string bytes = testimages::ReadBytes(dir.File("s.jpg"));
  const size_t scan = bytes.find("\xFF\xDA");
  testsupport::WriteFile(dir.File("stray.jpg"), bytes.substr(0, scan) + "\x01\x02" + bytes.substr(scan));
  testsupport::WriteFile(dir.File("cut.jpg"), bytes.substr(0, scan));
  std::string err;
  Result stray = Inspect("--verbose image " + dir.File("stray.jpg"), &err);
  EXPECT_EQ(stray.code, 0);
  EXPECT_TRUE(Has(stray.out, "\"decoded\": {\n    \"width\": 40,\n    \"height\": 24")) << stray.out;
  EXPECT_EQ(err, "tolvane-inspect: " + dir.File("stray.jpg") +
                     ": decoded past damage (Corrupt JPEG data: 2 extraneous bytes before marker 0xda)\n");
  err.clear();
  EXPECT_EQ(Inspect("image " + dir.File("stray.jpg"), &err).code, 0);
  EXPECT_TRUE(err.empty()) << err;
  Result cut = Inspect("image " + dir.File("cut.jpg"), &err);
  EXPECT_EQ(cut.code, 1);
  EXPECT_TRUE(cut.out.empty());
  EXPECT_TRUE(Has(err, "cut.jpg: cannot decode picture")) << err;
}

// The report's sections, one per class, by name.
std::map<std::string, std::string> ProgramSections(const std::string& out) {
  std::map<std::string, std::string> sections;
  for (size_t at = out.find("=== "); at != std::string::npos;) {
    const size_t next = out.find("\n=== ", at);
    const size_t nameEnd = out.find('\n', at);
    const size_t end = next == std::string::npos ? out.size() : next + 1;
    sections[out.substr(at + 4, nameEnd - at - 4)] = out.substr(at, end - at);
    at = next == std::string::npos ? next : next + 1;
  }
  return sections;
}

// The uniform line and texts of a section, without what --compile adds and the closing blank line.
std::string TextsOf(const std::string& section) {
  return section.substr(0, std::min(section.find("--- vertex compile"), section.rfind("\n\n") + 1));
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(Inspect, ProgramsPrintEveryClassWithItsTextsAndUniformOrder) {
  Result all = Inspect("programs");
  EXPECT_EQ(all.code, 0);
  auto sections = ProgramSections(all.out);
  ASSERT_EQ(sections.size(), MorlenGL::ProgramClasses().size());
  for (const MorlenGL::ProgramClass& c : MorlenGL::ProgramClasses()) {
    const std::string& section = sections[c.name];
    EXPECT_TRUE(Has(section, "\n--- vertex program\n#version 120\n")) << c.name;
    EXPECT_TRUE(Has(section, "\n--- fragment program\n#version 120\n")) << c.name;
    EXPECT_EQ(Count(section, "#version"), 2u) << c.name << ": one whole text per stage";
  }
  EXPECT_TRUE(Has(sections["cDoFShader"], "lookup order: sampler0 blur depth vSParams fDoFAmnt\n"));
  EXPECT_TRUE(Has(sections["cShaderSystem"], "lookup order: (none)\n"));
  // The surface programs assemble shared pieces: the whole text is shown, family names first.
  EXPECT_TRUE(Has(sections["cNPMultiLightShatter"], "Light2Color time\n"));
  EXPECT_TRUE(Has(sections["cNPMultiLightShatter"], "attribute vec3 Tangent;")) << sections["cNPMultiLightShatter"];
  EXPECT_TRUE(Has(sections["cDistortShader"], "uniform sampler2D sampler;\n"));

  Result one = Inspect("programs cRingWaveShader");
  EXPECT_EQ(one.code, 0);
  EXPECT_EQ(one.out, sections["cRingWaveShader"]);
  std::string err;
  EXPECT_EQ(Inspect("programs cNoSuchShader", &err).code, 2);
  EXPECT_TRUE(Has(err, "cNoSuchShader")) << err;
  EXPECT_TRUE(Has(err, " cRingWaveShader")) << err;
  EXPECT_EQ(Inspect("programs a b").code, 2);
}

TEST(Inspect, ProgramsCompileAndLinkOnTheHeadlessBackend) {
  const auto listed = ProgramSections(Inspect("programs").out);
  Result r = Inspect("programs --compile");
  EXPECT_EQ(r.code, 0) << r.out;
  const size_t count = MorlenGL::ProgramClasses().size();
  EXPECT_TRUE(Has(r.out, std::to_string(count) + " of " + std::to_string(count) + " programs linked\n"));
  const auto compiled = ProgramSections(r.out);
  ASSERT_EQ(compiled.size(), count);
  for (const auto& [name, section] : compiled) {
    EXPECT_TRUE(Has(section, "--- vertex compile: compiled\n")) << section;
    EXPECT_TRUE(Has(section, "--- fragment compile: compiled\n")) << section;
    EXPECT_TRUE(Has(section, "--- link: linked\n")) << section;
    // What reached the real driver is what the listing shows.
    EXPECT_EQ(TextsOf(section), TextsOf(listed.at(name))) << name;
  }
}

TEST(Inspect, TimeAndArguments) {
  EXPECT_EQ(Inspect("time 1:20.001").out, "8001\n");
  EXPECT_EQ(Inspect("time 1:20").out, "80\n");
  std::string err;
  EXPECT_EQ(Inspect("", &err).code, 2);
  EXPECT_TRUE(Has(err, "usage:")) << err;
  EXPECT_EQ(Inspect("frobnicate x").code, 2);
  EXPECT_EQ(Inspect("model").code, 2);
  EXPECT_EQ(Inspect("track x.dkf --at").code, 2);
  EXPECT_EQ(Inspect("track x.dkf --at -5").code, 2);
  EXPECT_EQ(Inspect("track x.dkf --when 5").code, 2);
}

}  // namespace
