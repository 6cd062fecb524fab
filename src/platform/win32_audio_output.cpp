// win32_audio_output.cpp -- waveOut output: a thread refills a ring of 16-bit stereo buffers from the mixer.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio_output.h"
#include "platform/diagnostics.h"

namespace plat {

namespace {

constexpr int kBuffers = 4;
constexpr int kFrames = 1024;  // per buffer: about 23 ms at 44.1 kHz

struct Output {
  HWAVEOUT device = nullptr;
  HANDLE done = nullptr;  // signalled by the device each time a buffer has played
  WAVEHDR headers[kBuffers] = {};
  std::vector<int16_t> samples[kBuffers];
  std::vector<float> mixed = std::vector<float>(2 * kFrames);
  MixFunction mix = nullptr;
  int rate = 0;
  std::mutex lock;
  std::atomic<bool> stopping{false};
  std::thread feeder;
};

Output* g_output = nullptr;

void Fill(Output& out, WAVEHDR& header, std::vector<int16_t>& samples) {
  {
    std::lock_guard<std::mutex> guard(out.lock);
    out.mix(out.mixed.data(), kFrames, out.rate);
  }
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(std::clamp(out.mixed[i], -1.0f, 1.0f) * 32767.0f);
  waveOutWrite(out.device, &header, sizeof header);
}

void Feed(Output* out) {
  while (!out->stopping) {
    WaitForSingleObject(out->done, 100);
    for (int i = 0; i < kBuffers && !out->stopping; ++i)
      if (out->headers[i].dwFlags & WHDR_DONE) Fill(*out, out->headers[i], out->samples[i]);
  }
}

}  // namespace

int OutputOpen(int frequency, MixFunction mix) {
  if (g_output) return g_output->rate;
  auto* out = new Output;
  out->rate = frequency > 0 ? frequency : 44100;
  out->mix = mix;
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = static_cast<DWORD>(out->rate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  out->done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  const MMRESULT result = waveOutOpen(&out->device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(out->done), 0,
                                      CALLBACK_EVENT);
  if (result != MMSYSERR_NOERROR) {
    Report("no audio device (waveOutOpen error %u): the music plays silently", static_cast<unsigned>(result));
    CloseHandle(out->done);
    delete out;
    return 0;
  }
  for (int i = 0; i < kBuffers; ++i) {
    out->samples[i].assign(2 * kFrames, 0);
    out->headers[i].lpData = reinterpret_cast<LPSTR>(out->samples[i].data());
    out->headers[i].dwBufferLength = 4 * kFrames;
    waveOutPrepareHeader(out->device, &out->headers[i], sizeof(WAVEHDR));
    Fill(*out, out->headers[i], out->samples[i]);
  }
  out->feeder = std::thread(Feed, out);
  g_output = out;
  return out->rate;
}

void OutputClose() {
  Output* out = g_output;
  if (!out) return;
  out->stopping = true;
  SetEvent(out->done);
  out->feeder.join();
  waveOutReset(out->device);
  for (auto& header : out->headers) waveOutUnprepareHeader(out->device, &header, sizeof header);
  waveOutClose(out->device);
  CloseHandle(out->done);
  g_output = nullptr;
  delete out;
}

void OutputLock() {
  if (g_output) g_output->lock.lock();
}

void OutputUnlock() {
  if (g_output) g_output->lock.unlock();
}

}  // namespace plat
