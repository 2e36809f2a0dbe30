// SPDX-License-Identifier: MIT
#pragma once

namespace hg {

// Keeps memory the process frees for its next use instead of handing it
// back to the kernel at once. The software OpenGL renderer allocates and
// frees buffers of several megabytes on every frame; with the C library's
// defaults each is a fresh mapping whose pages the kernel faults in again,
// which measured three to four times the cost of the drawing itself at
// 201 x 201 vertices. Call once, first thing in main.
void keepFreedMemoryForReuse();

}  // namespace hg
