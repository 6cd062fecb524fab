// audio_pcm.cpp -- libmpg123 decoding to 16-bit PCM (whole or block by block), frame access, linear-interpolating mixer, FFTW spectrum.
#include "platform/audio_pcm.h"

#include <fftw3.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/diagnostics.h"

namespace plat {

// ---- decoding ----

static void Mpg123InitOnce() {
  static const bool done = (mpg123_init(), true);
  (void)done;
}

// A decoder that keeps its complaints to itself: ours is the one line the caller reports.
static mpg123_handle* NewDecoder(std::string* error) {
  Mpg123InitOnce();
  int err = MPG123_OK;
  mpg123_handle* mh = mpg123_new(nullptr, &err);
  if (!mh) {
    *error = std::string("decoder unavailable: ") + mpg123_plain_strerror(err);
    return nullptr;
  }
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  return mh;
}

static void DeleteDecoder(mpg123_handle* mh) {
  if (!mh) return;
  mpg123_close(mh);
  mpg123_delete(mh);
}

static std::string Seconds(int64_t frames, int rate) {
  char text[32];
  snprintf(text, sizeof text, "%.2f s", rate > 0 ? double(frames) / rate : 0.0);
  return text;
}

// Checks the file and opens it for 16-bit output; false with *error when it holds no MPEG audio.
static bool OpenFile(mpg123_handle* mh, const std::string& path, long* rate, int* channels, std::string* error) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    *error = errno == ENOENT ? "file not found" : strerror(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    *error = S_ISDIR(st.st_mode) ? "is a directory" : "is not a regular file";
    return false;
  }
  if (access(path.c_str(), R_OK) != 0) {
    *error = strerror(errno);
    return false;
  }
  // Opening already looks for the first audio frame, so a failure here means no MPEG audio.
  if (mpg123_open_fixed(mh, path.c_str(), MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK) {
    *error = std::string("not an MP3 file (") + mpg123_strerror(mh) + ")";
    return false;
  }
  int encoding = 0;
  if (mpg123_getformat(mh, rate, channels, &encoding) != MPG123_OK || *rate <= 0 || *channels < 1 ||
      *channels > 2) {
    *error = "not an MP3 file (no MPEG audio frame found)";
    return false;
  }
  return true;
}

// One call to the decoder; the bytes it decoded are in `bytes` whatever it says. A "new
// format" that is the format already decoded is no change.
enum class ReadResult { kMore, kEnd, kFormatChange, kDamage };

static ReadResult ReadSome(mpg123_handle* mh, long rate, int channels, unsigned char* bytes, size_t size,
                           size_t* done) {
  const int result = mpg123_read(mh, bytes, size, done);
  if (result == MPG123_OK) return ReadResult::kMore;
  if (result == MPG123_DONE) return ReadResult::kEnd;
  if (result != MPG123_NEW_FORMAT) return ReadResult::kDamage;
  long r = 0;
  int c = 0, e = 0;
  mpg123_getformat(mh, &r, &c, &e);
  return r == rate && c == channels ? ReadResult::kMore : ReadResult::kFormatChange;
}

static std::string WhyStopped(ReadResult result, mpg123_handle* mh) {
  if (result == ReadResult::kFormatChange) return "format changes";
  if (result == ReadResult::kEnd) return "ends early";
  return mpg123_strerror(mh);
}

// Appends decoded bytes as whole 16-bit samples.
static void Append(PcmTrack* track, const unsigned char* bytes, size_t count) {
  const size_t old = track->samples.size();
  track->samples.resize(old + count / sizeof(int16_t));
  std::copy(bytes, bytes + (count / sizeof(int16_t)) * sizeof(int16_t),
            reinterpret_cast<unsigned char*>(track->samples.data() + old));
}

// Reads until the end of the stream. Damage after some audio keeps what was decoded and
// leaves a warning in *error, so a partly broken file still plays as far as it goes.
static bool ReadAll(mpg123_handle* mh, const std::string& path, PcmTrack* track, std::string* error) {
  long rate = 0;
  int channels = 0;
  if (!OpenFile(mh, path, &rate, &channels, error)) return false;
  track->rate = static_cast<int>(rate);
  track->channels = channels;
  std::vector<unsigned char> buffer(1 << 16);
  for (;;) {
    size_t done = 0;
    const ReadResult result = ReadSome(mh, rate, channels, buffer.data(), buffer.size(), &done);
    Append(track, buffer.data(), done);
    if (result == ReadResult::kMore) continue;
    if (result == ReadResult::kFormatChange)
      *error = "format changes after " + Seconds(track->Frames(), track->rate) + "; the rest is left out";
    if (result == ReadResult::kDamage)
      *error = "damaged after " + Seconds(track->Frames(), track->rate) + " (" + mpg123_strerror(mh) +
               "); the rest is left out";
    break;
  }
  if (track->Frames() == 0) {
    *error = "not an MP3 file (no audio decoded)";
    return false;
  }
  return true;
}

bool DecodeMp3File(const std::string& path, PcmTrack* track, std::string* error) {
  *track = PcmTrack{};
  error->clear();
  mpg123_handle* mh = NewDecoder(error);
  if (!mh) return false;
  bool ok = ReadAll(mh, path, track, error);
  DeleteDecoder(mh);
  if (!ok) *track = PcmTrack{};
  return ok;
}

// ---- decoding as it is read ----

Mp3Blocks::~Mp3Blocks() { DeleteDecoder(decoder_); }

bool Mp3Blocks::Open(const std::string& path, int* rate, int* channels, std::string* error) {
  error->clear();
  decoder_ = NewDecoder(error);
  if (!decoder_) return false;
  long fileRate = 0;
  if (!OpenFile(decoder_, path, &fileRate, &channels_, error)) return false;
  // The encoder's info frame gives the exact length at once, trimmed as a whole decode trims
  // it. Without one a scan of every frame header counts it (there is nothing to trim then; over
  // a file cut shorter than its info frame says, a scan would turn the trimming off).
  long delay = -1;
  double unused = 0;
  const bool tagged = mpg123_getstate(decoder_, MPG123_ENC_DELAY, &delay, &unused) == MPG123_OK && delay >= 0;
  if ((!tagged && mpg123_scan(decoder_) != MPG123_OK) || mpg123_length(decoder_) <= 0) {
    *error = "not an MP3 file (no audio decoded)";
    return false;
  }
  path_ = path;
  rate_ = fileRate;
  frames_ = mpg123_length(decoder_);
  damagedAt_ = frames_;
  next_ = mpg123_tell(decoder_);
  // The first block shows whether there is audio to decode at all.
  std::lock_guard<std::mutex> lock(mutex_);
  cache_[0] = Decode(0);
  lastUse_[0] = ++uses_;
  if (damagedAt_ == 0) {
    *error = "not an MP3 file (no audio decoded)";
    return false;
  }
  if (!damage_.empty()) {
    *error = damage_;
    damageReported_ = true;
  }
  *rate = static_cast<int>(fileRate);
  *channels = channels_;
  return true;
}

std::shared_ptr<const PcmBlock> Mp3Blocks::BlockAt(int64_t frame) {
  const int64_t first = std::clamp<int64_t>(frame, 0, std::max<int64_t>(frames_ - 1, 0)) / kBlockFrames * kBlockFrames;
  std::shared_ptr<const PcmBlock> block;
  std::string report;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++uses_;
    int slot = 0;
    for (int i = 0; i < kCachedBlocks; ++i) {
      if (cache_[i] && cache_[i]->first == first) {
        lastUse_[i] = uses_;
        return cache_[i];
      }
      if (lastUse_[i] < lastUse_[slot]) slot = i;
    }
    cache_[slot] = block = Decode(first);
    lastUse_[slot] = uses_;
    if (!damage_.empty() && !damageReported_) {
      report = damage_;
      damageReported_ = true;
    }
  }
  if (!report.empty()) Report("%s: %s", path_.c_str(), report.c_str());
  return block;
}

