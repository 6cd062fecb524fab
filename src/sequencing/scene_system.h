// scene_system.h -- the scene interface: an own clock, an inclusive window on the demo clock, Tick and DrawIfActive.
#pragma once
#include <cstdint>

#include "sequencing/timer.h"

namespace MorlenGL {

struct MusicTrack;

class cSceneSystem {
 public:
  cSceneSystem();
  virtual ~cSceneSystem() = default;
  virtual int Init() { return 0; }
  virtual void StartClock() { m_clock.Restart(); }
  virtual bool IsOver();
  virtual void Update() {}
  virtual void Draw() {}

  // Called once per frame by the owner, before any drawing: the clock always advances.
  void Tick();
  // Called once per frame by the owner after all ticks.
  void DrawIfActive();
  // Whether this frame's Tick updates the scene and DrawIfActive draws it.
  bool IsActive() const;
  // Whether it would be, in a frame whose demo clock reads `demoTime`.
  bool RunsAt(int32_t demoTime) const;

  Timer m_clock;              // the scene's own clock
  int32_t m_startTime = 0;    // first demo time (hundredths) the scene runs at
  int32_t m_endTime = 0;      // last demo time it runs at
  float m_rotation = 0.0f;    // 0 throughout the show
  MusicTrack* m_music = nullptr;  // not owned; set by the owner before the first tick
  bool m_alwaysActive = false;
  bool m_disabled = false;
  bool m_restartPending = true;   // restart m_clock before the first Draw
  Timer* m_demoClock = nullptr;   // not owned; the clock tested against the window

 protected:
  bool InWindow() const;
  bool InWindowAt(int32_t demoTime) const;
};

}  // namespace MorlenGL
