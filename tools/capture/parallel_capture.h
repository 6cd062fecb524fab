// parallel_capture.h -- one capture in pieces cut where scenes end, run side by side in worker processes.
#pragma once
#include <string>

#include "capture_options.h"

namespace capture {

// Whether --jobs has anything to share out: more than one job, and a section of more than one piece.
bool RunsInPieces(const Options& options);

// Captures the section's pieces in up to options.jobs processes of `worker` (this tool) at a
// time and writes the files one process writes: the same PNG names, one Y4M stream in
// order, one WAV. Each worker's messages are passed on once; a piece that fails stops the
// others and its exit code is returned. Output paths must be absolute (AnchorOutputPaths);
// the workers inherit the working directory with the data folder.
int CaptureInPieces(const Options& options, const std::string& worker);

}  // namespace capture
