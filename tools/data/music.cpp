// music.cpp -- renders and encodes the two MP3 files.
#include "data_set.h"
#include "music_score.h"
#include "platform/diagnostics.h"

namespace datagen {

static bool Encode(const FileSink& sink, const char* name, const Score& score, int kbps) {
  Pcm pcm = Render(score.notes, score.mix);
  std::string bytes, error;
  // Quality 7 keeps five minutes of stereo to a few seconds of encoding.
  if (!EncodeMp3(pcm, kbps, 7, &bytes, &error)) {
    plat::Report("%s: %s", name, error.c_str());
    return false;
  }
  return sink(name, bytes);
}

bool MakeMusic(const FileSink& sink, bool showMusic) {
  return Encode(sink, "loading.mp3", LoadingScore(), 128) && (!showMusic || Encode(sink, "music.mp3", ShowScore(), 160));
}

}  // namespace datagen
