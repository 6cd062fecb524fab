// main.cpp -- the show's entry point; the build sets TOLVANE_START_FULLSCREEN for each configuration.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/diagnostics.h"
#include "show/show_start.h"
#include "show/tolvane_app.h"

#ifndef TOLVANE_START_FULLSCREEN
#define TOLVANE_START_FULLSCREEN 0
#endif

// The one application object lives for the whole process; it touches no OpenGL until Run.
static Tolvane g_tolvane;

int main(int argc, char** argv) {
  plat::ClaimStandardDescriptors();
  const std::string program = TOLVANE_START_FULLSCREEN ? "tolvane-fullscreen" : "tolvane";
  plat::SetProgramName(TOLVANE_START_FULLSCREEN ? "tolvane-fullscreen" : "tolvane");
  std::string error;
  bool verbose = false;
  switch (MorlenGL::ParseShowArguments({argv + 1, argv + argc}, &g_tolvane.m_startAt, &verbose, &error)) {
    case MorlenGL::ShowArguments::kHelp:
      fputs(MorlenGL::ShowUsage(program).c_str(), stdout);
      return 0;
    case MorlenGL::ShowArguments::kBadArguments:
      plat::Report("%s; see --help", error.c_str());
      return 2;
    case MorlenGL::ShowArguments::kRun:
      break;
  }
  plat::SetVerbose(verbose);
  // A viewer may still want what there is (the window, the music): the show plays on.
  if (std::string line; !MorlenGL::FindShowData(&line)) plat::Report("%s", line.c_str());
  return TolvaneMain(g_tolvane, TOLVANE_START_FULLSCREEN != 0);
}
