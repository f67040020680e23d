#include "engine/heap.h"

#include <malloc.h>

namespace engine {

void keepFreedMemory() {
#ifdef M_MMAP_THRESHOLD
    // Blocks up to 32 MB (the largest the C library allows here) come from
    // the heap, and the heap is not trimmed below 512 MB of free space.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
#endif
}

void releaseFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace engine
