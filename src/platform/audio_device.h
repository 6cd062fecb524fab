// audio_device.h -- music streams: decoded as they are read, mixed by SDL2 audio or played silently on the counter.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio_pcm.h"

namespace plat {

using AudioStream = uint32_t;  // 0 is no stream: every call on it does nothing

// Opens the default output device at `frequency` Hz; a repeated call changes nothing.
// Where no device is usable (none found, SDL's "dummy" driver, silent output
// forced, or the virtual counter in use) streams play silently and their play positions
// follow CounterRead, so the spectrum still moves in step with the show's clocks.
void AudioOpen(int frequency);
// Frees every stream and closes the device; handles given out before stay dead.
void AudioClose();
bool AudioHasDevice();
// Never open a real device from the next AudioOpen on (tests, the capture tool).
void AudioForceSilent(bool on);

// Opens an MP3 file (the path is used as given), to be decoded as it plays or is read; its
// length, rate and channels are known at once. A missing or undecodable file returns 0
// after one diagnostics line naming it.
AudioStream AudioStreamCreate(const std::string& path);
void AudioStreamFree(AudioStream stream);

void AudioStreamSetLoop(AudioStream stream, bool loop);    // looping streams restart at their end
void AudioStreamSetPosition(AudioStream stream, int64_t frame);
void AudioStreamPlay(AudioStream stream, bool restart);    // restart: from frame 0
void AudioStreamStop(AudioStream stream);                  // keeps the position

bool AudioStreamIsPlaying(AudioStream stream);
int64_t AudioStreamPosition(AudioStream stream);  // frames of the file; 0 for no stream
int64_t AudioStreamLength(AudioStream stream);    // frames
int AudioStreamRate(AudioStream stream);          // frames per second of the file
int AudioStreamChannels(AudioStream stream);

// Spectrum of the 512 frames at the play position into out[0..255]; false, and out
// untouched, for no stream.
bool AudioStreamFft512(AudioStream stream, float out[kFftBins]);
// Interleaved 16-bit frames [first, first + count) as they are heard (wrapped when looping,
// zeros past the end); false for no stream.
bool AudioStreamPcm(AudioStream stream, int64_t first, int64_t count, std::vector<int16_t>* samples);

}  // namespace plat
