// track_report.cpp -- "track FILE [--at T ...]": keys, samples and followed positions, as JSON.
#include <fstream>
#include <sstream>

#include "assets/keyframe_track.h"
#include "reports.h"
#include "json_writer.h"
#include "platform/data_path.h"
#include "platform/diagnostics.h"

namespace inspect {

namespace {

using MorlenGL::cKeyframeTrack;
using MorlenGL::Keyframe;

void WriteKey(JsonWriter& json, const Keyframe& k, bool withIndex) {
  json.BeginObject();
  if (withIndex) {
    json.Key("index");
    json.Int(k.index);
  }
  json.Key("time");
  json.Int(k.time);
  json.Key("position");
  double p[3] = {k.x, k.y, k.z};
  json.Triple(p);
  json.Key("interpolation");
  json.Int(k.interpolation);
  json.EndObject();
}

// The position Update gives at t when the track is followed one hundredth per frame from 0,
// on a fresh copy of the track (Update changes its state as it goes).
void Follow(const std::string& text, int32_t mode, int32_t t, double out[3]) {
  std::vector<std::string> quiet;  // the load's reports were printed once already
  plat::CaptureDiagnostics(&quiet);
  std::istringstream in(text);
  cKeyframeTrack track;
  track.LoadFromStream(in, mode, "");
  plat::CaptureDiagnostics(nullptr);
  MorlenGL::Timer clock;
  clock.m_timeShift = 0;
  track.clock = &clock;
  for (int32_t now = 0; now <= t; ++now) {
    clock.m_lastElapsed = now > 0 ? now - 1 : 0;
    clock.m_elapsed = now;
    track.Update();
  }
  track.GetPosition(out);
}

void WriteSample(JsonWriter& json, const std::vector<Keyframe>& samples, bool last) {
  if (samples.empty()) return json.Null();
  WriteKey(json, last ? samples.back() : samples.front(), false);
}

}  // namespace

int InspectTrack(const std::string& path, const std::vector<int32_t>& times) {
  std::ifstream file(plat::ResolveDataPath(path), std::ios::binary);
  if (!file) {
    cKeyframeTrack missing;
    missing.Load(path, MorlenGL::KF_COSINE_TABLE);  // gives the usual report
    return kBadInput;
  }
  std::stringstream whole;
  whole << file.rdbuf();
  const std::string text = whole.str();
  // The scenes load their tracks with mode 5; so does the inspector.
  const int32_t mode = MorlenGL::KF_COSINE_TABLE;
  std::istringstream in(text);
  cKeyframeTrack track;
  bool ok = track.LoadFromStream(in, mode, path);

  JsonWriter json(stdout);
  json.BeginObject();
  json.Key("file");
  json.String(path);
  json.Key("keys");
  json.BeginArray();
  for (const Keyframe& k : track.keys) WriteKey(json, k, true);
  json.EndArray();
  // Evaluation compares only neighbouring keys; keys earlier than their predecessor are kept.
  json.Key("keysOutOfOrder");
  json.BeginArray();
  for (size_t i = 1; i < track.keys.size(); ++i)
    if (track.keys[i].time < track.keys[i - 1].time) json.Int(track.keys[i].index);
  json.EndArray();
  json.Key("sampleCount");
  json.Int(static_cast<int64_t>(track.samples.size()));
  json.Key("firstSample");
  WriteSample(json, track.samples, false);
  json.Key("lastSample");
  WriteSample(json, track.samples, true);
  json.Key("at");
  json.BeginArray();
  for (int32_t t : times) {
    double p[3];
    Follow(text, mode, t, p);
    json.BeginObject();
    json.Key("t");
    json.Int(t);
    json.Key("position");
    json.Triple(p);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  json.Finish();
  return ok ? kOk : kBadInput;
}

}  // namespace inspect
