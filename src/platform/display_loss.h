// display_loss.h -- ends the process at once, with one line, when the connection to the X server breaks.
#pragma once

namespace plat {

// While on, a broken X connection (the server stopped, the remote display dropped) prints
// one line and ends the process with exit code 1 straight away. Xlib's own handler calls
// exit(), whose static destructors would ask the dead connection to close the window and
// wait for its answer for ever. The window backend turns this on while its X display is open.
void EndOnDisplayLoss(bool on);

}  // namespace plat
