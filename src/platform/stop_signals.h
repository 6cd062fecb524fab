// stop_signals.h -- Ctrl-C and SIGTERM as a request to stop, read between steps of the work.
#pragma once
#include <memory>

namespace plat {

// While one lives, SIGINT and SIGTERM set a flag instead of ending the process, so the work can
// stop where its files are whole; the previous actions come back when it goes. A signal the
// caller ignores (a background job of a script) stays ignored. Blocking calls are interrupted
// (EINTR, where the system has such calls) rather than restarted, so no wait outlasts a stop; a second signal ends the process
// at once, as if it were not caught.
class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // The signal that asked to stop since construction, or 0.
  static int Caught();

 private:
  struct Saved;  // the actions to restore
  std::unique_ptr<Saved> saved_;
};

}  // namespace plat
