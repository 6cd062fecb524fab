// memory.h -- hands the memory the allocator keeps free back to the system.
#pragma once

namespace plat {

// Returns the free memory the allocator holds (after a burst of large, short-lived
// allocations) to the system, so the resident size falls back. Takes a few milliseconds.
void ReleaseFreeMemory();

}  // namespace plat
