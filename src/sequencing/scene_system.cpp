// scene_system.cpp -- window test and the per-frame drivers.
#include "sequencing/scene_system.h"

#include <cassert>

namespace MorlenGL {

cSceneSystem::cSceneSystem() : m_alwaysActive(false), m_disabled(false), m_restartPending(true) {}

bool cSceneSystem::InWindow() const {
  assert(m_demoClock && "the owner sets m_demoClock before the first tick");
  return InWindowAt(m_demoClock->DemoTime());
}

bool cSceneSystem::InWindowAt(int32_t demoTime) const { return m_startTime <= demoTime && demoTime <= m_endTime; }

bool cSceneSystem::IsOver() {
  assert(m_demoClock && "the owner sets m_demoClock before asking IsOver");
  return m_demoClock->DemoTime() >= m_endTime;
}

bool cSceneSystem::IsActive() const { return !m_disabled && (InWindow() || m_alwaysActive); }

bool cSceneSystem::RunsAt(int32_t demoTime) const { return !m_disabled && (InWindowAt(demoTime) || m_alwaysActive); }

void cSceneSystem::Tick() {
  m_clock.Advance();
  if (IsActive()) Update();
}

void cSceneSystem::DrawIfActive() {
  if (!IsActive()) return;
  if (m_restartPending) {
    StartClock();
    m_restartPending = false;
  }
  Draw();
}

}  // namespace MorlenGL
