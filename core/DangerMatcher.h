// SPDX-License-Identifier: MIT
#pragma once

// Safe mode's fixed list of destructive or sensitive fragments and the test against it.

#include <array>
#include <optional>
#include <string_view>

namespace ondrel {

// Lower case, matched as written; four entries end with a space that belongs to them.
inline constexpr std::array<std::string_view, 40> dangerPatterns = {
    "rm -rf",
    "rm -fr",
    "rm -r ",
    "sudo ",
    "mkfs",
    "dd if=",
    "diskutil",
    "git push --force",
    "git push -f",
    "push --force",
    "reset --hard",
    "git clean -fd",
    "branch -d",
    "checkout --",
    "--no-verify",
    "drop table",
    "drop database",
    "truncate table",
    "delete from",
    "shutdown",
    "reboot",
    "killall",
    "chmod 777",
    "chown -r",
    "> /dev/",
    "curl",
    "wget",
    "npm publish",
    "terraform destroy",
    "terraform apply",
    "kubectl delete",
    "aws ",
    "production",
    "prod ",
    "secret",
    "credential",
    ".env",
    "private key",
    "id_rsa",
    "token",
};

// The first pattern, in list order, that occurs anywhere in `text` read as a shell reads a command's words
// (every run of white space as one space, a line continued with a backslash going on, quotes, commas and
// brackets parting words), or in the text's look (letters of other scripts that look Latin read as the
// letters they look like). Case-sensitive: callers lower-case. The result views the constant list.
std::optional<std::string_view> dangerMatch(std::string_view text);

}  // namespace ondrel
