// SPDX-License-Identifier: MIT
#include "app/integration/macos/ProcessSerialNumber.h"

#include <string_view>

namespace ondrel {

int dropProcessSerialNumbers(int argc, char** argv) {
    if (argc < 1)
        return argc;
    int kept = 1;
    for (int index = 1; index < argc; ++index) {
        if (!std::string_view(argv[index]).starts_with("-psn_"))
            argv[kept++] = argv[index];
    }
    argv[kept] = nullptr;
    return kept;
}

}  // namespace ondrel
