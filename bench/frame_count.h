// SPDX-License-Identifier: MIT
// Instruction counts of the frames alone. Run a benchmark under
//   valgrind --tool=callgrind --instr-atstart=no
// and only the code between startCounting and stopCounting is counted, not
// the set-up or the renderer's compiling of its shaders: a count that a
// busy machine does not disturb, where the clock is at its mercy.
#pragma once

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#endif

namespace hgbench {

inline void startCounting() {
#ifdef CALLGRIND_START_INSTRUMENTATION
    CALLGRIND_START_INSTRUMENTATION;
#endif
}

inline void stopCounting() {
#ifdef CALLGRIND_STOP_INSTRUMENTATION
    CALLGRIND_STOP_INSTRUMENTATION;
#endif
}

}  // namespace hgbench
