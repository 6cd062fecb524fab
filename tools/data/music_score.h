// music_score.h -- the arrangements: the show's piece and the loading screen's loop.
#pragma once
#include <vector>

#include "music_synth.h"

namespace datagen {

struct Score {
  std::vector<Note> notes;
  MixSettings mix;
};

// 5:12 at 120 beats per minute in sections that turn where the scenes change
// (0:57, 1:20, 1:52, 2:56, 3:20, 4:20), fading out after the show's end at 5:04.
Score ShowScore();
// Eight seconds of pad and arpeggio whose tails wrap into the start.
Score LoadingScore();

}  // namespace datagen
