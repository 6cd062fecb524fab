// display_loss.cpp -- Xlib's fatal-connection hook: one line, then _exit without touching the connection again.
#include "platform/display_loss.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include "platform/diagnostics.h"

namespace plat {

namespace {

XIOErrorHandler g_previous = nullptr;
bool g_watching = false;

// NOT A BUG: no destructor, exit handler or Xlib call may run after this: each of them
// could wait on the dead connection. _exit leaves the cleaning to the kernel.
int OnDisplayLost(Display* display) {
  Report("lost the connection to display %s; ending", display ? DisplayString(display) : "(unknown)");
  _exit(1);
}

}  // namespace

void EndOnDisplayLoss(bool on) {
  if (on == g_watching) return;
  if (on)
    g_previous = XSetIOErrorHandler(OnDisplayLost);
  else
    XSetIOErrorHandler(g_previous);
  g_watching = on;
}

}  // namespace plat
