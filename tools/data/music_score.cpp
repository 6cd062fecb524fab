// music_score.cpp -- chord progressions, drum and bass patterns and the section plan of the piece.
#include "music_score.h"

#include "procgen.h"

namespace datagen {

namespace {

constexpr double kBeat = 0.5;  // 120 beats per minute
constexpr double kStep = kBeat / 4;
constexpr double kBar = 4 * kBeat;

// Bass root (MIDI) and a close pad voicing around 350-700 Hz, where spectrum bins 5 and 7 listen.
struct Chord {
  int bass;
  int pad[3];
};
const Chord kDark[4] = {{38, {65, 69, 74}}, {34, {65, 70, 74}}, {43, {67, 70, 74}}, {45, {64, 69, 73}}};  // Dm Bb Gm A
const Chord kBright[4] = {{41, {65, 69, 72}}, {36, {67, 72, 76}}, {38, {65, 69, 74}}, {34, {65, 70, 74}}};  // F C Dm Bb

enum Kick { kNoKick, kFour, kHalf, kFourPlus };
enum Bass { kNoBass, kEighths, kSixteenths, kOffbeat, kLong, kDrone };
enum Hats { kNoHats, kEighthHats, kSixteenthHats };

struct Style {
  const Chord* progression = kDark;
  int barsPerChord = 1;
  Kick kick = kNoKick;
  Bass bass = kNoBass;
  Hats hats = kNoHats;
  bool openHats = false;
  bool snare = false;      // beats 2 and 4 (beat 3 in half time)
  bool clap = false;
  bool pad = true;
  float padGain = 0.2f;
  int arp = 0;             // 0 none, 8 or 16 notes a bar
  bool stabs = false;
  bool lead = false;
  float gain = 1;          // whole-section level of the pitched voices
};

class Composer {
 public:
  Score score;

  void Add(double start, double length, Voice v, float freq, float gain, float pan) {
    score.notes.push_back({start, length, v, freq, gain, pan});
    if (v == Voice::kKick) score.mix.kickTimes.push_back(start);
  }

  // Fills [from, to) bar by bar; bars count from `from`, so every section starts on its own downbeat.
  void Section(double from, double to, const Style& s) {
    int bars = int((to - from) / kBar + 0.5);
    for (int bar = 0; bar < bars; ++bar) {
      double t0 = from + bar * kBar;
      if (t0 >= to - 1e-6) break;
      const Chord& c = s.progression[(bar / s.barsPerChord) % 4];
      Drums(t0, bar, s, to - 0.3);
      BassLine(t0, c, s);
      Harmony(t0, bar, c, s);
    }
  }

  // Stops a quarter second short: the breath before the next section's first hit.
  void Riser(double from, double to, float gain) { Add(from, to - from - 0.25, Voice::kRiser, 0, gain, 0); }
  void Impact(double at, float gain) { Add(at, 3.0, Voice::kImpact, 0, gain, 0); }

 private:
  Rng rng{2026};

  // Drums fall silent from `stop`: a breath before the next section's first hit.
  void Drums(double t0, int bar, const Style& s, double stop) {
    for (int step = 0; step < 16; ++step) {
      double t = t0 + step * kStep;
      if (t >= stop - 1e-9) break;
      bool kick = (s.kick == kFour || s.kick == kFourPlus) ? step % 4 == 0
                  : s.kick == kHalf                       ? (step == 0 || step == 10)
                                                          : false;
      if (s.kick == kFourPlus && step == 14 && bar % 2 == 1) kick = true;
      if (kick) Add(t, 0.45, Voice::kKick, 0, 1.0f, 0);
      bool backbeat = s.kick == kHalf ? step == 8 : (step == 4 || step == 12);
      if (s.snare && backbeat) Add(t, 0.3, Voice::kSnare, 0, 0.5f, 0.05f);
      if (s.clap && backbeat) Add(t + 0.004, 0.3, Voice::kClap, 0, 0.3f, -0.1f);
      if (s.snare && s.kick == kFourPlus && bar % 4 == 3 && step >= 12) Add(t, 0.15, Voice::kSnare, 0, 0.25f, 0.2f);
      if (s.hats == kSixteenthHats || (s.hats == kEighthHats && step % 2 == 0)) {
        float accent = step % 4 == 2 ? 1.0f : 0.6f;
        Add(t, 0.05, Voice::kHat, 0, 0.14f * accent, 0.35f);
      }
      if (s.openHats && step % 4 == 2) Add(t, 0.25, Voice::kOpenHat, 0, 0.09f, -0.3f);
    }
  }

