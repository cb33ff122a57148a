#include "compress/basic_methods.h"

#include "compress/lh5_decoder.h"
#include "compress/lzh_decoder.h"

namespace qv::compress {

void StoredDecode(TCodecState& state) {
    for (;;) {
        const std::uint8_t b = state.ReadInputByte();
        if (state.EndOfInput()) {
            return;
        }
        state.WriteOutputByte(b);
    }
}

void RleDecode(TCodecState& state) {
    std::uint8_t last = 0;
    for (;;) {
        const std::uint8_t x = state.ReadInputByte();
        if (state.EndOfInput()) {
            return;
        }
        if (x != kRleMarker) {
            state.WriteOutputByte(x);
        } else {
            std::uint8_t count = state.ReadInputByte();
            if (state.EndOfInput()) {
                count = 0;
            }
            if (count == 0) {
                state.WriteOutputByte(kRleMarker);
            }
            for (int i = 1; i < count; ++i) {
                state.WriteOutputByte(last);
            }
        }
        // After a marker pair the last byte is the marker itself, which is
        // why a writer never puts two runs back to back.
        last = x;
    }
}

void DecodeMethod(TCodecState& state, std::uint8_t method, std::int32_t byteCount) {
    switch (static_cast<TMethod>(method)) {
        case TMethod::Stored:
            StoredDecode(state);
            break;
        case TMethod::RunLength:
            RleDecode(state);
            break;
        case TMethod::Lzh:
            LzhDecode(state, byteCount);
            break;
        case TMethod::Lh5:
            Lh5Decode(state, byteCount);
            break;
        default:
            break;
    }
}

}  // namespace qv::compress
