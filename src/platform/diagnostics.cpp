// diagnostics.cpp -- stderr sink with a verbose switch, a capture hook for tests and one per thread for workers.
#include "platform/diagnostics.h"

#include <cstdarg>
#include <cstdio>

namespace plat {

static struct {
  bool verbose = false;
  const char* program = "tolvane";
  std::vector<std::string>* capture = nullptr;
} diag;

static thread_local std::vector<std::string>* threadCapture = nullptr;

static void Emit(const char* fmt, va_list args) {
  char buffer[2048];
  vsnprintf(buffer, sizeof buffer, fmt, args);
  if (threadCapture) {
    threadCapture->push_back(buffer);
    return;
  }
  if (diag.capture) {
    diag.capture->push_back(buffer);
    return;
  }
  fprintf(stderr, "%s: %s\n", diag.program, buffer);
}

void Report(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  Emit(fmt, args);
  va_end(args);
}

void Detail(const char* fmt, ...) {
  if (!diag.verbose) return;
  va_list args;
  va_start(args, fmt);
  Emit(fmt, args);
  va_end(args);
}

void SetVerbose(bool on) { diag.verbose = on; }
bool IsVerbose() { return diag.verbose; }
void SetProgramName(const char* name) { diag.program = name; }
const char* ProgramName() { return diag.program; }

void CaptureDiagnostics(std::vector<std::string>* lines) { diag.capture = lines; }
void CaptureThreadDiagnostics(std::vector<std::string>* lines) { threadCapture = lines; }

}  // namespace plat
