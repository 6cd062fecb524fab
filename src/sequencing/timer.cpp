// timer.cpp -- Timer on the platform counter.
#include "sequencing/timer.h"

#include "platform/counter.h"

namespace MorlenGL {

Timer::Timer() {
  m_timeShift = 0;
  m_elapsed = 0;
  m_unitsPerSecond = 100;
  m_frequency = plat::CounterFrequency();
  m_ticksPerUnit = static_cast<int32_t>(m_frequency / m_unitsPerSecond);
  m_start = m_now = m_lastElapsed = Read();
  // The first reading pays for the counter's warm-up; take a second one.
  m_elapsed = 0;
  m_start = m_now = m_lastElapsed = Read();
}

int32_t Timer::Read() {
  m_counter = plat::CounterRead();
  // A frequency below 100 would make the unit zero; count raw ticks instead of dividing by it.
  int64_t unit = m_ticksPerUnit > 0 ? m_ticksPerUnit : 1;
  return static_cast<int32_t>(m_counter / unit);
}

void Timer::Restart() {
  int32_t now = Read();
  m_elapsed = 0;
  m_start = m_now = m_lastElapsed = now;
}

void Timer::Advance() {
  int32_t now = Read();
  m_lastElapsed = m_now - m_start;
  m_now = now;
  m_elapsed = m_now - m_start;
}

}  // namespace MorlenGL
