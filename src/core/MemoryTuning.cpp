#include "core/MemoryTuning.h"

#include <malloc.h>

void TuneAllocatorForPages()
{
#ifdef M_MMAP_THRESHOLD
    // Blocks up to 32 MB (the largest threshold glibc accepts) come from the heap
    // and are reused; larger ones are still mapped and unmapped on their own.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    // Give memory back only when 128 MB lie free at the top of the heap.
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
#endif
}
