#pragma once

// Test helpers for the list readers (and the temporary folder they use).

#include <cstdio>
#include <ostream>
#include <string_view>

#include "support/temp_folder.h"

// Bytes as a one-line C string literal, for test parameter names.
inline void PrintBytes(std::string_view bytes, std::ostream* os) {
    *os << '"';
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            *os << static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            *os << hex;
        }
    }
    *os << '"';
}

