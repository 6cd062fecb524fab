// stop_signals.cpp -- the flag the two stop signals set.
#include "stop_signals.h"

namespace capture {

namespace {

volatile sig_atomic_t g_stopSignal = 0;

// A second request, when the first cannot be met (a reader that takes no more), ends the process.
void OnStopSignal(int signal) {
  if (g_stopSignal) {
    ::signal(signal, SIG_DFL);
    raise(signal);
    return;
  }
  g_stopSignal = signal;
}

void Catch(int signal, struct sigaction* old) {
  sigaction(signal, nullptr, old);
  if (old->sa_handler == SIG_IGN) return;
  struct sigaction stop = {};
  stop.sa_handler = OnStopSignal;
  // No SA_RESTART: a blocking call (an open, a wait) returns at once, so a stop is never stuck there.
  stop.sa_flags = 0;
  sigemptyset(&stop.sa_mask);
  sigaction(signal, &stop, nullptr);
}

}  // namespace

StopSignals::StopSignals() {
  g_stopSignal = 0;
  Catch(SIGINT, &oldInt_);
  Catch(SIGTERM, &oldTerm_);
}

StopSignals::~StopSignals() {
  sigaction(SIGINT, &oldInt_, nullptr);
  sigaction(SIGTERM, &oldTerm_, nullptr);
}

int StopSignals::Caught() { return g_stopSignal; }

}  // namespace capture
