// SPDX-License-Identifier: MIT
#include "platform/macos/MacRules.h"

#include <algorithm>
#include <string>

namespace ondrel::macos {

bool mayMarkUnresponsive(Message message, AXResultCode result) {
    return message == Message::attribute && result == axCannotCompleteCode;
}

ActionResult pressResult(AXResultCode result) {
    switch (result) {
        case axSuccessCode:
            return ActionResult::done();
        case axInvalidElementCode:
            return {ActionResult::Outcome::gone, "the button is no longer there (kAXErrorInvalidUIElement)"};
        case axCannotCompleteCode:
            return {ActionResult::Outcome::busy, "Velquin did not answer in time (kAXErrorCannotComplete)"};
        default:
            return {ActionResult::Outcome::failed, "the accessibility API refused it (error " +
                                                       std::to_string(result) + ")"};
    }
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
