// The four methods' compressors and decoders: round trips, hand-built bit
// streams for the special cases, and damaged streams.
#include <gtest/gtest.h>

#include <sstream>

#include "compress/archive_errors.h"
#include "compress/bit_writer.h"
#include "compress/codec_state.h"
#include "compress/compressors.h"
#include "compress/lh5_decoder.h"
#include "compress/lzh_decoder.h"
#include "support/archive_support.h"

namespace qv::compress::testing {
namespace {

struct TSample {
    const char* name;
    Bytes data;
};

std::vector<TSample> Samples() {
    Bytes repetitive(300000, 'x');
    for (std::size_t i = 0; i < repetitive.size(); i += 997) {
        repetitive[i] = 0x94;  // the run-length marker inside runs
    }
    Bytes longRuns;
    for (int run = 1; run < 700; run += 37) {
        longRuns.insert(longRuns.end(), static_cast<std::size_t>(run),
                        static_cast<std::uint8_t>(run));
    }
    return {
        {"empty", {}},
        {"one byte", {0x94}},
        {"random", RandomBytes(200000, 7)},
        {"repetitive", repetitive},
        {"runs of every length", longRuns},
        {"multi-megabyte text", SampleText(3 * 1024 * 1024, 11)},
    };
}

class RoundTripTest : public ::testing::TestWithParam<TMethod> {};

TEST_P(RoundTripTest, DecoderRestoresWhatTheCompressorWrote) {
    for (const TSample& sample : Samples()) {
        SCOPED_TRACE(sample.name);
        const Bytes stored = Compress(GetParam(), sample.data);
        const Bytes back =
            Decode(GetParam(), stored, static_cast<std::int32_t>(sample.data.size()));
        ASSERT_EQ(back.size(), sample.data.size());
        EXPECT_TRUE(back == sample.data);
    }
}

INSTANTIATE_TEST_SUITE_P(AllMethods, RoundTripTest,
                         ::testing::Values(TMethod::Stored, TMethod::RunLength, TMethod::Lzh,
                                           TMethod::Lh5),
                         [](const auto& info) { return std::string(MethodID(info.param)); });

TEST(CompressorTest, LzhSurvivesManyTreeRebuilds) {
    // Random bytes are coded as literals, one symbol each; the tree is
    // rebuilt about every 16000 symbols, so this crosses dozens of rebuilds.
    const Bytes data = RandomBytes(1200000, 3);
    EXPECT_TRUE(Decode(TMethod::Lzh, CompressLzh(data), static_cast<std::int32_t>(data.size())) ==
                data);
}

TEST(CompressorTest, CompressorsShrinkText) {
    const Bytes text = SampleText(500000, 5);
    EXPECT_LT(CompressLzh(text).size(), text.size() / 2);
    EXPECT_LT(CompressLh5(text).size(), text.size() / 2);
    EXPECT_LT(CompressRle(Bytes(1000, 'a')).size(), 20u);
}

TEST(RunLengthTest, DecodesTheWriterForms) {
    struct TCase {
        const char* stored;
        const char* expanded;
    };
    const TCase cases[] = {
        {"41 94 05", "41 41 41 41 41"},
        {"94 00", "94"},
        {"41 94", "41 94"},                    // a marker as the last byte stands for itself
        {"41 94 01", "41"},                    // count 1: only the literal
        {"41 94 03 94 03", "41 41 41 94 94"},  // after a marker pair the last byte is 94h
        {"94 03", "00 00"},                    // the last byte starts as 0
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(Decode(TMethod::RunLength, FromHex(c.stored), 0), FromHex(c.expanded));
    }
}

TEST(DecoderTest, ByteCountZeroReadsNoInput) {
    for (TMethod method : {TMethod::Lzh, TMethod::Lh5}) {
        std::istringstream in("\xFF\xFF\xFF\xFF");
        std::ostringstream out;
        TCodecState state;
        state.BeginEntry(in, out, 4, 0, false, nullptr);
        method == TMethod::Lzh ? LzhDecode(state, 0) : Lh5Decode(state, 0);
        EXPECT_EQ(in.tellg(), 0);
        EXPECT_EQ(state.InputSum(), 0u);
        EXPECT_TRUE(out.str().empty());
    }
}

// LZH streams built from the initial tree: the code of a symbol is the path
// from the root to its leaf, as the tree stands before the symbol.
class TLzhStream {
  public:
    TLzhStream() { tree_.Init(); }
    TLzhStream& Symbol(int symbol) {
        std::vector<int> path;
        for (int node = tree_.parent[symbol + TLzhTree::kNodes]; node != TLzhTree::kRoot;
             node = tree_.parent[node]) {
            path.push_back(node - tree_.child[tree_.parent[node]]);
        }
        for (auto bit = path.rbegin(); bit != path.rend(); ++bit) {
            bits_.Put(static_cast<std::uint32_t>(*bit), 1);
        }
        tree_.Update(symbol);
        return *this;
    }
    // Position 0 is coded as three 0 bits of prefix and six bits of offset.
    TLzhStream& Position(int position) {
        EXPECT_LT(position, 64);
        bits_.Put(0, 3);
        bits_.Put(static_cast<std::uint32_t>(position), 6);
        return *this;
    }
    Bytes Finish() { return bits_.Finish(); }

