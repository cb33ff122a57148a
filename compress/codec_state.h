// The state every decoder runs on: the block-buffered byte layer between the
// archive stream and the output stream, the running sums, and the tables of
// the LZH and LH5 decoders. One TCodecState belongs to one TArchiver; it
// expands one entry at a time and must not be shared between threads.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <vector>

#include "compress/archive_format.h"

namespace qv::compress {

// Progress of the entry being expanded, in percent. Setting -1 ends the
// entry's input at once.
using TShowProgressEvent = std::function<void(int& PercentageDone)>;

struct TLzhDecoderState;
struct TLh5DecoderState;

class TCodecState {
  public:
    static constexpr std::size_t kBlockSize = 8192;
    static constexpr std::int64_t kExpansionBudget = 2147483647;

    TCodecState();
    ~TCodecState();
    TCodecState(const TCodecState&) = delete;
    TCodecState& operator=(const TCodecState&) = delete;

    // Prepares one entry: `input` is positioned at the entry's data and holds
    // `storedSize` bytes of it; decoded bytes go to `output`. Both streams
    // must outlive the entry. With `key` nonzero and `unscramble` set, every
    // input byte is passed through the key.
    void BeginEntry(std::istream& input, std::ostream& output, std::int32_t storedSize,
                    std::int32_t key, bool unscramble, TShowProgressEvent progress);
    // Writes what the output buffer still holds.
    void FlushOutput();
    // Frees the buffers and decoder tables; safe to call at any time.
    void EndEntry() noexcept;

    // Next input byte. After the stored data end (or progress asked to stop)
    // it returns 0 with EndOfInput() set; such a value is not data.
    std::uint8_t ReadInputByte() {
        if (readPos_ == inputEnd_) {
            return RefillInput();
        }
        return TakeInputByte();
    }
    bool EndOfInput() const { return endOfInput_; }

    void WriteOutputByte(std::uint8_t b) {
        if (outputBudget_ <= 0) {
            ThrowBudgetExhausted();
        }
        --outputBudget_;
        if (writePos_ == output_.size()) {
            WriteOutputBlock();
        }
        output_[writePos_++] = b;
        outputSum_ += b;
    }

    std::uint32_t OutputSum() const { return outputSum_; }
    std::uint32_t InputSum() const { return inputSum_; }

    // Decoder tables, allocated when an entry of their method starts and
    // freed by EndEntry.
    std::unique_ptr<TLzhDecoderState> lzh;
    std::unique_ptr<TLh5DecoderState> lh5;

  private:
    std::uint8_t RefillInput();
    std::uint8_t TakeInputByte() {
        std::uint8_t b = input_[readPos_++];
        inputSum_ += b;
        return unscramble_ ? key_.Apply(b) : b;
    }
    void WriteOutputBlock();
    [[noreturn]] static void ThrowBudgetExhausted();

    bool endOfInput_ = false;
    std::vector<std::uint8_t> input_;
    std::vector<std::uint8_t> output_;
    std::size_t inputEnd_ = 0;
    std::size_t readPos_ = 0;
    std::size_t writePos_ = 0;
    std::istream* inputStream_ = nullptr;
    std::ostream* outputStream_ = nullptr;
    std::uint32_t inputSum_ = 0;
    std::uint32_t outputSum_ = 0;
    std::int64_t inputRemaining_ = 0;
    std::int64_t inputReadSoFar_ = 0;
    bool unscramble_ = false;
    TKeyStream key_{0};
    std::int64_t outputBudget_ = 0;
    TShowProgressEvent progress_;
};

}  // namespace qv::compress
