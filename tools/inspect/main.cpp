// main.cpp -- tolvane-inspect: shows what the engine makes of an asset file or of its programs.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/diagnostics.h"
#include "reports.h"
#include "sequencing/time_string.h"

namespace {

int Usage(const char* why) {
  fprintf(stderr,
          "tolvane-inspect: %s\n"
          "usage: tolvane-inspect [--verbose] COMMAND ...\n"
          "       tolvane-inspect model FILE              materials, objects, groups, bounds (JSON)\n"
          "       tolvane-inspect track FILE [--at T ...] keys, samples, positions at T hundredths\n"
          "       tolvane-inspect image FILE              decoding branch, sizes, alpha (JSON)\n"
          "       tolvane-inspect time TEXT               hundredths the show makes of a timeline or\n"
          "                                               keyframe time text (1:20.5 is 8005)\n"
          "       tolvane-inspect programs [CLASS] [--compile]\n"
          "                                  each program class's vertex and fragment texts and\n"
          "                                  uniform lookups; --compile builds them on the headless\n"
          "                                  backend and prints the driver's logs\n"
          "--verbose prints every diagnostic (warnings of damaged files the loaders decode anyway)\n"
          "exit codes: 0 success, 1 missing or invalid file or a program that did not link,\n"
          "            2 bad arguments\n",
          why);
  return inspect::kBadArguments;
}

// A time in hundredths: digits only, within 32 bits.
bool ParseHundredths(const char* text, int32_t* out) {
  if (!*text || strspn(text, "0123456789") != strlen(text)) return false;
  errno = 0;
  long long value = strtoll(text, nullptr, 10);
  if (errno || value > INT32_MAX) return false;
  *out = static_cast<int32_t>(value);
  return true;
}

int Track(int argc, char** argv) {
  if (argc < 3) return Usage("track needs a FILE");
  std::vector<int32_t> times;
  for (int i = 3; i < argc; ++i) {
    if (strcmp(argv[i], "--at") != 0) return Usage("expected --at T");
    int32_t t;
    if (i + 1 >= argc || !ParseHundredths(argv[i + 1], &t))
      return Usage("--at needs a non-negative time in hundredths");
    times.push_back(t);
    ++i;
  }
  return inspect::InspectTrack(argv[2], times);
}

int Programs(int argc, char** argv) {
  std::string className;
  bool compile = false;
  for (int i = 2; i < argc; ++i) {
    if (strcmp(argv[i], "--compile") == 0)
      compile = true;
    else if (className.empty() && argv[i][0] != '-')
      className = argv[i];
    else
      return Usage("programs takes one CLASS and --compile");
  }
  return inspect::InspectPrograms(className, compile);
}

}  // namespace

int main(int argc, char** argv) {
  plat::ClaimStandardDescriptors();
  plat::SetProgramName("tolvane-inspect");
  if (argc > 1 && strcmp(argv[1], "--verbose") == 0) {
    plat::SetVerbose(true);
    --argc;
    ++argv;
  }
  if (argc < 2) return Usage("no subcommand");
  std::string command = argv[1];
  if (command == "model") {
    if (argc != 3) return Usage("model takes exactly one FILE");
    return inspect::InspectModel(argv[2]);
  }
  if (command == "track") return Track(argc, argv);
  if (command == "image") {
    if (argc != 3) return Usage("image takes exactly one FILE");
    return inspect::InspectImage(argv[2]);
  }
  if (command == "programs") return Programs(argc, argv);
  if (command == "time") {
    if (argc != 3) return Usage("time takes exactly one TEXT");
    printf("%d\n", MorlenGL::ParseTimeString(argv[2]));
    return inspect::kOk;
  }
  return Usage(("unknown subcommand \"" + command + "\"").c_str());
}
