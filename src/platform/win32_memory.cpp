// win32_memory.cpp -- the C run-time heap's free blocks back to the system.
#include <malloc.h>

#include "platform/memory.h"

namespace plat {

void ReleaseFreeMemory() { _heapmin(); }

}  // namespace plat
