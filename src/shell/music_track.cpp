// music_track.cpp -- the show's audio calls on top of the platform's stream table.
#include "shell/music_track.h"

#include <cmath>

#include "platform/audio_device.h"
#include "platform/data_path.h"

namespace MorlenGL {

static int64_t ToFrames(const MusicTrack& track, double seconds) {
  if (!std::isfinite(seconds)) return 0;
  return static_cast<int64_t>(std::llround(seconds * plat::AudioStreamRate(track.m_stream)));
}

void AudioInit() { plat::AudioOpen(44100); }

void StreamCreateFile(MusicTrack& track) {
  // Creating twice would otherwise keep the first decoded file alive for nothing.
  plat::AudioStreamFree(track.m_stream);
  track.m_stream = plat::AudioStreamCreate(plat::ResolveDataPath(track.m_fileName));
}

void ChannelSetLoop(const MusicTrack& track) { plat::AudioStreamSetLoop(track.m_stream, track.m_loop); }

void ChannelSetPosition(const MusicTrack& track, double seconds) {
  plat::AudioStreamSetPosition(track.m_stream, ToFrames(track, seconds));
}

void ChannelPlay(const MusicTrack& track, bool restart) { plat::AudioStreamPlay(track.m_stream, restart); }

void ChannelGetFft512(MusicTrack& track) { plat::AudioStreamFft512(track.m_stream, track.m_spectrum); }

void ChannelStop(const MusicTrack& track) { plat::AudioStreamStop(track.m_stream); }

void AudioFree() { plat::AudioClose(); }

double ChannelGetPositionSeconds(const MusicTrack& track) {
  const int rate = plat::AudioStreamRate(track.m_stream);
  return rate > 0 ? double(plat::AudioStreamPosition(track.m_stream)) / rate : 0.0;
}

bool ChannelGetPcm(const MusicTrack& track, double fromSeconds, double seconds, std::vector<int16_t>* samples,
                   int* rate, int* channels) {
  const int64_t first = ToFrames(track, fromSeconds);
  const int64_t count = ToFrames(track, fromSeconds + seconds) - first;
  if (!plat::AudioStreamPcm(track.m_stream, first, count, samples)) return false;
  *rate = plat::AudioStreamRate(track.m_stream);
  *channels = plat::AudioStreamChannels(track.m_stream);
  return true;
}

}  // namespace MorlenGL
