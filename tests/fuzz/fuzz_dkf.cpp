// fuzz_dkf.cpp -- libFuzzer target: any text through the keyframe reader, baking and Update.
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "assets/keyframe_track.h"
#include "platform/diagnostics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::vector<std::string> reports;
  reports.clear();
  plat::CaptureDiagnostics(&reports);
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  MorlenGL::cKeyframeTrack track;
  // Twenty seconds instead of an hour: the same bake, a thousandth of the samples per run
  // (the one-hour limit itself is a unit test).
  track.bakeLimit = 2000;
  bool ok = track.LoadFromStream(in, 5, "fuzz.dkf");
  if (ok == track.keys.empty()) abort();
  if (track.samples.size() > size_t(track.bakeLimit)) abort();
  MorlenGL::Timer clock;
  track.clock = &clock;
  // Frame by frame over the first seconds, then a few far-off and negative times.
  const int32_t jumps[] = {-5, 0, 100000, 2147483000, -2147483000};
  for (int32_t t = -2; t < 400; ++t) {
    clock.m_lastElapsed = clock.m_elapsed;
    clock.m_elapsed = t;
    track.Update();
  }
  for (int32_t t : jumps) {
    clock.m_lastElapsed = clock.m_elapsed;
    clock.m_elapsed = t;
    track.Update();
  }
  if (track.current >= track.keys.size() && !track.keys.empty()) abort();
  return 0;
}
