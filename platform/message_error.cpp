// SPDX-License-Identifier: MIT
#include "platform/message_error.h"

#include "platform/messages.h"

namespace hg {

MessageError::MessageError(MessageId id) : std::runtime_error(loadMessage(id)), id_(id) {}

}  // namespace hg