  void BassLine(double t0, const Chord& c, const Style& s) {
    float f = Pitch(c.bass), g = 0.5f * s.gain;
    switch (s.bass) {
      case kNoBass: break;
      case kEighths:
        for (int k = 0; k < 8; ++k) Add(t0 + k * 2 * kStep, 0.2, Voice::kBass, k % 4 == 3 ? 2 * f : f, g, 0);
        break;
      case kSixteenths:
        for (int k = 0; k < 16; ++k) {
          if (k % 4 == 0) continue;  // leave room for the kick
          Add(t0 + k * kStep, 0.1, Voice::kBass, k % 8 == 6 ? 2 * f : f, g, 0);
        }
        break;
      case kOffbeat:
        for (int k = 0; k < 4; ++k) Add(t0 + (4 * k + 2) * kStep, 0.22, Voice::kBass, f, g, 0);
        break;
      case kLong:
        for (int k = 0; k < 4; ++k) Add(t0 + k * kBeat, 0.45, Voice::kBass, k == 3 ? 2 * f : f, g, 0);
        break;
      case kDrone: Add(t0, kBar - 0.05, Voice::kBass, f, 0.7f * g, 0); break;
    }
  }

  void Harmony(double t0, int bar, const Chord& c, const Style& s) {
    if (s.pad && bar % s.barsPerChord == 0) {
      for (int k = 0; k < 3; ++k)
        Add(t0, s.barsPerChord * kBar - 0.1, Voice::kPad, Pitch(c.pad[k]), s.padGain * s.gain, -0.5f + 0.5f * float(k));
    }
    if (s.arp) {
      const int order[4] = {0, 1, 2, 1};
      int count = s.arp, stride = 16 / s.arp;
      for (int k = 0; k < count; ++k) {
        int note = c.pad[order[k % 4]] + ((k / 4) % 2) * 12;
        Add(t0 + k * stride * kStep, stride * kStep, Voice::kPluck, Pitch(note), 0.32f * s.gain, k % 2 ? 0.4f : -0.4f);
      }
    }
    if (s.stabs) {
      for (int step : {3, 6, 11}) {
        for (int k = 0; k < 3; ++k) Add(t0 + step * kStep, 0.12, Voice::kPluck, Pitch(c.pad[k] - 12), 0.2f * s.gain, 0.1f);
      }
    }
    if (s.lead) Melody(t0, c, s);
  }

