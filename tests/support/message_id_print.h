// SPDX-License-Identifier: MIT
#pragma once

#include <ostream>

#include "platform/messages.h"

namespace hg {

// Failed expectations show a message's number rather than raw bytes.
inline void PrintTo(MessageId id, std::ostream* os) {
    *os << "message " << static_cast<int>(id);
}

}  // namespace hg
