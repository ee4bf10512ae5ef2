#include "platform/macos/MacRules.h"

namespace ondrel::macos {

bool mayMarkUnresponsive(Message message, AXError result) {
    return message == Message::attribute && result == axCannotComplete;
}

std::optional<std::size_t> utf8BufferSize(long maximumSize) {
    if (maximumSize < 0)
        return std::nullopt;
    return static_cast<std::size_t>(maximumSize);
}

}  // namespace ondrel::macos
