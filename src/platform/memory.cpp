// memory.cpp -- glibc's malloc_trim behind the platform's memory call.
#include "platform/memory.h"

#include <malloc.h>

namespace plat {

void ReleaseFreeMemory() { malloc_trim(0); }

}  // namespace plat
