#pragma once

// How the start lines write an interval and a label list.

#include <string>
#include <vector>

namespace ondrel {

// The shortest decimal text that reads back as the same number; whole numbers get ".0" (1 -> "1.0").
std::string formatInterval(double seconds);

// ["Allow", "Run"]: each label quoted, with '"' and '\' escaped and control characters written as escapes.
std::string formatLabelList(const std::vector<std::string>& labels);

}  // namespace ondrel