// Called under the lock. Frames from the damage on read as silence.
std::shared_ptr<const PcmBlock> Mp3Blocks::Decode(int64_t first) {
  auto block = std::make_shared<PcmBlock>();
  block->first = first;
  const int64_t count = std::min(kBlockFrames, frames_ - first);
  block->samples.assign(static_cast<size_t>(count * channels_), 0);
  if (first >= damagedAt_) return block;
  if (next_ != first && mpg123_seek(decoder_, first, SEEK_SET) != first) {
    NoteDamage(first, mpg123_strerror(decoder_));
    return block;
  }
  const int64_t frames = ReadFrames(block->samples.data(), std::min(count, damagedAt_ - first), first);
  next_ = first + frames;
  return block;
}

// Reads `count` frames into `out`; returns how many came before the decoder stopped.
int64_t Mp3Blocks::ReadFrames(int16_t* out, int64_t count, int64_t first) {
  auto* bytes = reinterpret_cast<unsigned char*>(out);
  const size_t frameBytes = sizeof(int16_t) * channels_;
  const size_t wanted = static_cast<size_t>(count) * frameBytes;
  size_t got = 0;
  ReadResult result = ReadResult::kMore;
  // A decoder that keeps answering "more" without giving any would otherwise hold us here.
  for (int idle = 0; got < wanted && idle < 64;) {
    size_t done = 0;
    result = ReadSome(decoder_, rate_, channels_, bytes + got, wanted - got, &done);
    got += done;
    idle = done > 0 ? 0 : idle + 1;
    if (result != ReadResult::kMore) break;
  }
  if (got < wanted)
    NoteDamage(first + int64_t(got / frameBytes),
               result == ReadResult::kMore ? "no progress" : WhyStopped(result, decoder_));
  return int64_t(got / frameBytes);
}

