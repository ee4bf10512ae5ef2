#include "platform/macos/MacRules.h"

namespace ondrel::macos {

bool mayMarkUnresponsive(Message message, AXError result) {
    return message == Message::attribute && result == axCannotComplete;
}

}  // namespace ondrel::macos
