// SPDX-License-Identifier: MIT
#pragma once

// Which code signature last held the Accessibility permission, kept in Ondrel's preferences.
//
// macOS ties a grant to the code signature's designated requirement. After a rebuild or an update
// with a different signature, System Settings still shows Ondrel switched on while the running app
// is not trusted. Whether the list holds an entry at all can only be read from the system's private
// permission database, so Ondrel remembers instead: the signature it ran under when it was last
// trusted. Untrusted under another signature than that one means the grant in the list is outdated.

#include <optional>
#include <string>

namespace ondrel::macos {

class GrantMemory {
public:
    // Reads the running signature and the remembered one.
    GrantMemory();

    // Trusted once under another signature than the running one.
    bool grantOutdated() const;

    // Called while trusted: remembers the running signature when it is not the remembered one yet.
    void noteTrusted();

private:
    std::optional<std::string> running_;  // none when unsigned or unreadable
    std::optional<std::string> granted_;
};

}  // namespace ondrel::macos
