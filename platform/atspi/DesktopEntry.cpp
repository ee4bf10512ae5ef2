// SPDX-License-Identifier: MIT
#include "platform/atspi/DesktopEntry.h"

#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <memory>

#include "platform/atspi/GLibHandles.h"

namespace ondrel::atspi {
namespace {

constexpr const char* entryGroup = "Desktop Entry";

struct KeyFileFree {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFilePtr = std::unique_ptr<GKeyFile, KeyFileFree>;

struct StringVectorFree {
    void operator()(gchar** strings) const { g_strfreev(strings); }
};

std::vector<std::string> splitOn(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos)
            end = text.size();
        parts.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool isFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool isFolder(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool isExecutableFile(const std::string& path) {
    return isFile(path) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> resolvedPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr)
        return std::nullopt;
    return std::string(resolved);
}

// An absolute program as it is; a bare name from the first folder of the search path that has it.
// Relative folders (an empty entry means the current one) are skipped: where Ondrel happens to run
// says nothing about what the desktop would start.
std::optional<std::string> locateProgram(const std::string& program, const std::string& searchPath) {
    if (program.empty())
        return std::nullopt;
    if (program.find('/') != std::string::npos)
        return program.front() == '/' && isExecutableFile(program) ? resolvedPath(program) : std::nullopt;
    for (const std::string& folder : splitOn(searchPath, ':')) {
        if (folder.empty() || folder.front() != '/')
            continue;
        if (const std::string candidate = folder + "/" + program; isExecutableFile(candidate))
            return resolvedPath(candidate);
    }
    return std::nullopt;
}

std::string stringKey(GKeyFile* file, const char* key) {
    GCharPtr value(g_key_file_get_string(file, entryGroup, key, nullptr));
    return value ? std::string(value.get()) : std::string();
}

// Exec's first word, unquoted the way the desktop entry rules quote arguments.
std::string firstWordOfExec(const std::string& exec) {
    gint count = 0;
    gchar** raw = nullptr;
    if (!g_shell_parse_argv(exec.c_str(), &count, &raw, nullptr))
        return {};
    std::unique_ptr<gchar*, StringVectorFree> words(raw);
    const std::string first = count > 0 ? words.get()[0] : "";
    return first.starts_with('%') ? std::string() : first;  // a field code is no program
}

}  // namespace

std::vector<std::string> applicationFolders(const std::string& home, const std::string& dataHome,
                                            const std::string& dataDirs) {
    std::vector<std::string> folders;
    if (!dataHome.empty() && dataHome.front() == '/')
        folders.push_back(dataHome + "/applications");
    else if (!home.empty())
        folders.push_back(home + "/.local/share/applications");
    std::vector<std::string> systemFolders = splitOn(dataDirs, ':');
    std::erase_if(systemFolders, [](const std::string& folder) { return folder.empty() || folder.front() != '/'; });
    if (systemFolders.empty())
        systemFolders = {"/usr/local/share", "/usr/share"};
    for (std::string& folder : systemFolders) {
        if (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        folders.push_back(folder + "/applications");
    }
    return folders;
}

std::optional<std::string> findDesktopEntry(std::string_view id, const std::vector<std::string>& folders) {
    if (id.empty() || id.find('/') != std::string_view::npos)
        return std::nullopt;
    // Tries the ID as a file name, then every "-" that names an existing subfolder.
    const auto findIn = [](const auto& self, const std::string& folder,
                           std::string_view rest) -> std::optional<std::string> {
        if (const std::string file = folder + "/" + std::string(rest); isFile(file))
            return file;
        for (std::size_t dash = rest.find('-'); dash != std::string_view::npos; dash = rest.find('-', dash + 1)) {
            if (const std::string subfolder = folder + "/" + std::string(rest.substr(0, dash)); isFolder(subfolder)) {
                if (auto found = self(self, subfolder, rest.substr(dash + 1)))
                    return found;
            }
        }
        return std::nullopt;
    };
    for (const std::string& folder : folders) {
        if (auto found = findIn(findIn, folder, id))
            return found;
    }
    return std::nullopt;
}

std::optional<std::string> desktopEntryProgram(const std::string& entryFile, const std::string& searchPath) {
    KeyFilePtr file(g_key_file_new());
    if (!g_key_file_load_from_file(file.get(), entryFile.c_str(), G_KEY_FILE_NONE, nullptr))
        return std::nullopt;
    if (stringKey(file.get(), "Type") != "Application" ||
        g_key_file_get_boolean(file.get(), entryGroup, "Hidden", nullptr)) {
        return std::nullopt;
    }
    // TryExec says whether the application is installed at all; when it names nothing, neither does Exec.
    const std::string tryExec = stringKey(file.get(), "TryExec");
    const std::string word = tryExec.empty() ? firstWordOfExec(stringKey(file.get(), "Exec")) : tryExec;
    std::optional<std::string> program = locateProgram(word, searchPath);
    if (program && runsOtherPrograms(*program))
        return std::nullopt;
    return program;
}

bool runsOtherPrograms(std::string_view program) {
    static constexpr std::string_view launchers[] = {
        // shells and interpreters
        "sh", "bash", "dash", "zsh", "ksh", "mksh", "fish", "csh", "tcsh", "busybox", "python", "pypy", "perl", "ruby",
        "node", "nodejs", "deno", "bun", "java", "gjs", "lua", "luajit", "php", "tclsh", "wish", "mono", "dotnet",
        "electron", "wine", "qemu",
        // launchers, sandboxes and terminals that start the real program
        "env", "flatpak", "snap", "sudo", "pkexec", "doas", "nohup", "nice", "setsid", "systemd-run", "firejail",
        "bwrap", "dbus-run-session", "dbus-launch", "xdg-open", "gtk-launch", "gio", "appimage-run", "steam", "xterm",
        "x-terminal-emulator"};
    std::string_view name = program.substr(program.rfind('/') + 1);
    // Versioned names count as their family: python3.11, electron32, wine64, lua5.4.
    while (!name.empty() && (std::isdigit(static_cast<unsigned char>(name.back())) != 0 || name.back() == '.'))
        name.remove_suffix(1);
    for (std::string_view launcher : launchers) {
        if (name == launcher)
            return true;
    }
    return false;
}

}  // namespace ondrel::atspi
