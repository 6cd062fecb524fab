// sdl_audio_output.cpp -- SDL2 audio output (ALSA underneath) with a mixing callback.
#include <SDL.h>
#include <alsa/asoundlib.h>

#include <cstdarg>
#include <cstring>

#include "platform/audio_output.h"
#include "platform/diagnostics.h"

namespace plat {

namespace {

// SDL's "dummy" driver swallows the sound on wall time; "disk" still counts as a device (it writes the sound to a file).
bool IsSilentDriver(const char* driver) { return driver && strcmp(driver, "dummy") == 0; }

// libasound writes every failed step of finding a device to stderr (eight lines without a
// sound card); our one line says what matters, so its text is kept for verbose runs only.
void AlsaLibraryError(const char* file, int line, const char* function, int err, const char* fmt, ...) {
  if (!IsVerbose()) return;
  char text[1024];
  va_list args;
  va_start(args, fmt);
  vsnprintf(text, sizeof text, fmt, args);
  va_end(args);
  if (err)
    Detail("ALSA lib %s:%d:(%s) %s: %s", file, line, function, text, snd_strerror(err));
  else
    Detail("ALSA lib %s:%d:(%s) %s", file, line, function, text);
}

SDL_AudioDeviceID g_device = 0;
MixFunction g_mix = nullptr;
int g_rate = 0;

void MixCallback(void*, Uint8* bytes, int length) {
  g_mix(reinterpret_cast<float*>(bytes), length / int(2 * sizeof(float)), g_rate);
}

}  // namespace

int OutputOpen(int frequency, MixFunction mix) {
  snd_lib_error_set_handler(AlsaLibraryError);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    Report("no audio device (%s): the music plays silently", SDL_GetError());
    return 0;
  }
  const char* driver = SDL_GetCurrentAudioDriver();
  if (IsSilentDriver(driver)) {
    Report("no audio device (driver \"%s\"): the music plays silently", driver);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return 0;
  }
  SDL_AudioSpec want{};
  want.freq = frequency > 0 ? frequency : 44100;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = MixCallback;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the hardware takes.
  SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (!device) {
    Report("no audio device (%s): the music plays silently", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return 0;
  }
  g_device = device;
  g_mix = mix;
  g_rate = have.freq;
  SDL_PauseAudioDevice(device, 0);
  return g_rate;
}

void OutputClose() {
  if (!g_device) return;
  SDL_CloseAudioDevice(g_device);
  g_device = 0;
  if (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void OutputLock() {
  if (g_device) SDL_LockAudioDevice(g_device);
}

void OutputUnlock() {
  if (g_device) SDL_UnlockAudioDevice(g_device);
}


}  // namespace plat
