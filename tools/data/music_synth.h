// music_synth.h -- a small note-based synthesizer: instruments, a mixing desk and the MP3 encoder.
#pragma once
#include <string>
#include <vector>

namespace datagen {

constexpr int kSampleRate = 44100;

struct Pcm {
  std::vector<float> left, right;
  double Seconds() const { return double(left.size()) / kSampleRate; }
};

enum class Voice { kKick, kBass, kPad, kPluck, kLead, kSnare, kClap, kHat, kOpenHat, kRiser, kImpact };

// One scheduled sound. freq is the pitch in Hz for tonal voices; pan -1 (left) .. 1 (right).
struct Note {
  double start = 0;
  double length = 0.1;
  Voice voice = Voice::kKick;
  float freq = 0;
  float gain = 1;
  float pan = 0;
};

// Equal-tempered pitch: MIDI number 69 is 440 Hz.
float Pitch(int midi);

struct MixSettings {
  double seconds = 0;        // length of the result
  bool loop = false;         // tails wrap around so the end flows into the start
  double fadeOutFrom = -1;   // start of a linear fade to silence at the end (< 0: none)
  float peakDb = -1.6f;      // the loudest sample is scaled to this level (MP3 adds a few tenths)
  std::vector<double> kickTimes;  // pads and bass duck under these (the pumping the scenes react to)
};

// Renders the notes through the instruments, the reverb and delay sends, and the master gain.
Pcm Render(const std::vector<Note>& notes, const MixSettings& mix);

// CBR MP3 through LAME with the gapless (Info) header; false with *error on failure.
bool EncodeMp3(const Pcm& pcm, int kbps, int quality, std::string* bytes, std::string* error);

}  // namespace datagen
