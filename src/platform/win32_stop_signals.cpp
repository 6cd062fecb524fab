// win32_stop_signals.cpp -- the flag Ctrl-C (and a raised SIGTERM) set, through the C run-time's signal.
#include <csignal>

#include "platform/stop_signals.h"

namespace plat {

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

// The run-time puts the default action back before calling this, so a second Ctrl-C ends the
// process at once, as it does on Linux.
void OnStopSignal(int signal) { g_stopSignal = signal; }

}  // namespace

struct StopSignals::Saved {
  void (*oldInt)(int) = SIG_DFL;
  void (*oldTerm)(int) = SIG_DFL;
};

StopSignals::StopSignals() : saved_(std::make_unique<Saved>()) {
  g_stopSignal = 0;
  saved_->oldInt = std::signal(SIGINT, OnStopSignal);
  saved_->oldTerm = std::signal(SIGTERM, OnStopSignal);
  // A caller that ignores a signal keeps it ignored.
  if (saved_->oldInt == SIG_IGN) std::signal(SIGINT, SIG_IGN);
  if (saved_->oldTerm == SIG_IGN) std::signal(SIGTERM, SIG_IGN);
}

StopSignals::~StopSignals() {
  std::signal(SIGINT, saved_->oldInt);
  std::signal(SIGTERM, saved_->oldTerm);
}

int StopSignals::Caught() { return g_stopSignal; }

}  // namespace plat