void Mp3Blocks::NoteDamage(int64_t frame, const std::string& why) {
  damagedAt_ = std::min(damagedAt_, frame);
  next_ = -1;
  if (damage_.empty())
    damage_ = "damaged after " + Seconds(frame, static_cast<int>(rate_)) + " (" + why + "); the rest plays as silence";
}

bool OpenMp3File(const std::string& path, PcmTrack* track, std::string* error) {
  *track = PcmTrack{};
  auto blocks = std::make_shared<Mp3Blocks>();
  if (!blocks->Open(path, &track->rate, &track->channels, error)) {
    *track = PcmTrack{};
    return false;
  }
  track->blocks = std::move(blocks);
  return true;
}

// ---- frame access ----

namespace {

// Reads frames of a track whichever way it holds them, keeping the block it used last.
class FrameCursor {
 public:
  explicit FrameCursor(const PcmTrack& track) : track_(track) {}
  // The samples of frame `index`, 0 <= index < Frames().
  const int16_t* At(int64_t index) {
    const int channels = track_.channels;
    if (!track_.blocks) return track_.samples.data() + index * channels;
    if (!block_ || index < block_->first || index >= block_->first + int64_t(block_->samples.size()) / channels)
      block_ = track_.blocks->BlockAt(index);
    return block_->samples.data() + (index - block_->first) * channels;
  }
  float Sample(int64_t index, int channel) { return At(index)[channel] / 32768.0f; }

 private:
  const PcmTrack& track_;
  std::shared_ptr<const PcmBlock> block_;
};

float MonoAt(const PcmTrack& track, FrameCursor& cursor, int64_t frame, bool loop) {
  const int64_t index = PlayedFrame(track, frame, loop);
  if (index < 0) return 0.0f;
  float sum = 0.0f;
  for (int c = 0; c < track.channels; ++c) sum += cursor.Sample(index, c);
  return sum / track.channels;
}

}  // namespace

int64_t PlayedFrame(const PcmTrack& track, int64_t frame, bool loop) {
  const int64_t total = track.Frames();
  if (total == 0) return -1;
  if (loop) return ((frame % total) + total) % total;
  return frame >= 0 && frame < total ? frame : -1;
}

float MonoAt(const PcmTrack& track, int64_t frame, bool loop) {
  FrameCursor cursor(track);
  return MonoAt(track, cursor, frame, loop);
}

std::vector<int16_t> SectionPcm(const PcmTrack& track, int64_t first, int64_t count, bool loop) {
  const int channels = track.channels;
  std::vector<int16_t> out(static_cast<size_t>(std::max<int64_t>(count, 0) * channels), 0);
  FrameCursor cursor(track);
  for (int64_t i = 0; i < count; ++i) {
    const int64_t index = PlayedFrame(track, first + i, loop);
    if (index < 0) continue;
    const int16_t* frame = cursor.At(index);
    std::copy(frame, frame + channels, out.begin() + i * channels);
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
  FrameCursor cursor(track);
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
    float a[2], b[2];
    for (int c = 0; c < 2; ++c) a[c] = cursor.Sample(frame, track.channels == 1 ? 0 : c);
    for (int c = 0; c < 2; ++c) b[c] = cursor.Sample(next, track.channels == 1 ? 0 : c);
    for (int c = 0; c < 2; ++c) out[2 * i + c] += a[c] + (b[c] - a[c]) * frac;
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
  FrameCursor cursor(track);
  for (int n = 0; n < kFftSize; ++n) mono[n] = MonoAt(track, cursor, frame + n, loop);
  Fft512(mono, out);
}

}  // namespace plat
