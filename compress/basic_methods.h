// The stored and run-length methods, and the dispatch to every decoder.
//
// Run-length format: the marker 94h followed by a count K. K = 0 stands for
// a data byte 94h; otherwise the byte written before the marker is repeated
// K - 1 more times (the count includes that literal).
#pragma once

#include <cstdint>

#include "compress/codec_state.h"

namespace qv::compress {

inline constexpr std::uint8_t kRleMarker = 0x94;

// Runs the decoder of method byte `method` (stored, run-length, LZH or LH5;
// any other value decodes nothing) with `byteCount` as the expanded size.
void DecodeMethod(TCodecState& state, std::uint8_t method, std::int32_t byteCount);

// Copies every stored byte; the expanded size is not consulted.
void StoredDecode(TCodecState& state);
void RleDecode(TCodecState& state);

}  // namespace qv::compress
