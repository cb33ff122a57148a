#include "support/archive_support.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

#include "compress/basic_methods.h"
#include "compress/codec_state.h"

namespace qv::compress::testing {

Bytes FromHex(const std::string& hex) {
    Bytes out;
    std::string digits;
    for (char c : hex) {
        if (c != ' ') {
            digits += c;
        }
    }
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return out;
}

Bytes ToBytes(const std::string& text) {
    return {text.begin(), text.end()};
}

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::filesystem::path& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
}

Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(size);
    for (std::uint8_t& b : out) {
        b = static_cast<std::uint8_t>(rng());
    }
    return out;
}

Bytes SampleText(std::size_t size, std::uint32_t seed) {
    static constexpr const char* kWords[] = {
        "Senator",   "Representative", "House",  "the",      "of",     "and",   "to",
        "district",  "Washington",     "office", "Dear",     "letter", "vote",  "bill",
        "committee", "world",          "leader", "minister", "mail",   "state", "1999"};
    std::mt19937 rng(seed);
    Bytes out;
    out.reserve(size + 32);
    while (out.size() < size) {
        const std::string word = kWords[rng() % std::size(kWords)];
        out.insert(out.end(), word.begin(), word.end());
        out.push_back(rng() % 12 == 0 ? '\n' : ' ');
    }
    out.resize(size);
    return out;
}

Bytes Decode(TMethod method, const Bytes& stored, std::int32_t expandedSize) {
    std::istringstream in(std::string(stored.begin(), stored.end()));
    std::ostringstream out;
    TCodecState state;
    state.BeginEntry(in, out, static_cast<std::int32_t>(stored.size()), 0, false, nullptr);
    DecodeMethod(state, static_cast<std::uint8_t>(method), expandedSize);
    state.FlushOutput();
    state.EndEntry();
    const std::string s = out.str();
    return {s.begin(), s.end()};
}

}  // namespace qv::compress::testing
