// audio_pcm.cpp -- libmpg123 decoding to 16-bit PCM, frame access, linear-interpolating mixer, FFTW spectrum.
#include "platform/audio_pcm.h"

#include <fftw3.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <numbers>

namespace plat {

// ---- decoding ----

static void Mpg123InitOnce() {
  static const bool done = (mpg123_init(), true);
  (void)done;
}

// Appends decoded bytes as whole 16-bit samples.
static void Append(PcmTrack* track, const unsigned char* bytes, size_t count) {
  const size_t old = track->samples.size();
  track->samples.resize(old + count / sizeof(int16_t));
  std::copy(bytes, bytes + (count / sizeof(int16_t)) * sizeof(int16_t),
            reinterpret_cast<unsigned char*>(track->samples.data() + old));
}

static std::string Seconds(const PcmTrack& track) {
  char text[32];
  snprintf(text, sizeof text, "%.2f s", track.rate > 0 ? double(track.Frames()) / track.rate : 0.0);
  return text;
}

// Reads until the end of the stream. Damage after some audio keeps what was decoded and
// leaves a warning in *error, so a partly broken file still plays as far as it goes.
static bool ReadAll(mpg123_handle* mh, const std::string& path, PcmTrack* track, std::string* error) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    *error = "file not found";
    return false;
  }
  if (!S_ISREG(st.st_mode) || access(path.c_str(), R_OK) != 0) {
    *error = "not a readable file";
    return false;
  }
  // Opening already looks for the first audio frame, so a failure here means no MPEG audio.
  if (mpg123_open_fixed(mh, path.c_str(), MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK) {
    *error = std::string("not an MP3 file (") + mpg123_strerror(mh) + ")";
    return false;
  }
  long rate = 0;
  int channels = 0, encoding = 0;
  if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels < 1 ||
      channels > 2) {
    *error = "not an MP3 file (no MPEG audio frame found)";
    return false;
  }
  track->rate = static_cast<int>(rate);
  track->channels = channels;
  std::vector<unsigned char> buffer(1 << 16);
  for (;;) {
    size_t done = 0;
    int result = mpg123_read(mh, buffer.data(), buffer.size(), &done);
    Append(track, buffer.data(), done);
    if (result == MPG123_DONE) break;
    if (result == MPG123_OK) continue;
    if (result == MPG123_NEW_FORMAT) {
      long r = 0;
      int c = 0, e = 0;
      mpg123_getformat(mh, &r, &c, &e);
      if (r == rate && c == channels) continue;
      *error = "format changes after " + Seconds(*track) + "; the rest is left out";
      break;
    }
    *error = "damaged after " + Seconds(*track) + " (" + mpg123_strerror(mh) + "); the rest is left out";
    break;
  }
  if (track->Frames() == 0) {
    *error = "not an MP3 file (no audio decoded)";
    return false;
  }
  return true;
}

bool DecodeMp3File(const std::string& path, PcmTrack* track, std::string* error) {
  Mpg123InitOnce();
  *track = PcmTrack{};
  error->clear();
  int err = MPG123_OK;
  mpg123_handle* mh = mpg123_new(nullptr, &err);
  if (!mh) {
    *error = std::string("decoder unavailable: ") + mpg123_plain_strerror(err);
    return false;
  }
  // The decoder would print its own complaints; ours is the one line the caller reports.
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  bool ok = ReadAll(mh, path, track, error);
  mpg123_close(mh);
  mpg123_delete(mh);
  if (!ok) *track = PcmTrack{};
  return ok;
}

// ---- frame access ----

int64_t PlayedFrame(const PcmTrack& track, int64_t frame, bool loop) {
  const int64_t total = track.Frames();
  if (total == 0) return -1;
  if (loop) return ((frame % total) + total) % total;
  return frame >= 0 && frame < total ? frame : -1;
}

static float Sample(const PcmTrack& track, int64_t index, int channel) {
  return track.samples[static_cast<size_t>(index * track.channels + channel)] / 32768.0f;
}

