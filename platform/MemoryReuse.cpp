#include "MemoryReuse.h"

#include <malloc.h>

namespace lumvale {

namespace {

// Blocks up to this size come from the heap, which keeps them after release; a photo far
// beyond 100 megapixels still gets its own mapping.
constexpr int kLargestReused = 512 << 20;

}  // namespace

void KeepFreedMemoryForReuse() {
  mallopt(M_MMAP_THRESHOLD, kLargestReused);
  // Free memory at the top of the heap is not handed back between photos.
  mallopt(M_TRIM_THRESHOLD, 2 * kLargestReused);
}

void ReturnFreedMemory() {
  malloc_trim(0);
  // The C library's own starting values, for the time between batches.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
  mallopt(M_TRIM_THRESHOLD, 128 * 1024);
}

}  // namespace lumvale
