// SPDX-License-Identifier: MIT
#pragma once

// Unicode text rules shared by the option parser and the scanner: trimming, full lower-case
// mapping and lengths in user-perceived characters. Input is UTF-8; invalid sequences are kept
// as they are by the trims and become U+FFFD when a text is re-encoded.

#include <cstddef>
#include <string>
#include <string_view>

namespace ondrel::text {

// Removes white space and line breaks (the Unicode White_Space set) at both ends.
std::string trimmed(std::string_view text);

// Removes only space-like characters (general category Zs) and the tab at both ends; line breaks stay.
std::string trimmedSpaces(std::string_view text);

// Full Unicode lower-case mapping, independent of the user's locale.
std::string lowercased(std::string_view text);

// Every run of white space and line breaks (the Unicode White_Space set) as one ASCII space.
std::string whiteSpaceFolded(std::string_view text);

// The form in which safe mode reads a text: default-ignorable code points (zero-width spaces and joiners,
// soft hyphens, bidirectional controls) dropped, the compatibility form taken (NFKC: fullwidth and styled
// letters read as plain ones), lower-cased, and dashes read as typography writes them for "--" and "-", so
// that neither invisible nor look-alike characters hide a word.
std::string matchingForm(std::string_view text);

// Without the marks drawn over letters (combining underlines, accents): the letters they dress.
std::string withoutMarks(std::string_view text);

// U+FFFC, which marks where an object is embedded in a text, removed: it is no text of its own.
std::string withoutObjectReplacements(std::string_view text);

// Number of extended grapheme clusters.
std::size_t characterCount(std::string_view text);

}  // namespace ondrel::text
