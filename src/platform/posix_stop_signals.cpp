// posix_stop_signals.cpp -- the flag SIGINT and SIGTERM set, through sigaction.
#include <signal.h>

#include "platform/stop_signals.h"

namespace plat {

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

struct StopSignals::Saved {
  struct sigaction oldInt = {}, oldTerm = {};
};

StopSignals::StopSignals() : saved_(std::make_unique<Saved>()) {
  g_stopSignal = 0;
  Catch(SIGINT, &saved_->oldInt);
  Catch(SIGTERM, &saved_->oldTerm);
}

StopSignals::~StopSignals() {
  sigaction(SIGINT, &saved_->oldInt, nullptr);
  sigaction(SIGTERM, &saved_->oldTerm, nullptr);
}

int StopSignals::Caught() { return g_stopSignal; }

}  // namespace plat
