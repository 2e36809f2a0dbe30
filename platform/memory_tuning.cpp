// SPDX-License-Identifier: MIT
#include "platform/memory_tuning.h"

#include <malloc.h>

namespace hg {

void keepFreedMemoryForReuse() {
    // A frame's buffers (about 15 MiB at 201 x 201) stay on the heap between
    // frames; only blocks beyond 32 MiB get mappings of their own, and free
    // memory at the top of the heap is returned once it passes 64 MiB.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

}  // namespace hg
