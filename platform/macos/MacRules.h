// SPDX-License-Identifier: MIT
#pragma once

// The macOS backend's decisions that need no Apple call, apart so that every platform's tests run them.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/Accessibility.h"

namespace ondrel::macos {

// One hung target costs at most `messagingTimeout` per scan; every later call into it fails at once. A
// press waits longer: Velquin may be busy carrying out the very press it was asked for.
inline constexpr std::chrono::milliseconds messagingTimeout{800};
inline constexpr std::chrono::milliseconds pressTimeout{4000};

enum class Message { attribute, press };  // an attribute read or write, or the press action

// The accessibility API's result codes that these rules tell apart (AXError).
using AXResultCode = std::int32_t;
inline constexpr AXResultCode axSuccessCode = 0;
inline constexpr AXResultCode axFailureCode = -25200;
inline constexpr AXResultCode axInvalidElementCode = -25202;
inline constexpr AXResultCode axCannotCompleteCode = -25204;

// Whether a failed message says that its process stopped answering. A press that could not complete
// says nothing of the kind ("does not necessarily mean that the function has failed"): the press may
// have happened, so it never keeps the scan's other buttons from being tried.
bool mayMarkUnresponsive(Message message, AXResultCode result);

// What a press's result code means: an element that is no longer valid has gone; one that could not
// complete may still happen; every other failure is named for the log.
ActionResult pressResult(AXResultCode result);

// Running applications without a process (pid -1) are no target.
bool isTargetProcess(ProcessId process);

// How many entries of a list of `count` to ask for from `index` on, given at most `maxValues`.
std::size_t valuesToRequest(std::size_t count, std::size_t index, std::size_t maxValues);

// The UTF-8 buffer for a CFString, from CFStringGetMaximumSizeForEncoding's answer (kCFNotFound, -1,
// when the size would overflow). nullopt when no buffer can hold it.
std::optional<std::size_t> utf8BufferSize(long maximumSize);

}  // namespace ondrel::macos
