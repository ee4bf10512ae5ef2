// SPDX-License-Identifier: MIT
#include "platform/macos/MacRules.h"

#include <algorithm>

namespace ondrel::macos {

bool mayMarkUnresponsive(Message message, AXError result) {
    return message == Message::attribute && result == axCannotComplete;
}

bool isTargetProcess(ProcessId process) {
    return process > 0;
}

std::size_t valuesToRequest(std::size_t count, std::size_t index, std::size_t maxValues) {
    return index < count ? std::min(count - index, maxValues) : 0;
}

std::optional<std::size_t> utf8BufferSize(long maximumSize) {
    if (maximumSize < 0)
        return std::nullopt;
    return static_cast<std::size_t>(maximumSize);
}

}  // namespace ondrel::macos
