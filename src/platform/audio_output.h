// audio_output.h -- the sound device under the stream table: a mixing function called on the device's own thread.
#pragma once

namespace plat {

// Fills `frames` interleaved stereo float frames at `rate` frames per second.
using MixFunction = void (*)(float* out, int frames, int rate);

// Opens the default output device near `frequency` Hz and starts calling `mix`; returns the
// device's rate, or 0 after one line saying why the music plays silently.
int OutputOpen(int frequency, MixFunction mix);
// Stops the calls (returns once the last one has finished) and closes the device.
void OutputClose();
// Held around every change the mixer could see; nothing without a device.
void OutputLock();
void OutputUnlock();

}  // namespace plat
