#include <algorithm>
#include <string>
#include <vector>

#include "core/Options.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    ondrel::parseOptions(arguments);
    return 0;
}
