// keyframe_track.h -- a ".dkf" track of timed positions, baked or evaluated per frame on a scene clock.
#pragma once
#include <cstdint>
#include <fstream>
#include <istream>
#include <string>
#include <vector>

#include "sequencing/timer.h"

namespace MorlenGL {

enum : int32_t {
  KF_STEP = 0,
  KF_LINEAR = 1,
  KF_COSINE = 2,
  KF_STEP_TABLE = 3,
  KF_LINEAR_TABLE = 4,
  KF_COSINE_TABLE = 5,
};

// One record of the file, or one baked sample (index 0).
struct Keyframe {
  int32_t index = 0;
  int32_t time = 0;  // hundredths of a second on the scene clock
  double x = 0, y = 0, z = 0;
  int32_t interpolation = 0;  // of the segment starting here
};

// Tables are baked one sample per hundredth up to the last key, but never past a track's
// bakeLimit, one hour unless lowered, so a damaged time field cannot ask for billions of samples.
constexpr int32_t kMaxBakedTime = 360000;

// Larger track files are refused unread: the show's are under a kilobyte, and a file is read whole.
constexpr uint64_t kTrackFileLimit = uint64_t{4} << 20;

// Held by value by its scene; clock points at the scene's own m_clock (not owned).
class cKeyframeTrack {
 public:
  // Returns false (reported) when the file cannot be opened (or is no regular file, or is over
  // kTrackFileLimit), holds no complete record, or holds NaN or infinite numbers; the track is
  // then empty, its position stays (0, 0, 0) and Update does nothing. A file several scenes
  // load is reported once.
  bool Load(const std::string& fileName, int32_t mode);
  // The same reader and baking on any stream; name labels reports.
  bool LoadFromStream(std::istream& in, int32_t mode, const std::string& name);
  void Update();
  void GetPosition(double out[3]) const;

  int32_t mode = 0;
  std::vector<Keyframe> keys;
  std::vector<Keyframe> samples;
  const Timer* clock = nullptr;
  uint32_t current = 0;
  int32_t recordCount = 0;  // records assembled, the incomplete last one included
  std::string fileName;
  std::ifstream file;
  double position[3] = {0, 0, 0};
  bool finished = false;
  // Read by the bake: the last hundredth a table is baked to. The fuzz harness lowers it so that
  // far-apart keys do not spend each run filling an hour of samples.
  int32_t bakeLimit = kMaxBakedTime;

 private:
  void ReadRecords(std::istream& in);
  void Bake(const std::string& name);
  void BakeStep(int32_t i);
  void UpdateStep(int32_t t);
  void UpdateLinear(int32_t t);
  void UpdateCosine(int32_t t);
  void Advance();
  void SetPosition(const Keyframe& k);
  void Blend(double w, const Keyframe& cur, const Keyframe& next);  // w of the way to next
};

// The interpolation weight of the cosine types: 0 at the segment's start, 1 at its end.
double CosineWeight(int64_t sinceStart, int64_t span);

}  // namespace MorlenGL
