// SPDX-License-Identifier: MIT
#include "app/integration/linux/AutostartEntry.h"

#include "app/integration/linux/ConfigFolder.h"
#include "core/TextForms.h"

namespace ondrel {

std::string autostartEntryPathFor(const std::string& home, const std::string& xdgConfigHome) {
    return configFolderFor(home, xdgConfigHome) + "/autostart/ondrel.desktop";
}

std::string desktopExecArgument(const std::string& argument) {
    // Inside double quotes '"', '`', '$' and '\' take a backslash and a literal '%' is doubled; then the
    // value's own escaping doubles every backslash once more.
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$')
            quoted += "\\\\";
        if (c == '\\')
            quoted += "\\\\\\";
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + '"';
}

std::optional<std::string> autostartEntry(const std::string& executable) {
    if (executable.empty() || escapeForLine(executable) != executable)
        return std::nullopt;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Ondrel\n"
           "Comment=Presses Velquin's Allow buttons\n"
           "Exec=" +
           desktopExecArgument(executable) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

}  // namespace ondrel
