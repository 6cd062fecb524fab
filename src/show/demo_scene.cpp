// demo_scene.cpp -- timeline set-up, per-frame fan-out, music start and teardown.
#include "show/demo_scene.h"

#include <algorithm>

#include "platform/memory.h"
#include "sequencing/time_string.h"

namespace MorlenGL {

void InitTimeline(const SceneList& scenes, MusicTrack* music, Timer* demoClock) {
  for (int i = 0; i < kSceneCount; ++i) {
    cSceneSystem* scene = scenes[i];
    scene->m_music = music;
    scene->m_demoClock = demoClock;
    scene->Init();
    scene->m_startTime = ParseTimeString(kTimeline[i].startText);
    scene->m_endTime = ParseTimeString(kTimeline[i].endText);
    scene->m_disabled = false;
  }
  // Loading ends here. Every scene clock ticks once more, as it will every frame, so the
  // first frame's step is the time since loading ended; a clock restarted at the end of
  // its scene's Init would otherwise take the loading of every later scene as one step.
  // The time itself does not change: only the last reading moves.
  for (cSceneSystem* scene : scenes) scene->m_clock.Advance();
}

void TickInFrameOrder(const SceneList& scenes) {
  for (int i : kFrameOrder) scenes[i]->Tick();
}

void DrawInFrameOrder(const SceneList& scenes) {
  for (int i : kFrameOrder) scenes[i]->DrawIfActive();
}

int32_t DrawnHistoryStart(const SceneList& scenes, int32_t demoTime) {
  int32_t start = demoTime;
  for (const cSceneSystem* scene : scenes) {
    if (!scene->RunsAt(demoTime)) continue;
    start = std::min(start, scene->m_alwaysActive ? 0 : scene->m_startTime);
  }
  return start;
}

SceneList cDemoScene::Scenes() {
  return {&m_planetDoF, &m_abstractI, &m_greeting, &m_abstractII,
          &m_abstractIII, &m_planetTree, &m_planetWater};
}

int cDemoScene::Init() {
  // 1. The demo music's stream.
  m_demoMusic.m_fileName = "data\\music.mp3";
  AudioInit();
  StreamCreateFile(m_demoMusic);
  // 2. Every scene loads and gets its window.
  InitTimeline(Scenes(), &m_demoMusic, &m_clock);
  // 3. The demo clock counts from the end of loading.
  m_clock.Restart();
  // 4. Music from the start.
  if (m_demoMusic.m_loop) ChannelSetLoop(m_demoMusic);
  ChannelSetPosition(m_demoMusic, 0.0);
  ChannelPlay(m_demoMusic, true);
  return 0;
}

void cDemoScene::Update() {
  // Copied once, before any scene ticks, so every scene sees the same spectrum this frame.
  ChannelGetFft512(m_demoMusic);
  TickInFrameOrder(Scenes());
}

unsigned ActiveScenes(const SceneList& scenes) {
  unsigned active = 0;
  for (int i = 0; i < kSceneCount; ++i)
    if (scenes[i]->IsActive()) active |= 1u << i;
  return active;
}

void cDemoScene::Draw() {
  DrawInFrameOrder(Scenes());
  // The driver's working memory for a scene's frames stays with the allocator once the scene
  // is over; given back, the resident size does not build up from scene to scene.
  const unsigned active = ActiveScenes(Scenes());
  if (m_activeScenes & ~active) plat::ReleaseFreeMemory();
  m_activeScenes = active;
}

cDemoScene::~cDemoScene() {
  ChannelStop(m_demoMusic);
  AudioFree();
}

}  // namespace MorlenGL
