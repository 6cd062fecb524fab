// timer.h -- the clock every part of the show runs on: hundredths of a second on the counter.
#pragma once
#include <cstdint>

namespace MorlenGL {

// Plain record; owners embed it by value. Only its own operations write it, except
// where a show that starts later than 0 shifts its clocks there once, before the first frame.
struct Timer {
  int64_t m_counter = 0;      // last counter reading
  int64_t m_frequency = 0;    // counts per second
  int32_t m_ticksPerUnit = 0; // m_frequency / m_unitsPerSecond
  int32_t m_unitsPerSecond = 100;
  int32_t m_start = 0;        // m_now at the last restart
  int32_t m_now = 0;          // m_counter / m_ticksPerUnit, kept in 32 bits
  int32_t m_lastElapsed = 0;  // m_elapsed before the last Advance (m_now right after a restart)
  int32_t m_timeShift = 0;    // added to m_elapsed wherever the clock serves as demo clock
  int32_t m_elapsed = 0;      // m_now - m_start

  Timer();  // starts the clock
  void Restart();
  void Advance();
  int32_t DemoTime() const { return m_elapsed + m_timeShift; }

 private:
  int32_t Read();
};

}  // namespace MorlenGL
