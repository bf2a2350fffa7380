// alloc_size.h: the requested size of a heap block, from whichever source the
// process offers: AddressSanitizer's allocator, or the LD_PRELOADed
// allocation tracker (alloc_tracker.c) while tracking is on.
#ifndef PROBE_ALLOC_SIZE_H
#define PROBE_ALLOC_SIZE_H

namespace probe {

enum class SizeSource { None = 0, Tracker = 1, Sanitizer = 2 };

SizeSource size_source();

// The size requested for the block starting at ptr; -1 when unknown (no
// source, not a heap block's start, or allocated while tracking was off).
long long allocation_size(const void* ptr);

// Switches the tracker's recording; returns the previous state, or -1 when
// no tracker is loaded.
int set_tracking(int enabled);

}  // namespace probe

#endif  // PROBE_ALLOC_SIZE_H
