// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <stdexcept>

#include "platform/messages.h"

namespace hg {

// How a long copy or import tells whoever waits how far it has come, and
// learns that it should stop: called with the done fraction (0 to 1), or a
// negative number where the work cannot tell; answers false to stop it.
using ImportProgress = std::function<bool(double fraction)>;

// An import stopped at its caller's word. Whatever it staged goes with the
// stage; the previous DEM stays.
class ImportCancelled : public std::runtime_error {
public:
    ImportCancelled() : std::runtime_error(loadMessage(MessageId::ImportCancelledNote)) {}
};

// Reports to `progress` (when there is one) and throws ImportCancelled when
// it answers stop.
inline void reportProgress(const ImportProgress& progress, double fraction) {
    if (progress && !progress(fraction)) throw ImportCancelled();
}

}  // namespace hg
