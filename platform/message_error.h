#pragma once

#include <stdexcept>

namespace hg {

// A failure that carries one of the numbered user messages. what() is the
// message text in the user's language, so a boundary can show it unchanged.
class MessageError : public std::runtime_error {
public:
    explicit MessageError(int id);
    int id() const noexcept { return id_; }

private:
    int id_;
};

}  // namespace hg
