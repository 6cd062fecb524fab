// demo_scene.h -- the show's timeline: seven scenes in fixed windows beside the demo music.
#pragma once
#include <array>
#include <cstdint>

#include "scenes/abstract_i_scene.h"
#include "scenes/abstract_ii_scene.h"
#include "scenes/abstract_iii_scene.h"
#include "scenes/dof_scene.h"
#include "scenes/greeting_scene.h"
#include "scenes/planet_tree_scene.h"
#include "scenes/planet_water_scene.h"
#include "sequencing/scene_system.h"
#include "shell/music_track.h"

namespace MorlenGL {

constexpr int kSceneCount = 7;
using SceneList = std::array<cSceneSystem*, kSceneCount>;  // in timeline order

// The timeline, in the order Init prepares the scenes: DoF, abstract I, greeting,
// abstract II, abstract III, planet tree, planet water. Both ends are inclusive. The
// names are what --scene takes and what the tools print.
struct SceneWindow {
  const char* name;
  const char* startText;
  const char* endText;
};
constexpr SceneWindow kTimeline[kSceneCount] = {
    {"planet", "0:00.0", "0:57.0"},       {"abstract1", "0:57.0", "1:20.0"},
    {"greeting", "1:20.001", "1:52.0"},   {"abstract2", "1:52.001", "2:56.0"},
    {"abstract3", "2:56.001", "3:20.0"},  {"tree", "3:20.01", "4:20.0"},
    {"water", "4:20.01", "5:30.0"},
};
// The fixed per-frame order, as indices into the timeline: DoF, abstract I, abstract III,
// greeting, abstract II, planet tree, planet water.
constexpr int kFrameOrder[kSceneCount] = {0, 1, 4, 2, 3, 5, 6};

// Music and clock pointers, Init, window from the table, enabled; in timeline order. Ends
// with one clock reading for every scene, so the first frame's step is a normal one.
void InitTimeline(const SceneList& scenes, MusicTrack* music, Timer* demoClock);
void TickInFrameOrder(const SceneList& scenes);
void DrawInFrameOrder(const SceneList& scenes);
// One bit per scene in timeline order, set for those that run this frame.
unsigned ActiveScenes(const SceneList& scenes);

// The demo time from which every frame must have been drawn for the frame at `demoTime`
// to come out as in a run from 0: the earliest window start of the scenes that run then,
// since a scene's picture may build on everything it drew before (its render targets).
// `demoTime` itself when no scene runs; 0 when one runs always.
int32_t DrawnHistoryStart(const SceneList& scenes, int32_t demoTime);

// Owner: the application holds the one cDemoScene by value. Its own m_clock is the
// demo clock of the seven scenes; its m_demoClock is the application clock.
class cDemoScene : public cSceneSystem {
 public:
  ~cDemoScene() override;
  int Init() override;
  void Update() override;
  void Draw() override;
  SceneList Scenes();

  // Members in construction order; C++ destroys them in reverse, music first.
  cDoF m_planetDoF;
  cAbstractIScene m_abstractI;
  cAbstractIIIScene m_abstractIII;
  cAbstractIIScene m_abstractII;
  cPlanetTreeScene m_planetTree;
  cPlanetWaterScene m_planetWater;
  cGreetingScene m_greeting;
  MusicTrack m_demoMusic;  // "data\music.mp3", not looping
  unsigned m_activeScenes = 0;  // ActiveScenes as of the last Draw
};

}  // namespace MorlenGL
