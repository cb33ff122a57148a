#include "lists/list_text.h"

#include <array>
#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 bytes 0x80 to 0x9F; the rest of the upper half is Latin-1.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC,       kReplacement, 0x201A, 0x0192, 0x201E, 0x2026,       0x2020, 0x2021,
    0x02C6,       0x2030,       0x0160, 0x2039, 0x0152, kReplacement, 0x017D, kReplacement,
    kReplacement, 0x2018,       0x2019, 0x201C, 0x201D, 0x2022,       0x2013, 0x2014,
    0x02DC,       0x2122,       0x0161, 0x203A, 0x0153, kReplacement, 0x017E, 0x0178,
};

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence that starts at s[i], with its code
// point in `cp`; 0 when the bytes there are not well-formed UTF-8.
std::size_t Utf8Sequence(std::string_view s, std::size_t i, char32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const std::size_t left = s.size() - i;
    const unsigned char b0 = byte(0);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (left < 2 || !IsContinuation(byte(1))) {
            return 0;
        }
        cp = (char32_t(b0 & 0x1F) << 6) | (byte(1) & 0x3F);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3 || !IsContinuation(byte(1)) || !IsContinuation(byte(2))) {
            return 0;
        }
        // Reject overlong forms (E0 80..9F) and surrogates (ED A0..BF).
        if ((b0 == 0xE0 && byte(1) < 0xA0) || (b0 == 0xED && byte(1) > 0x9F)) {
            return 0;
        }
        cp = (char32_t(b0 & 0x0F) << 12) | (char32_t(byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4 || !IsContinuation(byte(1)) || !IsContinuation(byte(2)) ||
            !IsContinuation(byte(3))) {
            return 0;
        }
        // Reject overlong forms (F0 80..8F) and code points above U+10FFFF.
        if ((b0 == 0xF0 && byte(1) < 0x90) || (b0 == 0xF4 && byte(1) > 0x8F)) {
            return 0;
        }
        cp = (char32_t(b0 & 0x07) << 18) | (char32_t(byte(1) & 0x3F) << 12) |
             (char32_t(byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
        return 4;
    }
    return 0;
}

char32_t Cp1252(unsigned char b) {
    if (b >= 0x80 && b < 0xA0) {
        return kCp1252High[b - 0x80];
    }
    return b;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::u32string CodePoints(std::string_view raw) {
    std::u32string out;
    out.reserve(raw.size());
    if (IsValidUtf8(raw)) {
        char32_t cp = 0;
        for (std::size_t i = 0; i < raw.size();) {
            i += Utf8Sequence(raw, i, cp);
            out += cp;
        }
    } else {
        for (char c : raw) {
            out += Cp1252(static_cast<unsigned char>(c));
        }
    }
    return out;
}

// Base letters of U+00C0 to U+00FF; an empty entry keeps the character.
constexpr std::array<const char*, 64> kLatin1Base = {
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "y",
};

// Base letters of U+0100 to U+017F, sixteen to a group; U+0132/3 and U+0152/3
// are two-letter ligatures handled apart.
constexpr std::string_view kLatinExtendedABase =
    "aaaaaaccccccccdd"
    "ddeeeeeeeeeegggg"
    "gggghhhhiiiiiiii"
    "iiiijjkkklllllll"
    "lllnnnnnnnnnoooo"
    "oooorrrrrrssssss"
    "ssttttttuuuuuuuu"
    "uuuuwwyyyzzzzzzs";

}  // namespace

bool IsValidUtf8(std::string_view raw) {
    char32_t cp = 0;
    for (std::size_t i = 0; i < raw.size();) {
        const std::size_t n = Utf8Sequence(raw, i, cp);
        if (n == 0) {
            return false;
        }
        i += n;
    }
    return true;
}

std::string DisplayText(std::string_view raw) {
    if (IsValidUtf8(raw)) {
        return std::string(raw);
    }
    std::string out;
    out.reserve(raw.size() * 2);
    for (char c : raw) {
        AppendUtf8(out, Cp1252(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string AlphabeticKey(std::string_view raw) {
    std::string key;
    key.reserve(raw.size());
    for (char32_t cp : CodePoints(raw)) {
        if (cp >= 'A' && cp <= 'Z') {
            key += static_cast<char>(cp - 'A' + 'a');
        } else if (cp >= 0xC0 && cp <= 0xFF && *kLatin1Base[cp - 0xC0] != '\0') {
            key += kLatin1Base[cp - 0xC0];
        } else if (cp == 0x132 || cp == 0x133) {
            key += "ij";
        } else if (cp == 0x152 || cp == 0x153) {
            key += "oe";
        } else if (cp >= 0x100 && cp <= 0x17F) {
            key += kLatinExtendedABase[cp - 0x100];
        } else {
            AppendUtf8(key, cp);
        }
    }
    return key;
}
