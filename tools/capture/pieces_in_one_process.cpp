// pieces_in_one_process.cpp -- --jobs where worker processes cannot be started (the Windows build): one line, then one process.
#include "capture_session.h"
#include "parallel_capture.h"
#include "platform/diagnostics.h"

namespace capture {

int CaptureInPieces(const Options& options, const std::string&) {
  plat::Report("--jobs %d: this build cannot start worker processes; capturing in one process", options.jobs);
  return CaptureSession(options).Run();
}

}  // namespace capture
