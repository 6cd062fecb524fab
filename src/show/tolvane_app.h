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
};

// True until the first frame has been drawn.
extern bool g_firstFrame;

// The entry point's steps: start-up values, then Run. Returns the process exit code.
int TolvaneMain(Tolvane& app, bool fullscreen);
