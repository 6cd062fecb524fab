// keyframe_track.cpp -- reading ".dkf" records, baking table tracks, per-frame evaluation.
#include "assets/keyframe_track.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/data_path.h"
#include "platform/diagnostics.h"
#include "sequencing/time_string.h"

namespace MorlenGL {

namespace {

constexpr double kPi = 3.1415927;  // the show's own value of pi
constexpr std::streamsize kFieldSize = 32;  // 31 characters and the terminator

// One field up to its '>'. False at end of file or on any stream failure (including a
// field longer than 31 characters), which ends reading.
bool ReadField(std::istream& in, char (&field)[kFieldSize]) {
  in.getline(field, kFieldSize, '>');
  return !in.fail() && !in.eof();
}

int32_t TimeField(const char* field) {
  if (!std::strchr(field, ':')) return ParseLeadingInt(field);
  int64_t hundredths = int64_t{ParseTimeString(field)} * 100;
  if (hundredths > INT32_MAX) return INT32_MAX;
  if (hundredths < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(hundredths);
}

double NumberField(const char* field) {
  return std::strtod(field, nullptr);  // 0.0 when nothing converts
}

// Several scenes load the same file: what is wrong with it is said once.
void ReportOnce(const std::vector<std::string>& lines) {
  static std::set<std::string> said;
  for (const std::string& line : lines)
    if (said.insert(line).second) plat::Report("%s", line.c_str());
}

// The index of the first record with a NaN or infinite coordinate, or -1.
int64_t FirstNonFiniteKey(const std::vector<Keyframe>& keys) {
  for (const Keyframe& k : keys)
    if (!std::isfinite(k.x) || !std::isfinite(k.y) || !std::isfinite(k.z)) return k.index;
  return -1;
}

}  // namespace

double CosineWeight(int64_t sinceStart, int64_t span) {
  double m = std::cos(static_cast<double>(sinceStart) * (1.0 / span) * kPi);
  return (1.0 - m) * 0.5;
}

// [section] loading
bool cKeyframeTrack::Load(const std::string& name, int32_t startMode) {
  fileName = name;
  if (file.is_open()) file.close();
  file.clear();
  const std::string resolved = plat::ResolveDataPath(name);
  // Checked first, without blocking: the stream's own open would wait for ever on a FIFO.
  std::string why;
  FILE* checked = plat::OpenDataFile(resolved, kTrackFileLimit, &why);
  if (checked) fclose(checked);
  if (checked) file.open(resolved, std::ios::in | std::ios::binary);
  if (!file.is_open()) {
    mode = startMode;
    ReportOnce({resolved + ": cannot open keyframe track: " + (checked ? strerror(errno) : why)});
    return false;
  }
  std::vector<std::string> lines;
  plat::CaptureThreadDiagnostics(&lines);
  const bool loaded = LoadFromStream(file, startMode, resolved);
  plat::CaptureThreadDiagnostics(nullptr);
  ReportOnce(lines);
  return loaded;
}

bool cKeyframeTrack::LoadFromStream(std::istream& in, int32_t startMode, const std::string& name) {
  mode = startMode;
  if (fileName.empty()) fileName = name;
  keys.clear();
  samples.clear();
  current = 0;
  recordCount = 0;
  finished = false;
  position[0] = position[1] = position[2] = 0;
  ReadRecords(in);
  if (const int64_t bad = FirstNonFiniteKey(keys); bad >= 0) {
    plat::Report("%s: contains NaN or infinite numbers at record %lld; the track stays at (0, 0, 0)", name.c_str(),
                 static_cast<long long>(bad + 1));
    keys.clear();
    return false;
  }
  if (keys.empty()) {
    plat::Report("%s: no complete keyframe record; the track stays at (0, 0, 0)", name.c_str());
    return false;
  }
  SetPosition(keys[current]);
  Bake(name);
  return true;
}

// Five fields per record; the record being read when the stream ends or fails is incomplete
// and is not kept, whether or not the file ends with a line break.
void cKeyframeTrack::ReadRecords(std::istream& in) {
  char field[5][kFieldSize];
  while (in.good()) {
    bool complete = true;
    for (auto& f : field) {
      complete = ReadField(in, f);
      if (!complete) break;
    }
    ++recordCount;
    if (!complete) break;
    Keyframe k;
    k.index = recordCount - 1;
    k.time = TimeField(field[0]);
    k.x = NumberField(field[1]);
    k.y = NumberField(field[2]);
    k.z = NumberField(field[3]);
    k.interpolation = ParseLeadingInt(field[4]);
    keys.push_back(k);
  }
}

// [section] baking of the table types
void cKeyframeTrack::Bake(const std::string& name) {
  int32_t last = keys.back().time;
  if (last > bakeLimit) {
    plat::Report("%s: last key at %d is past %d hundredths; tables stop there", name.c_str(), last,
                 bakeLimit);
    last = bakeLimit;
  }
  for (int32_t i = 1; i <= last; ++i) {
    mode = keys[current].interpolation;
    if (mode == KF_STEP_TABLE || mode == KF_LINEAR_TABLE || mode == KF_COSINE_TABLE) BakeStep(i);
  }
}

void cKeyframeTrack::BakeStep(int32_t i) {
  const Keyframe& cur = keys[current];
  if (current + 1 >= keys.size()) {
    if (mode == KF_STEP_TABLE) {
      SetPosition(cur);
      samples.push_back(Keyframe{0, i, position[0], position[1], position[2], cur.interpolation});
      finished = true;
    }
    return;
  }
  const Keyframe& next = keys[current + 1];
  if (!(cur.time < i && i < next.time)) {
    ++current;
    return;
  }
  int64_t span = int64_t{next.time} - cur.time;
  if (mode == KF_STEP_TABLE) {
    SetPosition(cur);
  } else if (mode == KF_LINEAR_TABLE) {
    position[0] += (next.x - cur.x) / static_cast<double>(span);
    position[1] += (next.y - cur.y) / static_cast<double>(span);
    position[2] += (next.z - cur.z) / static_cast<double>(span);
  } else {
    Blend(CosineWeight(int64_t{i} - cur.time, span), cur, next);
  }
  samples.push_back(Keyframe{0, i, position[0], position[1], position[2], cur.interpolation});
}

// [section] per-frame evaluation
void cKeyframeTrack::Update() {
  if (finished || keys.empty() || !clock) return;
  int64_t t64 = int64_t{clock->m_elapsed} + clock->m_timeShift;
  int32_t t = t64 > INT32_MAX ? INT32_MAX : t64 < INT32_MIN ? INT32_MIN : static_cast<int32_t>(t64);
  switch (mode) {
    case KF_STEP: UpdateStep(t); break;
    case KF_LINEAR: UpdateLinear(t); break;
    case KF_COSINE: UpdateCosine(t); break;
    case KF_STEP_TABLE:
    case KF_LINEAR_TABLE:
    case KF_COSINE_TABLE:
      if (t >= 0 && static_cast<size_t>(t) < samples.size()) SetPosition(samples[t]);
      break;
    default: break;
  }
}

// Crossing a key boundary moves nothing this frame; the new key's type takes over.
void cKeyframeTrack::Advance() {
  ++current;
  mode = keys[current].interpolation;
}

void cKeyframeTrack::UpdateStep(int32_t t) {
  if (current + 1 < keys.size()) {
    if (keys[current].time < t && t < keys[current + 1].time)
      SetPosition(keys[current]);
    else
      Advance();
  } else {
    SetPosition(keys[current]);
    finished = true;
  }
}

void cKeyframeTrack::UpdateLinear(int32_t t) {
  if (current + 1 >= keys.size()) return;
  const Keyframe& cur = keys[current];
  const Keyframe& next = keys[current + 1];
  if (!(cur.time < t && t < next.time)) return Advance();
  // Incremental: the position is never snapped to a key.
  double dt = static_cast<double>(int64_t{clock->m_elapsed} - clock->m_lastElapsed);
  double span = static_cast<double>(next.time) - cur.time;
  position[0] += (next.x - cur.x) / span * dt;
  position[1] += (next.y - cur.y) / span * dt;
  position[2] += (next.z - cur.z) / span * dt;
}

void cKeyframeTrack::UpdateCosine(int32_t t) {
  if (current + 1 >= keys.size()) return;
  const Keyframe& cur = keys[current];
  const Keyframe& next = keys[current + 1];
  if (!(cur.time < t && t < next.time)) return Advance();
  Blend(CosineWeight(int64_t{t} - cur.time, int64_t{next.time} - cur.time), cur, next);
}

void cKeyframeTrack::SetPosition(const Keyframe& k) {
  position[0] = k.x;
  position[1] = k.y;
  position[2] = k.z;
}

void cKeyframeTrack::Blend(double w, const Keyframe& cur, const Keyframe& next) {
  position[0] = w * next.x + (1 - w) * cur.x;
  position[1] = w * next.y + (1 - w) * cur.y;
  position[2] = w * next.z + (1 - w) * cur.z;
}

void cKeyframeTrack::GetPosition(double out[3]) const {
  out[0] = position[0];
  out[1] = position[1];
  out[2] = position[2];
}

}  // namespace MorlenGL
