// audio_device.cpp -- stream table, the mixer the output device calls, and the silent counter-driven fallback.
#include "platform/audio_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "platform/audio_output.h"
#include "platform/counter.h"
#include "platform/diagnostics.h"

namespace plat {

namespace {

// One file, decoded as it is read, and how it plays. With a device the mixer (the device's thread) advances
// `position`; without one, `position` holds where the stream stood at `counterStart`.
struct Stream {
  AudioStream handle = 0;
  PcmTrack pcm;
  bool loop = false;
  bool playing = false;
  double position = 0.0;  // frames of the file
  int64_t counterStart = 0;
};

struct AudioState {
  bool opened = false;
  bool forceSilent = false;
  int deviceRate = 0;  // 0: silent output
  AudioStream nextHandle = 1;
  std::vector<std::unique_ptr<Stream>> streams;
};

// Never destroyed: the device's thread may still run the mixer while statics are torn down at exit.
AudioState& Audio() {
  static AudioState* state = new AudioState;
  return *state;
}

// The mixer runs under the output's lock; every call from the frame loop takes it too.
struct Guard {
  bool locked;
  Guard() : locked(Audio().deviceRate != 0) {
    if (locked) OutputLock();
  }
  ~Guard() {
    if (locked) OutputUnlock();
  }
};

Stream* Find(AudioStream handle) {
  if (handle == 0) return nullptr;
  for (auto& s : Audio().streams)
    if (s->handle == handle) return s.get();
  return nullptr;
}

// Silent output: where the stream is now, from the counter time since it was last settled.
double SilentPosition(const Stream& s) {
  const double total = double(s.pcm.Frames());
  if (!s.playing) return s.position;
  const int64_t ticks = std::max<int64_t>(CounterRead() - s.counterStart, 0);
  const double p = s.position + double(ticks) / double(CounterFrequency()) * s.pcm.rate;
  if (p < total) return p;
  return s.loop && total > 0 ? std::fmod(p, total) : total;
}

double CurrentPosition(const Stream& s) { return Audio().deviceRate ? s.position : SilentPosition(s); }

// Folds the time played so far into `position`, so a change made now applies from now.
void Settle(Stream& s) {
  if (Audio().deviceRate) return;
  s.position = SilentPosition(s);
  if (s.playing && !s.loop && s.position >= double(s.pcm.Frames())) s.playing = false;
  s.counterStart = CounterRead();
}

void Mix(float* out, int frames, int rate) {
  AudioState& audio = Audio();
  std::fill(out, out + 2 * frames, 0.0f);
  for (auto& s : audio.streams) {
    if (!s->playing) continue;
    bool ended = false;
    const double step = double(s->pcm.rate) / rate;
    s->position = MixInto(s->pcm, s->position, step, s->loop, out, frames, &ended);
    if (ended) s->playing = false;
  }
  for (int i = 0; i < 2 * frames; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

}  // namespace

// ---- device ----

void AudioOpen(int frequency) {
  AudioState& audio = Audio();
  if (audio.opened) return;
  audio.opened = true;
  // A real device runs on wall time and cannot follow a counter advanced by hand.
  if (audio.forceSilent || IsVirtualCounter()) {
    Detail("audio: silent output, play positions follow the counter");
    return;
  }
  for (auto& s : audio.streams) Settle(*s);  // streams made before carry on from where they are
  audio.deviceRate = OutputOpen(frequency, Mix);
}

void AudioClose() {
  AudioState& audio = Audio();
  if (audio.deviceRate) {
    OutputClose();  // returns once the mixer has finished
    audio.deviceRate = 0;
  }
  audio.streams.clear();
  audio.opened = false;
}

bool AudioHasDevice() { return Audio().deviceRate != 0; }
void AudioForceSilent(bool on) { Audio().forceSilent = on; }

// ---- streams ----

AudioStream AudioStreamCreate(const std::string& path) {
  auto stream = std::make_unique<Stream>();
  std::string error;
  const bool ok = OpenMp3File(path, &stream->pcm, &error);
  if (!error.empty()) Report("%s: %s", path.c_str(), error.c_str());
  if (!ok) return 0;
  AudioState& audio = Audio();
  Guard guard;
  stream->handle = audio.nextHandle++;
  if (audio.nextHandle == 0) audio.nextHandle = 1;
  stream->counterStart = CounterRead();
  audio.streams.push_back(std::move(stream));
  return audio.streams.back()->handle;
}

void AudioStreamFree(AudioStream handle) {
  Guard guard;
  auto& streams = Audio().streams;
  std::erase_if(streams, [handle](const auto& s) { return handle != 0 && s->handle == handle; });
}

void AudioStreamSetLoop(AudioStream handle, bool loop) {
  Guard guard;
  if (Stream* s = Find(handle)) {
    Settle(*s);
    s->loop = loop;
  }
}

void AudioStreamSetPosition(AudioStream handle, int64_t frame) {
  Guard guard;
  if (Stream* s = Find(handle)) {
    Settle(*s);
    s->position = double(std::clamp<int64_t>(frame, 0, s->pcm.Frames()));
  }
}

void AudioStreamPlay(AudioStream handle, bool restart) {
  Guard guard;
  if (Stream* s = Find(handle)) {
    Settle(*s);
    // A stream that played to its end starts again, as a fresh play would.
    if (restart || s->position >= double(s->pcm.Frames())) s->position = 0.0;
    s->playing = true;
  }
}

void AudioStreamStop(AudioStream handle) {
  Guard guard;
  if (Stream* s = Find(handle)) {
    Settle(*s);
    s->playing = false;
  }
}

bool AudioStreamIsPlaying(AudioStream handle) {
  Guard guard;
  const Stream* s = Find(handle);
  if (!s || !s->playing) return false;
  return s->loop || CurrentPosition(*s) < double(s->pcm.Frames());
}

int64_t AudioStreamPosition(AudioStream handle) {
  Guard guard;
  const Stream* s = Find(handle);
  return s ? static_cast<int64_t>(CurrentPosition(*s)) : 0;
}

int64_t AudioStreamLength(AudioStream handle) {
  Guard guard;
  const Stream* s = Find(handle);
  return s ? s->pcm.Frames() : 0;
}

int AudioStreamRate(AudioStream handle) {
  Guard guard;
  const Stream* s = Find(handle);
  return s ? s->pcm.rate : 0;
}

int AudioStreamChannels(AudioStream handle) {
  Guard guard;
  const Stream* s = Find(handle);
  return s ? s->pcm.channels : 0;
}

bool AudioStreamFft512(AudioStream handle, float out[kFftBins]) {
  Guard guard;
  const Stream* s = Find(handle);
  if (!s) return false;
  SpectrumAt(s->pcm, static_cast<int64_t>(CurrentPosition(*s)), s->loop, out);
  return true;
}

bool AudioStreamPcm(AudioStream handle, int64_t first, int64_t count, std::vector<int16_t>* samples) {
  const Stream* s = nullptr;
  bool loop = false;
  {
    Guard guard;
    s = Find(handle);
    if (!s) return false;
    loop = s->loop;
  }
  // Only this thread frees streams, and the decoder keeps its own lock: a long copy need
  // not hold the mixer up.
  *samples = SectionPcm(s->pcm, first, count, loop);
  return true;
}

}  // namespace plat
