// tolvane_app.h -- the application: loading screen and its music, the application clock, the demo.
#pragma once
#include "assets/texture_system.h"
#include "show/demo_scene.h"
#include "sequencing/timer.h"
#include "shell/music_track.h"
#include "shell/windows_system.h"

// Owner: one process-wide static (see main.cpp). Construction touches no OpenGL;
// every clock starts counting and every scene is constructed.
class Tolvane : public MorlenGL::cWindowsSystem {
 public:
  ~Tolvane() override;
  bool Initialize() override;
  bool LoadingStep() override;
  bool UpdateFrame() override;
  bool DrawFrame() override;
  bool IsFinished() override { return m_demo.IsOver(); }

  MorlenGL::MusicTrack m_loadingMusic;  // "data\loading.mp3", looping
  MorlenGL::Timer m_clock;              // the demo's window (0 to 5:04.0) is tested against it
  MorlenGL::cTextureSystem m_texture;   // the loading picture, later a 2 x 2 white texture
  MorlenGL::cDemoScene m_demo;
  // Show time of the first frame: 0 plays the show from its beginning. The entry point
  // sets it before Run (tolvane --scene, --from); Initialize shifts the show there.
  int32_t m_startAt = 0;
  int m_framesBegun = 0;  // UpdateFrame calls so far, for the verbose start-up figure
};

// Starts the show at `from` instead of 0, with the clocks and music a run from 0 would have
// there, given that its frame before `from` lay at `previousFrame`. Call it after Initialize
// and before the first frame. Quick, for the live show: state that frames build up is not
// rebuilt (the capture tool replays the frames before a start instead).
void ShiftShowTo(Tolvane& app, int32_t from, int32_t previousFrame);

// True until the first frame has been drawn.
extern bool g_firstFrame;

// The entry point's steps: start-up values, then Run. Returns the process exit code.
int TolvaneMain(Tolvane& app, bool fullscreen);
