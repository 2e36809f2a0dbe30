// SPDX-License-Identifier: MIT
#pragma once

namespace hg {

// Under AddressSanitizer: keeps Mesa's drivers mapped for the life of the
// process. Mesa unloads its driver when the last display closes, and the
// leak check at exit can then no longer name (or suppress) the driver's own
// cached allocations. Does nothing in a normal build.
void keepGlDriversLoaded();

}  // namespace hg
