// Line breaks as this platform's text keeps them.
#pragma once

#include <string>
#include <string_view>

namespace qv {

// CR LF and a lone CR become LF: text that went out on the wire, or came from
// another system, as an editor or a text file here holds it.
std::string WithLfLineBreaks(std::string_view text);

}  // namespace qv
