// music_synth.cpp -- instrument models, sends (reverb, echo), ducking, mastering and LAME encoding.
#include "music_synth.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>

#include "procgen.h"

namespace datagen {

float Pitch(int midi) { return 440.0f * std::pow(2.0f, float(midi - 69) / 12.0f); }

namespace {

// ---- [oscillators and filters] ----

constexpr int kTableSize = 4096;

struct SineTable {
  float v[kTableSize + 1];
  SineTable() {
    for (int i = 0; i <= kTableSize; ++i) v[i] = float(std::sin(2.0 * 3.14159265358979 * i / kTableSize));
  }
  float operator()(float phase) const {  // phase in cycles, [0, 1)
    float x = phase * kTableSize;
    int i = int(x);
    return v[i] + (v[i + 1] - v[i]) * (x - float(i));
  }
};
const SineTable kSine;

float Wrap01(float p) { return p - std::floor(p); }

// Band-limited-ish sawtooth: the polyBLEP correction removes most aliasing of the bright voices.
float Saw(float phase, float inc) {
  float s = 2 * phase - 1;
  if (phase < inc) {
    float t = phase / inc;
    s -= t + t - t * t - 1;
  } else if (phase > 1 - inc) {
    float t = (phase - 1) / inc;
    s -= t * t + t + t + 1;
  }
  return s;
}

struct OnePole {
  float z = 0;
  float Low(float x, float a) { return z += a * (x - z); }
};
float OnePoleCoeff(float hz) { return 1 - std::exp(-2 * kPi * hz / kSampleRate); }

struct Biquad {  // band-pass, constant peak gain
  float b0 = 0, b2 = 0, a1 = 0, a2 = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  void BandPass(float hz, float q) {
    float w = 2 * kPi * hz / kSampleRate, alpha = std::sin(w) / (2 * q), a0 = 1 + alpha;
    b0 = alpha / a0;
    b2 = -alpha / a0;
    a1 = -2 * std::cos(w) / a0;
    a2 = (1 - alpha) / a0;
  }
  float Run(float x) {
    float y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

float Noise(Rng& rng) { return rng.Unit() * 2 - 1; }

// ---- [instruments] ----

// Attack-decay-sustain-release over a note of length `len`; t in seconds from the note start.
float Envelope(float t, float len, float attack, float release) {
  float a = attack > 0 ? std::min(1.0f, t / attack) : 1.0f;
  float r = t > len ? std::max(0.0f, 1 - (t - len) / release) : 1.0f;
  return a * r;
}

// The tail each voice keeps sounding after its nominal length.
float Tail(Voice v) {
  switch (v) {
    case Voice::kPad: return 1.2f;
    case Voice::kBass: return 0.08f;
    case Voice::kLead: return 0.25f;
    case Voice::kPluck: return 0.02f;
    default: return 0.0f;
  }
}

struct VoiceState {
  float phase[3] = {0, 0.33f, 0.66f};
  float sweep = 0;
  OnePole lp, lp2, hp;
  Biquad bp;
  Rng rng{1};
};

// One sample of voice v at time t since the note began (mono; the mixer pans it).
float Sample(const Note& n, VoiceState& s, float t) {
  const float dt = 1.0f / kSampleRate;
  switch (n.voice) {
    case Voice::kKick: {
      float f = 48 + 130 * std::exp(-t / 0.035f);
      s.phase[0] = Wrap01(s.phase[0] + f * dt);
      float click = t < 0.004f ? Noise(s.rng) * (1 - t / 0.004f) * 0.3f : 0.0f;
      return (kSine(s.phase[0]) * std::exp(-t / 0.30f) + click) * Envelope(t, float(n.length), 0.001f, 0.05f);
    }
    case Voice::kBass: {
      float inc = n.freq * dt;
      s.phase[0] = Wrap01(s.phase[0] + inc);
      s.phase[1] = Wrap01(s.phase[1] + inc * 1.006f);
      float raw = 0.5f * (Saw(s.phase[0], inc) + Saw(s.phase[1], inc * 1.006f));
      float sub = kSine(s.phase[0]);
      float cutoff = 220 + 900 * std::exp(-t / 0.09f);
      float body = s.lp2.Low(s.lp.Low(raw, OnePoleCoeff(cutoff)), OnePoleCoeff(cutoff));
      return (0.75f * body + 0.55f * sub) * Envelope(t, float(n.length), 0.004f, 0.08f);
    }
    case Voice::kPad: {
      float sum = 0;
      const float detune[3] = {1.0f, 1.0045f, 0.9962f};
      for (int k = 0; k < 3; ++k) {
        float inc = n.freq * detune[k] * dt;
        s.phase[k] = Wrap01(s.phase[k] + inc);
        sum += Saw(s.phase[k], inc);
      }
      float body = s.lp2.Low(s.lp.Low(sum / 3, OnePoleCoeff(1400)), OnePoleCoeff(2400));
      return body * Envelope(t, float(n.length), 0.5f, 1.2f);
    }
    case Voice::kPluck: {
      float inc = n.freq * dt;
      s.phase[0] = Wrap01(s.phase[0] + inc);
      float pulse = s.phase[0] < 0.3f ? 1.0f : -0.43f;
      float bright = s.lp.Low(pulse, OnePoleCoeff(600 + 3500 * std::exp(-t / 0.06f)));
      return bright * std::exp(-t / 0.16f) * Envelope(t, float(n.length), 0.002f, 0.02f);
    }
    case Voice::kLead: {
      float vib = 1 + 0.004f * kSine(Wrap01(t * 5.5f)) * std::min(1.0f, t / 0.3f);
      float inc = n.freq * vib * dt;
      s.phase[0] = Wrap01(s.phase[0] + inc);
      s.phase[1] = Wrap01(s.phase[1] + inc * 2.0f);
      float tone = 0.7f * Saw(s.phase[0], inc) + 0.3f * kSine(s.phase[1]);
      float body = s.lp.Low(tone, OnePoleCoeff(2600));
      return body * Envelope(t, float(n.length), 0.02f, 0.25f);
    }
    case Voice::kSnare: {
      if (t == 0) s.bp.BandPass(1750, 0.9f);
      s.phase[0] = Wrap01(s.phase[0] + (180 + 60 * std::exp(-t / 0.02f)) * dt);
      float tone = kSine(s.phase[0]) * std::exp(-t / 0.06f) * 0.6f;
      float noise = s.bp.Run(Noise(s.rng)) * 3.2f * std::exp(-t / 0.16f);
      float hiss = (Noise(s.rng) - s.hp.Low(Noise(s.rng), OnePoleCoeff(4000))) * 0.25f * std::exp(-t / 0.09f);
      s.phase[1] = Wrap01(s.phase[1] + 1725 * dt);  // the shell's ring, where spectrum bin 20 listens
      float ring = kSine(s.phase[1]) * 0.45f * std::exp(-t / 0.07f);
      return tone + noise + hiss + ring;
    }
    case Voice::kClap: {
      if (t == 0) s.bp.BandPass(1400, 1.3f);
      float bursts = t < 0.03f ? (std::fmod(t, 0.01f) < 0.006f ? 1.0f : 0.2f) : std::exp(-(t - 0.03f) / 0.1f);
      return s.bp.Run(Noise(s.rng)) * 3.0f * bursts;
    }
    case Voice::kHat:
    case Voice::kOpenHat: {
      float decay = n.voice == Voice::kHat ? 0.035f : 0.22f;
      if (t == 0) s.bp.BandPass(1800, 0.7f);
      float x = Noise(s.rng);
      float high = x - s.hp.Low(x, OnePoleCoeff(6500));
      float shaker = s.bp.Run(x) * 1.8f;  // the body of the hat that sits around 1.7 kHz
      s.phase[0] = Wrap01(s.phase[0] + 1745 * dt);
      float tick = kSine(s.phase[0]) * 1.0f * std::exp(-t / 0.03f);
      return (high + shaker) * std::exp(-t / decay) + tick;
    }
    case Voice::kRiser: {
      float f = Clamp01(t / float(n.length));
      if (int(t * kSampleRate) % 64 == 0) s.bp.BandPass(300 + 5000 * f * f, 2.0f);
      float cut = Clamp01((float(n.length) - t) / 0.03f);  // no click where it stops
      return s.bp.Run(Noise(s.rng)) * f * f * 2.0f * cut;
    }
    case Voice::kImpact: {
      s.phase[0] = Wrap01(s.phase[0] + (40 + 60 * std::exp(-t / 0.08f)) * dt);
      float boom = kSine(s.phase[0]) * std::exp(-t / 0.6f);
      float x = Noise(s.rng);
      float crash = (x - s.hp.Low(x, OnePoleCoeff(3000))) * 0.45f * std::exp(-t / 1.2f);
      return boom + crash;
    }
  }
  return 0;
}

// ---- [mixing desk] ----

struct Bus {
  std::vector<float> l, r;
  explicit Bus(size_t n) : l(n, 0.0f), r(n, 0.0f) {}
};

// Where each voice goes: dry level, reverb send, echo send, and whether it ducks under the kick.
struct Routing {
  float dry, reverb, echo;
  bool ducks;
};
Routing RouteOf(Voice v) {
  switch (v) {
    case Voice::kPad: return {0.85f, 0.6f, 0.0f, true};
    case Voice::kBass: return {0.85f, 0.0f, 0.0f, true};
    case Voice::kPluck: return {0.45f, 0.25f, 0.35f, true};
    case Voice::kLead: return {0.42f, 0.3f, 0.25f, false};
    case Voice::kSnare:
    case Voice::kClap: return {0.5f, 0.18f, 0.0f, false};
    case Voice::kRiser:
    case Voice::kImpact: return {0.5f, 0.4f, 0.0f, false};
    default: return {0.6f, 0.0f, 0.0f, false};
  }
}

// Index of a sample in the output: wraps for loops, -1 when outside.
long long Slot(long long i, long long n, bool loop) {
  if (loop) return ((i % n) + n) % n;
  return i < n ? i : -1;
}

void RenderNotes(const std::vector<Note>& notes, const MixSettings& mix, Bus& dry, Bus& wet, Bus& echo,
                 Bus& duckBus) {
  long long n = (long long)dry.l.size();
  uint64_t seed = 17;
  for (const Note& note : notes) {
    VoiceState state;
    state.rng = Rng(seed++);
    Routing route = RouteOf(note.voice);
    float panL = std::sqrt(0.5f * (1 - note.pan)), panR = std::sqrt(0.5f * (1 + note.pan));
    long long first = std::llround(note.start * kSampleRate);
    long long count = std::llround((note.length + Tail(note.voice)) * kSampleRate);
    if (note.voice == Voice::kKick || note.voice == Voice::kSnare || note.voice == Voice::kClap)
      count = std::max(count, (long long)(0.5 * kSampleRate));
    if (note.voice == Voice::kImpact) count = 4 * kSampleRate;
    for (long long k = 0; k < count; ++k) {
      long long at = Slot(first + k, n, mix.loop);
      if (at < 0) break;
      float x = Sample(note, state, float(k) / kSampleRate) * note.gain;
      float l = x * panL, r = x * panR;
      Bus& target = route.ducks ? duckBus : dry;
      target.l[size_t(at)] += l * route.dry;
      target.r[size_t(at)] += r * route.dry;
      wet.l[size_t(at)] += l * route.reverb;
      wet.r[size_t(at)] += r * route.reverb;
      echo.l[size_t(at)] += l * route.echo;
      echo.r[size_t(at)] += r * route.echo;
    }
  }
}

// Gain that dips after every kick, so pads and bass breathe with the beat.
std::vector<float> DuckCurve(size_t n, const MixSettings& mix) {
  std::vector<float> g(n, 1.0f);
  for (double k : mix.kickTimes) {
    long long first = std::llround(k * kSampleRate);
    for (long long i = 0; i < (long long)(0.3 * kSampleRate); ++i) {
      long long at = Slot(first + i, (long long)n, mix.loop);
      if (at < 0) break;
      float t = float(i) / kSampleRate;
      float dip = 1 - 0.65f * std::exp(-t / 0.09f);
      g[size_t(at)] = std::min(g[size_t(at)], dip);
    }
  }
  return g;
}

// Schroeder reverb: four combs and two all-passes per side, different lengths for width.
struct Reverb {
  struct Delay {
    std::vector<float> buf;
    size_t pos = 0;
    explicit Delay(size_t n) : buf(n, 0.0f) {}
    float Comb(float x, float fb) {
      float y = buf[pos];
      buf[pos] = x + y * fb;
      pos = (pos + 1) % buf.size();
      return y;
    }
    float AllPass(float x) {
      float y = buf[pos];
      float v = x + y * 0.5f;
      buf[pos] = v;
      pos = (pos + 1) % buf.size();
      return y - v * 0.5f;
    }
  };
  std::vector<Delay> combs, passes;
  explicit Reverb(int spread) {
    for (int len : {1557, 1617, 1491, 1422}) combs.emplace_back(size_t(len + spread));
    for (int len : {225, 556}) passes.emplace_back(size_t(len + spread));
  }
  float Run(float x) {
    float sum = 0;
    for (auto& c : combs) sum += c.Comb(x, 0.84f);
    sum *= 0.25f;
    for (auto& p : passes) sum = p.AllPass(sum);
    return sum;
  }
};

// Runs an effect over the bus; for loops it runs twice round and keeps the settled second pass.
template <typename Effect>
void ApplySend(Bus& bus, bool loop, Effect left, Effect right, Bus& out) {
  size_t n = bus.l.size();
  int rounds = loop ? 2 : 1;
  for (int round = 0; round < rounds; ++round) {
    for (size_t i = 0; i < n; ++i) {
      float l = left.Run(bus.l[i]), r = right.Run(bus.r[i]);
      if (round == rounds - 1) {
        out.l[i] += l;
        out.r[i] += r;
      }
    }
  }
}

struct Echo {  // dotted-eighth feedback delay at 120 beats per minute
  std::vector<float> buf;
  size_t pos = 0;
  explicit Echo(size_t n) : buf(n, 0.0f) {}
  float Run(float x) {
    float y = buf[pos];
    buf[pos] = x + y * 0.38f;
    pos = (pos + 1) % buf.size();
    return y;
  }
};

void Master(Bus& out, const MixSettings& mix) {
  size_t n = out.l.size();
  if (mix.fadeOutFrom >= 0) {
    size_t from = size_t(mix.fadeOutFrom * kSampleRate);
    for (size_t i = from; i < n; ++i) {
      float g = 1 - float(i - from) / float(n - from);
      out.l[i] *= g;
      out.r[i] *= g;
    }
  }
  // Gentle saturation on the peaks (the kick's attack) lifts the body of the mix, and with it the
  // spectrum magnitudes the scenes turn into light; then the loudest sample goes to peakDb.
  const float drive = 2.6f, norm = std::tanh(drive);
  for (int pass = 0; pass < 2; ++pass) {
    float peak = 1e-9f;
    for (size_t i = 0; i < n; ++i) peak = std::max(peak, std::max(std::fabs(out.l[i]), std::fabs(out.r[i])));
    float gain = pass == 0 ? 1 / peak : std::pow(10.0f, mix.peakDb / 20.0f) / peak;
    for (size_t i = 0; i < n; ++i) {
      out.l[i] *= gain;
      out.r[i] *= gain;
      if (pass == 0) {
        out.l[i] = std::tanh(drive * out.l[i]) / norm;
        out.r[i] = std::tanh(drive * out.r[i]) / norm;
      }
    }
  }
}

}  // namespace

Pcm Render(const std::vector<Note>& notes, const MixSettings& mix) {
  size_t n = size_t(mix.seconds * kSampleRate);
  Bus dry(n), wet(n), echo(n), duck(n);
  RenderNotes(notes, mix, dry, wet, echo, duck);
  std::vector<float> g = DuckCurve(n, mix);
  for (size_t i = 0; i < n; ++i) {
    dry.l[i] += duck.l[i] * g[i];
    dry.r[i] += duck.r[i] * g[i];
  }
  ApplySend(wet, mix.loop, Reverb(0), Reverb(23), dry);
  size_t echoLen = size_t(0.375 * kSampleRate);
  ApplySend(echo, mix.loop, Echo(echoLen), Echo(echoLen + 331), dry);
  Master(dry, mix);
  Pcm pcm;
  pcm.left = std::move(dry.l);
  pcm.right = std::move(dry.r);
  return pcm;
}

// ---- [mp3] ----

bool EncodeMp3(const Pcm& pcm, int kbps, int quality, std::string* bytes, std::string* error) {
  lame_global_flags* gf = lame_init();
  if (!gf) {
    *error = "LAME could not start";
    return false;
  }
  lame_set_num_channels(gf, 2);
  lame_set_in_samplerate(gf, kSampleRate);
  lame_set_out_samplerate(gf, kSampleRate);
  lame_set_mode(gf, JOINT_STEREO);
  lame_set_brate(gf, kbps);
  lame_set_quality(gf, quality);
  lame_set_bWriteVbrTag(gf, 1);  // the Info frame tells decoders the padding, so loops stay gapless
  if (lame_init_params(gf) < 0) {
    lame_close(gf);
    *error = "LAME refused the settings";
    return false;
  }
  const int chunk = 8192;
  std::vector<short> l(chunk), r(chunk);
  std::vector<unsigned char> out(size_t(1.25 * chunk + 7200));
  bytes->clear();
  size_t n = pcm.left.size();
  for (size_t at = 0; at < n; at += chunk) {
    int count = int(std::min(size_t(chunk), n - at));
    for (int i = 0; i < count; ++i) {
      l[size_t(i)] = short(std::lrint(std::clamp(pcm.left[at + size_t(i)], -1.0f, 1.0f) * 32767.0f));
      r[size_t(i)] = short(std::lrint(std::clamp(pcm.right[at + size_t(i)], -1.0f, 1.0f) * 32767.0f));
    }
    int written = lame_encode_buffer(gf, l.data(), r.data(), count, out.data(), int(out.size()));
    if (written < 0) break;
    bytes->append(reinterpret_cast<char*>(out.data()), size_t(written));
  }
  int tail = lame_encode_flush(gf, out.data(), int(out.size()));
  if (tail > 0) bytes->append(reinterpret_cast<char*>(out.data()), size_t(tail));
  size_t tagSize = lame_get_lametag_frame(gf, out.data(), out.size());
  if (tagSize > 0 && tagSize <= bytes->size()) bytes->replace(0, tagSize, reinterpret_cast<char*>(out.data()), tagSize);
  lame_close(gf);
  if (bytes->empty()) {
    *error = "LAME produced no data";
    return false;
  }
  return true;
}

}  // namespace datagen
