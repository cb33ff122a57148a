// Helpers shared by the archive tests: temporary folders, hex and file I/O,
// sample data, and decoding stored data in memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "compress/archive_format.h"
#include "support/temp_folder.h"

namespace qv::compress::testing {

using Bytes = std::vector<std::uint8_t>;

// "41 94 05" -> {0x41, 0x94, 0x05}; blanks are ignored.
Bytes FromHex(const std::string& hex);
Bytes ToBytes(const std::string& text);
Bytes ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const Bytes& data);

Bytes RandomBytes(std::size_t size, std::uint32_t seed);
// Words from a small vocabulary separated by blanks and line breaks.
Bytes SampleText(std::size_t size, std::uint32_t seed);

// Runs the decoder of `method` over `stored` as the expander does, with
// `expandedSize` as its byte count, and returns what it wrote.
Bytes Decode(TMethod method, const Bytes& stored, std::int32_t expandedSize);

}  // namespace qv::compress::testing