  // A phrase of chord tones with the odd passing note; the rhythm repeats, the pitches wander.
  void Melody(double t0, const Chord& c, const Style& s) {
    const int rhythm[6][2] = {{0, 3}, {3, 3}, {6, 2}, {8, 4}, {12, 2}, {14, 2}};
    for (const auto& r : rhythm) {
      int choice = int(rng.Next() % 5);
      int note = choice < 3 ? c.pad[choice] + 12 : c.pad[choice - 3] + 14;
      Add(t0 + r[0] * kStep, r[1] * kStep * 0.9, Voice::kLead, Pitch(note), 0.2f * s.gain, 0.15f);
    }
  }
};

// ---- [the show's sections] ----

void Intro(Composer& c) {  // 0:00 - 0:57, planet and logos
  Style calm;
  calm.barsPerChord = 2;
  calm.padGain = 0.22f;
  c.Section(0, 4, calm);
  calm.arp = 8;
  calm.gain = 0.8f;
  c.Section(4, 16, calm);
  Style groove = calm;
  groove.kick = kFour;
  groove.bass = kEighths;
  groove.gain = 1;
  groove.hats = kEighthHats;
  c.Riser(12, 16, 0.25f);
  c.Impact(16, 0.7f);
  c.Section(16, 24, groove);
  groove.openHats = true;
  c.Section(24, 32, groove);
  c.Riser(28, 32, 0.3f);
  c.Impact(32, 0.8f);
  groove.hats = kSixteenthHats;
  groove.snare = true;
  c.Section(32, 40, groove);
  groove.clap = true;
  c.Section(40, 48, groove);
  Style swallow;
  swallow.barsPerChord = 2;
  swallow.bass = kDrone;
  swallow.hats = kEighthHats;
  swallow.arp = 8;
  swallow.gain = 0.9f;
  c.Section(48, 57, swallow);
  c.Riser(53, 57, 0.35f);
}

// The dark drive of both cave scenes: rolling sixteenth bass, open hats and syncopated stabs.
Style DarkDrive() {
  Style s;
  s.kick = kFour;
  s.bass = kSixteenths;
  s.hats = kSixteenthHats;
  s.openHats = true;
  s.snare = true;
  s.stabs = true;
  s.padGain = 0.16f;
  return s;
}

void AbstractOne(Composer& c) {  // 0:57 - 1:20, the meteor cave
  c.Impact(57, 0.9f);
  c.Section(57, 80, DarkDrive());
  c.Impact(64, 0.6f);
  c.Riser(77, 80, 0.3f);
}

// The bright full groove of the greetings and the finale: every voice, melody on top.
Style FullGroove() {
  Style s;
  s.progression = kBright;
  s.kick = kFour;
  s.bass = kOffbeat;
  s.hats = kSixteenthHats;
  s.snare = true;
  s.clap = true;
  s.arp = 16;
  s.lead = true;
  s.padGain = 0.17f;
  s.gain = 0.9f;
  return s;
}

void Greeting(Composer& c) {  // 1:20 - 1:52, the rings of greetings
  c.Impact(80, 0.8f);
  Style s = FullGroove();
  c.Section(80, 112, s);
  c.Impact(88, 0.5f);
  c.Impact(92, 0.5f);
  c.Riser(108, 112, 0.3f);
}

void AbstractTwo(Composer& c) {  // 1:52 - 2:56, metaballs and rising water
  c.Impact(112, 0.85f);
  Style s;
  s.progression = kBright;
  s.barsPerChord = 2;
  s.arp = 16;
  s.gain = 0.85f;
  c.Section(112, 122, s);
  s.kick = kHalf;
  s.bass = kEighths;
  s.hats = kEighthHats;
  c.Section(122, 134, s);
  s.kick = kFour;
  s.snare = true;
  c.Section(134, 144, s);
  c.Riser(140, 144, 0.35f);
  c.Impact(144, 0.9f);
  s.barsPerChord = 1;
  s.hats = kSixteenthHats;
  s.clap = true;
  s.lead = true;
  s.bass = kOffbeat;
  c.Section(144, 162, s);
  Style fade;
  fade.progression = kBright;
  fade.barsPerChord = 2;
  fade.kick = kFour;
  fade.bass = kLong;
  fade.hats = kEighthHats;
  fade.padGain = 0.14f;
  c.Section(162, 176, fade);
  c.Riser(173, 176, 0.3f);
}

void AbstractThree(Composer& c) {  // 2:56 - 3:20, the cave again, harder
  c.Impact(176, 0.9f);
  Style s = DarkDrive();
  s.kick = kFourPlus;
  s.clap = true;
  s.padGain = 0.18f;
  c.Section(176, 200, s);
  c.Riser(196, 200, 0.4f);
}

void Tree(Composer& c) {  // 3:20 - 4:20, the tree planet and the lyrics
  c.Impact(200, 0.8f);
  Style s;
  s.progression = kBright;
  s.barsPerChord = 2;
  s.kick = kHalf;
  s.snare = true;
  s.bass = kLong;
  s.hats = kEighthHats;
  s.arp = 8;
  s.padGain = 0.2f;
  c.Section(200, 218, s);
  s.hats = kSixteenthHats;
  s.clap = true;
  c.Section(218, 232, s);
  s.lead = true;
  c.Section(232, 260, s);
  c.Riser(256, 260, 0.3f);
}

void Finale(Composer& c) {  // 4:20 - 5:12, the water planet, the scroller and the end
  c.Impact(260, 0.9f);
  Style s = FullGroove();
  s.openHats = true;
  c.Section(260, 280, s);
  s.progression = kDark;
  s.stabs = true;
  c.Section(280, 296, s);
  s.progression = kBright;
  c.Section(296, 304, s);
  c.Riser(300, 304, 0.35f);
  c.Impact(304, 1.0f);
  Style tail;
  tail.progression = kBright;
  tail.barsPerChord = 2;
  tail.arp = 8;
  tail.gain = 0.8f;
  c.Section(304, 312, tail);
}

}  // namespace

Score ShowScore() {
  Composer c;
  Intro(c);
  AbstractOne(c);
  Greeting(c);
  AbstractTwo(c);
  AbstractThree(c);
  Tree(c);
  Finale(c);
  c.score.mix.seconds = 312;
  c.score.mix.fadeOutFrom = 305;
  return c.score;
}

Score LoadingScore() {
  Composer c;
  Style s;
  s.barsPerChord = 1;
  s.arp = 8;
  s.hats = kEighthHats;
  s.gain = 0.9f;
  c.Section(0, 8, s);
  c.score.mix.seconds = 8;
  c.score.mix.loop = true;
  c.score.mix.peakDb = -4.0f;
  return c.score;
}

}  // namespace datagen
