// main.cpp -- the show's entry point; the build sets TOLVANE_START_FULLSCREEN for each configuration.
#include "show/tolvane_app.h"

#ifndef TOLVANE_START_FULLSCREEN
#define TOLVANE_START_FULLSCREEN 0
#endif

// The one application object lives for the whole process; it touches no OpenGL until Run.
static Tolvane g_tolvane;

int main() { return TolvaneMain(g_tolvane, TOLVANE_START_FULLSCREEN != 0); }
