// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>

#include "platform/messages.h"

namespace hg {

// A failure that carries one of the numbered user messages. what() is the
// message text in the user's language, so a boundary can show it unchanged.
class MessageError : public std::runtime_error {
public:
    explicit MessageError(MessageId id);
    MessageId id() const noexcept { return id_; }

private:
    MessageId id_;
};

}  // namespace hg
