#include "lists/list_text.h"

#include <array>
#include <cstdint>

#include "base/utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 bytes 0x80 to 0x9F; the rest of the upper half is Latin-1.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC,       kReplacement, 0x201A, 0x0192, 0x201E, 0x2026,       0x2020, 0x2021,
    0x02C6,       0x2030,       0x0160, 0x2039, 0x0152, kReplacement, 0x017D, kReplacement,
    kReplacement, 0x2018,       0x2019, 0x201C, 0x201D, 0x2022,       0x2013, 0x2014,
    0x02DC,       0x2122,       0x0161, 0x203A, 0x0153, kReplacement, 0x017E, 0x0178,
};

char32_t Cp1252(unsigned char b) {
    if (b >= 0x80 && b < 0xA0) {
        return kCp1252High[b - 0x80];
    }
    return b;
}

std::u32string CodePoints(std::string_view raw) {
    std::u32string out;
    out.reserve(raw.size());
    if (qv::IsValidUtf8(raw)) {
        char32_t cp = 0;
        for (std::size_t i = 0; i < raw.size();) {
            i += qv::DecodeUtf8At(raw, i, cp);
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

std::string DisplayText(std::string_view raw) {
    if (qv::IsValidUtf8(raw)) {
        return std::string(raw);
    }
    std::string out;
    out.reserve(raw.size() * 2);
    for (char c : raw) {
        qv::AppendUtf8(out, Cp1252(static_cast<unsigned char>(c)));
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
            qv::AppendUtf8(key, cp);
        }
    }
    return key;
}
