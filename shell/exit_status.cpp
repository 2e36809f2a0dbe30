// SPDX-License-Identifier: MIT
#include "shell/exit_status.h"

#include "platform/show_error.h"

namespace hg {

int runExitStatus() {
    return failureReported() ? kExitFailed : kExitEnded;
}

int failRun(const std::string& text) {
    showError(nullptr, text, "hillglimmer");
    return kExitFailed;
}

}  // namespace hg
