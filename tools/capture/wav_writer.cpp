// wav_writer.cpp -- RIFF/WAVE writing, little-endian whatever the host.
#include "wav_writer.h"


namespace capture {

namespace {

void Put(std::string* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Audio frame at which video frame n of the grid begins, rounded to the nearest.
int64_t AudioFrameAt(int64_t n, int fps, int rate) { return (n * rate + fps / 2) / fps; }

}  // namespace

AudioSection SectionForFrames(int64_t first, int64_t frames, int fps, int rate) {
  AudioSection s;
  s.first = AudioFrameAt(first, fps, rate);
  s.count = AudioFrameAt(first + frames, fps, rate) - s.first;
  return s;
}

std::string WavHeader(int rate, int channels, int64_t frames) {
  uint32_t blockAlign = static_cast<uint32_t>(channels) * 2;
  uint32_t dataBytes = static_cast<uint32_t>(frames * blockAlign);
  std::string h = "RIFF";
  Put(&h, 36 + dataBytes, 4);
  h += "WAVEfmt ";
  Put(&h, 16, 4);
  Put(&h, 1, 2);  // PCM
  Put(&h, static_cast<uint32_t>(channels), 2);
  Put(&h, static_cast<uint32_t>(rate), 4);
  Put(&h, static_cast<uint32_t>(rate) * blockAlign, 4);
  Put(&h, blockAlign, 2);
  Put(&h, 16, 2);
  h += "data";
  Put(&h, dataBytes, 4);
  return h;
}

bool WriteWav(OutputFile* file, const std::vector<int16_t>& samples, int rate, int channels, std::string* error) {
  if (channels < 1 || rate < 1 || samples.size() % channels) {
    *error = file->Name() + ": no sound to write (" + std::to_string(channels) + " channels, " +
             std::to_string(rate) + " Hz)";
    file->Discard();
    return false;
  }
  std::string bytes = WavHeader(rate, channels, static_cast<int64_t>(samples.size() / channels));
  bytes.reserve(bytes.size() + samples.size() * 2);
  for (int16_t s : samples) Put(&bytes, static_cast<uint16_t>(s), 2);
  if (file->Write(bytes.data(), bytes.size(), error) && file->Close(error)) return true;
  file->Discard();
  return false;
}

}  // namespace capture
