// Compressors for the writer side: each returns stored data that the
// method's decoder expands back to `data`. The program itself only expands;
// these serve the people who publish list updates, and the tests.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "compress/archive_format.h"

namespace qv::compress {

std::vector<std::uint8_t> CompressRle(std::span<const std::uint8_t> data);
std::vector<std::uint8_t> CompressLzh(std::span<const std::uint8_t> data);
std::vector<std::uint8_t> CompressLh5(std::span<const std::uint8_t> data);

// Stored data for any method but Custom (stored is a plain copy).
std::vector<std::uint8_t> Compress(TMethod method, std::span<const std::uint8_t> data);

}  // namespace qv::compress