float MonoAt(const PcmTrack& track, int64_t frame, bool loop) {
  const int64_t index = PlayedFrame(track, frame, loop);
  if (index < 0) return 0.0f;
  float sum = 0.0f;
  for (int c = 0; c < track.channels; ++c) sum += Sample(track, index, c);
  return sum / track.channels;
}

std::vector<int16_t> SectionPcm(const PcmTrack& track, int64_t first, int64_t count, bool loop) {
  const int channels = track.channels;
  std::vector<int16_t> out(static_cast<size_t>(std::max<int64_t>(count, 0) * channels), 0);
  for (int64_t i = 0; i < count; ++i) {
    const int64_t index = PlayedFrame(track, first + i, loop);
    if (index < 0) continue;
    for (int c = 0; c < channels; ++c)
      out[static_cast<size_t>(i * channels + c)] = track.samples[static_cast<size_t>(index * channels + c)];
  }
  return out;
}

// ---- mixing ----

// Brings a position that ran past the end back into the track; false when a non-looping track is over.
static bool WrapPosition(double* position, int64_t total, bool loop) {
  if (*position < double(total)) return true;
  if (!loop || total == 0) return false;
  *position = std::fmod(*position, double(total));
  return true;
}

double MixInto(const PcmTrack& track, double position, double step, bool loop, float* out, int frames,
               bool* ended) {
  const int64_t total = track.Frames();
  for (int i = 0; i <= frames; ++i) {
    if (!WrapPosition(&position, total, loop)) {
      *ended = true;
      return double(total);
    }
    if (i == frames) break;  // the last pass only settles the position the next call starts from
    const int64_t frame = static_cast<int64_t>(position);
    const float frac = static_cast<float>(position - double(frame));
    int64_t next = PlayedFrame(track, frame + 1, loop);
    if (next < 0) next = frame;  // hold the last frame rather than read past the end
    for (int c = 0; c < 2; ++c) {
      const int source = track.channels == 1 ? 0 : c;
      const float a = Sample(track, frame, source);
      const float b = Sample(track, next, source);
      out[2 * i + c] += a + (b - a) * frac;
    }
    position += step;
  }
  return position;
}

// ---- spectrum ----

// One plan for the whole process, made on first use; only the frame loop's thread runs it.
struct FftState {
  float* input;
  fftwf_complex* output;
  fftwf_plan plan;
  float window[kFftSize];
};

static FftState& Fft() {
  static FftState* state = [] {
    auto* s = new FftState;
    s->input = static_cast<float*>(fftwf_malloc(sizeof(float) * kFftSize));
    s->output = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * (kFftBins + 1)));
    s->plan = fftwf_plan_dft_r2c_1d(kFftSize, s->input, s->output, FFTW_ESTIMATE);
    // Periodic Hann: its mean is exactly 0.5, which the 2/512 scale relies on.
    for (int n = 0; n < kFftSize; ++n)
      s->window[n] = 0.5f - 0.5f * std::cos(2.0f * std::numbers::pi_v<float> * n / kFftSize);
    return s;
  }();
  return *state;
}

void Fft512(const float mono[kFftSize], float out[kFftBins]) {
  FftState& fft = Fft();
  for (int n = 0; n < kFftSize; ++n) fft.input[n] = mono[n] * fft.window[n];
  fftwf_execute(fft.plan);
  const float scale = 2.0f / kFftSize;
  for (int k = 0; k < kFftBins; ++k) out[k] = std::hypot(fft.output[k][0], fft.output[k][1]) * scale;
}

void SpectrumAt(const PcmTrack& track, int64_t frame, bool loop, float out[kFftBins]) {
  float mono[kFftSize];
  for (int n = 0; n < kFftSize; ++n) mono[n] = MonoAt(track, frame + n, loop);
  Fft512(mono, out);
}

}  // namespace plat