  private:
    TLzhTree tree_;
    TBitWriter bits_;
};

TEST(LzhDecoderTest, MatchesAtTheStartReadTheSpacesOfTheWindow) {
    // Symbol 313 is the longest match, 60 bytes.
    EXPECT_EQ(Decode(TMethod::Lzh, TLzhStream().Symbol(313).Position(5).Finish(), 60),
              Bytes(60, ' '));
    // 'A', then symbol 256 (3 bytes) at position 0: the byte just written.
    EXPECT_EQ(Decode(TMethod::Lzh, TLzhStream().Symbol('A').Symbol(256).Position(0).Finish(), 4),
              ToBytes("AAAA"));
}

TEST(LzhDecoderTest, InputEndingEarlyReadsAsZeroBitsUpToTheByteCount) {
    const Bytes stored = TLzhStream().Symbol('Q').Finish();
    const Bytes out = Decode(TMethod::Lzh, stored, 500);
    ASSERT_GE(out.size(), 500u);
    EXPECT_EQ(out[0], 'Q');
}

// LH5 fields, written most significant bit first.
void PutSingleSymbolBlock(TBitWriter& b, std::uint32_t symbols, std::uint32_t symbol) {
    b.Put(symbols, 16);
    b.Put(0, 5), b.Put(0, 5);  // code lengths: one symbol (0), no bits
    b.Put(0, 9), b.Put(symbol, 9);
    b.Put(0, 4), b.Put(0, 4);  // distances: one class (0), no bits
}

Bytes SingleSymbolBlock(std::uint32_t symbols, std::uint32_t symbol) {
    TBitWriter b;
    PutSingleSymbolBlock(b, symbols, symbol);
    return b.Finish();
}

TEST(Lh5DecoderTest, SymbolCountZeroGivesOneSymbolOfNoBits) {
    EXPECT_EQ(Decode(TMethod::Lh5, SingleSymbolBlock(5, 'A'), 5), ToBytes("AAAAA"));
    // Symbol 509 is a match of 256 at distance 0: at the start that repeats
    // the space before the first position.
    EXPECT_EQ(Decode(TMethod::Lh5, SingleSymbolBlock(1, 509), 256), Bytes(256, ' '));
}

TEST(Lh5DecoderTest, LongestMatchAtDistanceZeroRepeatsTheLastByte) {
    // Symbols 'A' (65) and 509, each with a code of one bit.
    TBitWriter b;
    b.Put(3, 16);
    // Code-length code: lengths 0, 0, 1, then 2 bits for zeros after the
    // third, then 1: symbols 2 ("0") and 3 ("1") of that alphabet.
    b.Put(4, 5), b.Put(0, 3), b.Put(0, 3), b.Put(1, 3), b.Put(0, 2), b.Put(1, 3);
    // Symbol lengths: 65 zeros, length 1, 443 zeros, length 1.
    b.Put(510, 9);
    b.Put(0, 1), b.Put(65 - 20, 9), b.Put(1, 1);
    b.Put(0, 1), b.Put(443 - 20, 9), b.Put(1, 1);
    b.Put(0, 4), b.Put(0, 4);  // distances: class 0 only
    b.Put(1, 1);               // 509: 256 copies of the space before r
    b.Put(0, 1);               // 'A'
    b.Put(1, 1);               // 509: 256 more 'A'
    Bytes expected(256, ' ');
    expected.insert(expected.end(), 257, 'A');
    EXPECT_EQ(Decode(TMethod::Lh5, b.Finish(), 513), expected);
}

TEST(Lh5DecoderTest, BlockCountZeroHoldsFullBlock) {
    // 65536 symbols from one block header, then a second block.
    TBitWriter b;
    PutSingleSymbolBlock(b, 0, 'a');
    PutSingleSymbolBlock(b, 1, 'b');
    const Bytes stored = b.Finish();
    Bytes expected(65536, 'a');
    expected.push_back('b');
    EXPECT_EQ(Decode(TMethod::Lh5, stored, 65537), expected);
}

// Each stream is one LH5 block header that no valid compressor writes.
TEST(Lh5DecoderTest, DamagedTablesAreRefused) {
    struct TCase {
        const char* what;
        const char* hex;
    };
    const TCase cases[] = {
        // count 1 | code-length count 20 (of 19)
        {"too many code lengths", "00 01 A0"},
        // count 1 | code-length count 0 | single symbol 19
        {"single code-length symbol outside the alphabet", "00 01 04 C0"},
        // count 1 | 1 length | 111 + ten 1 bits + 0 = length 17
        {"short code length above 16", "00 01 0F FF C0"},
        // count 1 | 1 length | 111 + thirteen 1 bits
        {"short code length run past the buffer", "00 01 0F FF F8"},
        // count 1 | 1 length | 001: one code of length 1
        {"incomplete code set", "00 01 09"},
        // count 1 | 3 lengths | 001 001 001 | 00
        {"over-full code set", "00 01 19 24"},
        // count 1 | 4 lengths | 001 001 001 | 00 | 001: weights sum to 20000h
        {"code space filled twice", "00 01 21 24 20"},
        // count 1 | code lengths 1,1 | symbol count 511 (of 510)
        {"too many symbol lengths", "00 01 11 3F F0"},
        // count 1 | single code length | single symbol 510
        {"single symbol outside the alphabet", "00 01 00 00 1F E0"},
        // count 1 | code lengths 0,1,1 | 510 lengths | run of 20 + 511 zeros
        {"zero run past the table", "00 01 18 24 FF 7F E0"},
        // count 1 | single code length | single 'A' | distance count 15 (of 14)
        {"too many distance lengths", "00 01 00 00 04 1F"},
        // ... | distance count 0 | single distance class 14
        {"single distance class outside the alphabet", "00 01 00 00 04 10 E0"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_THROW(Decode(TMethod::Lh5, FromHex(c.hex), 10), ELZHBadDecodeTable);
    }
}

TEST(Lh5DecoderTest, CodesLongerThanTheLookupWidthDecode) {
    // Skewed frequencies give codes of 13 to 16 bits, which walk the trees
    // below both lookup tables.
    Bytes data;
    for (int i = 0; i < 256; ++i) {
        data.insert(data.end(), static_cast<std::size_t>(1) << (i % 15),
                    static_cast<std::uint8_t>(i));
        data.push_back(static_cast<std::uint8_t>(255 - i));
    }
    EXPECT_TRUE(Decode(TMethod::Lh5, CompressLh5(data), static_cast<std::int32_t>(data.size())) ==
                data);
}

}  // namespace
}  // namespace qv::compress::testing
