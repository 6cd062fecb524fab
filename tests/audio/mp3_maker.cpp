// mp3_maker.cpp -- LAME encoding of generated test sounds.
#include "mp3_maker.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <stdexcept>

namespace audiotest {

std::vector<int16_t> Sine(int64_t frames, int channels, double hz, double amplitude, int64_t silentFrames) {
  std::vector<int16_t> out(static_cast<size_t>(frames * channels), 0);
  for (int64_t i = silentFrames; i < frames; ++i) {
    double v = amplitude * std::sin(2.0 * std::numbers::pi * hz * double(i - silentFrames) / kRate);
    auto s = static_cast<int16_t>(std::lround(std::clamp(v * 32767.0, -32767.0, 32767.0)));
    for (int c = 0; c < channels; ++c) out[static_cast<size_t>(i * channels + c)] = s;
  }
  return out;
}

std::string EncodeMp3(const std::vector<int16_t>& interleaved, int channels, int rate) {
  lame_t lame = lame_init();
  lame_set_in_samplerate(lame, rate);
  lame_set_out_samplerate(lame, rate);
  lame_set_num_channels(lame, channels);
  lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
  lame_set_brate(lame, 192);
  lame_set_quality(lame, 2);
  lame_set_bWriteVbrTag(lame, 1);
  if (lame_init_params(lame) < 0) throw std::runtime_error("lame_init_params failed");

  const int frames = static_cast<int>(interleaved.size() / channels);
  std::vector<unsigned char> mp3(static_cast<size_t>(frames * 5 / 4 + 7200 + 16384));
  std::vector<int16_t> pcm = interleaved;  // LAME wants a mutable buffer for mono input
  int written = channels == 2
                    ? lame_encode_buffer_interleaved(lame, pcm.data(), frames, mp3.data(), int(mp3.size()))
                    : lame_encode_buffer(lame, pcm.data(), pcm.data(), frames, mp3.data(), int(mp3.size()));
  if (written < 0) throw std::runtime_error("lame_encode_buffer failed");
  int flushed = lame_encode_flush(lame, mp3.data() + written, int(mp3.size()) - written);
  if (flushed < 0) throw std::runtime_error("lame_encode_flush failed");
  mp3.resize(static_cast<size_t>(written + flushed));

  // The first frame was a placeholder; the real info frame carries delay and padding.
  unsigned char tag[8192];
  size_t tagSize = lame_get_lametag_frame(lame, tag, sizeof tag);
  if (tagSize > 0 && tagSize <= mp3.size()) std::memcpy(mp3.data(), tag, tagSize);
  lame_close(lame);
  return std::string(mp3.begin(), mp3.end());
}

}  // namespace audiotest
