// music_track.h -- one played music file and the audio calls the show makes on it, step by step.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace MorlenGL {

// Plain record, embedded by value in its owner (the application's loading music, the
// timeline's demo music). Scenes only read m_spectrum, through a non-owning pointer.
struct MusicTrack {
  std::string m_fileName;        // as the show writes it, e.g. "data\\music.mp3"
  float m_spectrum[512] = {};    // bins 0..255 rewritten by each ChannelGetFft512
  uint32_t m_stream = 0;         // 0 when the stream could not be created
  bool m_loop = false;
};

// 1. Opens the output device at 44100 Hz; a repeated call changes nothing.
void AudioInit();
// 2. Opens m_fileName (a data path) as a new stream with exact length and seeking, decoded as it plays.
//    A missing or undecodable file leaves m_stream 0 and reports one line.
void StreamCreateFile(MusicTrack& track);
// 3. Gives the stream the track's loop flag: a looping stream restarts at its end.
void ChannelSetLoop(const MusicTrack& track);
// 4. Moves the play position (0 rewinds). With ChannelPlay(track, false) after it, the
//    stream starts from any point (a capture starting later in the show).
void ChannelSetPosition(const MusicTrack& track, double seconds = 0.0);
// 5. Starts playback at once; restart plays from the beginning.
void ChannelPlay(const MusicTrack& track, bool restart = true);
// 6. 256 magnitudes of what plays now, bin k at k * (file rate) / 512, into m_spectrum[0..255].
void ChannelGetFft512(MusicTrack& track);
// 7. Stops playback; the position stays where it was.
void ChannelStop(const MusicTrack& track);
// 8. Frees every stream and the device.
void AudioFree();

// Where the stream plays now, in seconds (0 without a stream).
double ChannelGetPositionSeconds(const MusicTrack& track);
// The sound of [fromSeconds, fromSeconds + seconds) as it is heard: interleaved 16-bit samples
// with the file's rate and channel count. False without a stream.
bool ChannelGetPcm(const MusicTrack& track, double fromSeconds, double seconds, std::vector<int16_t>* samples,
                   int* rate, int* channels);

}  // namespace MorlenGL
