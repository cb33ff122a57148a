// UTF-8 checks shared by the list files' text and the settings file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv {

// True when `text` is well-formed UTF-8: no overlong forms, no surrogates,
// nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Length of the well-formed UTF-8 sequence that starts at text[i] (i within
// the text), with its code point in `cp`; 0 when the bytes there are not
// well-formed UTF-8.
std::size_t DecodeUtf8At(std::string_view text, std::size_t i, char32_t& cp);

// Appends the UTF-8 form of a code point up to U+10FFFF.
void AppendUtf8(std::string& out, char32_t cp);

// The first `max` bytes of `text` (all of it when shorter), moved back to the
// start of a character when `text` is valid UTF-8 so that no character is
// cut in two. Text that is not UTF-8 is cut at `max` bytes.
std::string_view CutAtCharacter(std::string_view text, std::size_t max);

}  // namespace qv
