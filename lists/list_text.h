#pragma once

// Text of the list files as the program shows it.
//
// The list files are single-byte text. Older copies are Windows-1252, newer
// ones may carry UTF-8; nothing in a file says which. A field is taken as
// UTF-8 when its bytes are valid UTF-8 (plain ASCII is both; qv::IsValidUtf8
// tells), otherwise as Windows-1252. Fields stay raw bytes in memory; these
// helpers convert at the point where text is shown or compared.

#include <string>
#include <string_view>

// `raw` as UTF-8 for display: unchanged when it is valid UTF-8, otherwise each
// byte decoded from Windows-1252. The five bytes that code page leaves unset
// become U+FFFD.
std::string DisplayText(std::string_view raw);

// A key that orders captions alphabetically the way a reader expects: letter
// case ignored and accented Latin letters sorted with their base letter
// ("Côte d'Ivoire" between "Congo" and "Croatia"). Keys compare bytewise;
// equal keys say nothing about equal captions.
std::string AlphabeticKey(std::string_view raw);
