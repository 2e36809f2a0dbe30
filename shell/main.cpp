// SPDX-License-Identifier: MIT
#include "platform/memory_tuning.h"
#include "platform/sanitizer_support.h"
#include "shell/entry.h"

int main(int argc, char** argv) {
    hg::keepFreedMemoryForReuse();
    hg::keepGlDriversLoaded();
    std::vector<std::string> args(argv + 1, argv + argc);
    return hg::runHillglimmer(args);
}
