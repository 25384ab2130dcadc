#pragma once

namespace lumvale {

// A batch decodes one large photo after another, and libjpeg asks for tens of megabytes per
// progressive photo (its coefficient store). By default the C library maps such blocks
// freshly and unmaps them on release, so every photo pays a page fault per 4 KB again. While a
// batch runs, freed blocks stay with the process for the next photo; after it they go back to
// the system.
void KeepFreedMemoryForReuse();
void ReturnFreedMemory();

}  // namespace lumvale
