// tolvane_app.cpp -- start-up values, loading step, initialisation and the per-frame sequence.
#include "show/tolvane_app.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstdlib>

#include "assets/decode_ahead.h"
#include "assets/geometry.h"
#include "platform/audio_device.h"
#include "platform/counter.h"
#include "platform/diagnostics.h"
#include "platform/message_box.h"
#include "sequencing/time_string.h"
#include "show/show_start.h"

using namespace MorlenGL;

bool g_firstFrame = true;

namespace {

// Hundredths between two frames of a live show that starts later: 60 frames a second, rounded up.
constexpr int32_t kLiveFrameStep = 2;

// A scene whose window began before `from` has been drawn already in a run from 0, so its
// clock restarted at the window's start and no restart is pending. Any other scene's clock
// reads the time since the show began, as in a run from 0 that took no time to load.
void ShiftSceneClock(cSceneSystem& scene, int32_t from, int32_t previousFrame) {
  int32_t origin = 0;
  if (scene.m_startTime < from) {
    origin = scene.m_startTime;
    scene.m_restartPending = false;
  }
  Timer& clock = scene.m_clock;
  clock.m_start = clock.m_now - (from - origin);
  clock.m_elapsed = std::max(0, previousFrame - origin);
  clock.m_now = clock.m_start + clock.m_elapsed;  // the first tick reads `from` after this step
}

}  // namespace

void ShiftShowTo(Tolvane& app, int32_t from, int32_t previousFrame) {
  app.m_clock.m_timeShift = from;
  app.m_demo.m_clock.m_timeShift = from;
  for (cSceneSystem* scene : app.m_demo.Scenes()) ShiftSceneClock(*scene, from, previousFrame);
  const uint32_t music = app.m_demo.m_demoMusic.m_stream;
  const int rate = plat::AudioStreamRate(music);
  if (rate > 0) plat::AudioStreamSetPosition(music, int64_t{from} * rate / 100);
}

int TolvaneMain(Tolvane& app, bool fullscreen) {
  app.m_zNear = 0.1f;
  app.m_zFar = 10000.0f;
  app.m_askFullscreen = false;
  app.m_fullscreen = fullscreen;
  app.m_title = "Quenmar Vell - Orvanth Selune";
  app.m_width = 1024;
  app.m_height = 768;
  app.m_bits = 32;
  g_pWindowsSystem = &app;
  return app.Run();
}

bool Tolvane::LoadingStep() {
  // 1. Nothing of the show can be drawn without OpenGL 2.1.
  if (epoxy_gl_version() < 21) {
    ShowMessage("OpenGL 2.1 not supported.. lol", "OpenGL 2.1 not supported", plat::kMbOk);
    exit(1);
  }
  // Meanwhile the data folder's pictures are decoded on worker threads; the loads take them.
  DecodeDataPicturesAhead();
  // 2. The loading music's stream.
  m_loadingMusic.m_fileName = "data\\loading.mp3";
  AudioInit();
  StreamCreateFile(m_loadingMusic);
  // 3. A clean frame.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_TEXTURE_2D);
  // 4. The loading picture.
  m_texture.Load("data\\loading.jpg");
  m_texture.Bind();
  // 5. A quad that covers the whole 1024 x 768 window at this distance.
  glLoadIdentity();
  glColor4f(1, 1, 1, 1);
  glTranslatef(0, 0, -4.0f);
  glScalef(3.08f, 2.08f, 0);
  DrawQuad();
  // 6.
  m_texture.Unbind();
  // 7. The loading music loops from its start.
  m_loadingMusic.m_loop = true;
  ChannelSetLoop(m_loadingMusic);
  ChannelSetPosition(m_loadingMusic, 0.0);
  ChannelPlay(m_loadingMusic, true);
  // 8.
  m_loadingPending = false;
  return true;
}

bool Tolvane::Initialize() {
  plat::Detail("loading picture on screen %.2f s after the process started", plat::SecondsSinceProcessStart());
  // 1. OpenGL state.
  glShadeModel(GL_SMOOTH);
  glClearColor(0, 0, 0, 0);
  glClearDepth(1.0);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
  glEnable(GL_TEXTURE_2D);
  // 2. The loading picture's texture stays alive; only the holder moves on.
  m_texture.CreateWhite();
  // 3. Every scene loads; the demo music starts.
  m_demo.m_demoClock = &m_clock;
  m_demo.Init();
  EndDecodeAhead();  // every picture is uploaded: what the workers decoded goes
  // 4. The demo's own window on the application clock.
  m_demo.m_startTime = ParseTimeString("0:0.0");
  m_demo.m_endTime = kShowEnd;
  // 5.
  ChannelStop(m_loadingMusic);
  // 6.
  m_clock.Restart();
  // 7. A show asked to start later moves there; its frames are taken to be 1/60 s apart.
  if (m_startAt > 0) ShiftShowTo(*this, m_startAt, std::max(0, m_startAt - kLiveFrameStep));
  return true;
}

bool Tolvane::UpdateFrame() {
  // The frame before this one is the show's first, and it has been swapped.
  if (++m_framesBegun == 2)
    plat::Detail("first frame of the show on screen %.2f s after the process started",
                 plat::SecondsSinceProcessStart());
  m_clock.Advance();
  m_demo.Tick();
  return false;
}

bool Tolvane::DrawFrame() {
  // 1. Every clock of the show counts from the first drawn frame.
  if (g_firstFrame) {
    m_clock.Restart();
    g_firstFrame = false;
  }
  // 2.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  // 3.
  m_demo.DrawIfActive();
  // 4.
  glDisable(GL_LIGHTING);
  m_texture.Unbind();
  // 5. False ends the loop once this frame is swapped.
  return !m_demo.IsOver();
}

Tolvane::~Tolvane() {
  // The demo (music first, then the scenes) goes with the members below; the
  // context is already gone, so no OpenGL object is deleted here.
  ChannelStop(m_loadingMusic);
  AudioFree();
}
