#pragma once

// Line and field scanning shared by the list readers. Internal to qv_lists.
//
// Lines end in CR LF or LF alone. A field is either unquoted, running to the
// next comma, or quoted, running from after its opening double quote to the
// next double quote; the character after a closing quote is the separator,
// whatever it is. There is no escape, and no field is empty.

#include <cstddef>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace qv_lists_detail {

// Opens a list file for reading; false when it cannot be read as a file (a
// folder, say, opens but reads as empty).
bool OpenListFile(const std::string& path, std::ifstream& in);

// Reads the next line without its line end into `line`. False at the end of
// the stream when no character was left.
bool ReadLine(std::istream& in, std::string& line);

// Skips what is left of the current line, line end included.
void SkipRestOfLine(std::istream& in);

struct TField {
    std::string_view Text;  // never empty
    bool Quoted;
    // False when no comma or closing quote ended the field on its line and the
    // text ran to the line's end.
    bool Terminated;
    std::size_t Next;  // where the following field starts; may lie past the line
};

// The field starting at `start` of `line`; nullopt when it would be empty or
// starts at or after the end of the line. Never looks outside `line`.
std::optional<TField> ScanField(std::string_view line, std::size_t start);

// A decimal integer with an optional sign, surrounded by nothing but blanks or
// tabs, that fits an int; nullopt otherwise.
std::optional<int> ParseInteger(std::string_view text);

}  // namespace qv_lists_detail
