// diagnostics.h -- the one sink for messages on stderr (missing files, shader logs, GL errors).
#pragma once
#include <string>
#include <vector>

namespace plat {

// Always printed: one line naming what was wrong ("tolvane: data/x.jpg: file not found").
void Report(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Printed only in verbose mode (the tools' --verbose): shader logs, GL errors, details.
void Detail(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

void SetVerbose(bool on);
bool IsVerbose();

// The name every line starts with ("tolvane" unless a tool says its own).
void SetProgramName(const char* name);
const char* ProgramName();

// Opens /dev/null on any of descriptors 0 to 2 that a parent left closed: a file opened later
// would otherwise get one of those numbers, and messages meant for stderr would land in it.
void ClaimStandardDescriptors();

// Tests capture what would reach stderr; pass nullptr to print again.
void CaptureDiagnostics(std::vector<std::string>* lines);

// This thread's lines go to `lines` instead, whatever else captures (nullptr ends it): work done
// on a worker thread keeps its lines for the thread that asked for it to pass on with Report.
void CaptureThreadDiagnostics(std::vector<std::string>* lines);

}  // namespace plat
