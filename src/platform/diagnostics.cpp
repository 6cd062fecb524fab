// diagnostics.cpp -- stderr sink with a verbose switch and a capture hook for tests.
#include "platform/diagnostics.h"

#include <cstdarg>
#include <cstdio>

namespace plat {

static struct {
  bool verbose = false;
  std::vector<std::string>* capture = nullptr;
} diag;

static void Emit(const char* fmt, va_list args) {
  char buffer[2048];
  vsnprintf(buffer, sizeof buffer, fmt, args);
  if (diag.capture) {
    diag.capture->push_back(buffer);
    return;
  }
  fprintf(stderr, "tolvane: %s\n", buffer);
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
void CaptureDiagnostics(std::vector<std::string>* lines) { diag.capture = lines; }

}  // namespace plat
