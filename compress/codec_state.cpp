#include "compress/codec_state.h"

#include <algorithm>
#include <thread>

#include "compress/archive_errors.h"
#include "compress/lh5_decoder.h"
#include "compress/lzh_decoder.h"

namespace qv::compress {

TCodecState::TCodecState() = default;
TCodecState::~TCodecState() = default;

void TCodecState::BeginEntry(std::istream& input, std::ostream& output, std::int32_t storedSize,
                             std::int32_t key, bool unscramble, TShowProgressEvent progress) {
    inputStream_ = &input;
    outputStream_ = &output;
    input_.assign(kBlockSize, 0);
    output_.assign(kBlockSize, 0);
    inputEnd_ = 0;
    readPos_ = 0;
    writePos_ = 0;
    endOfInput_ = false;
    inputRemaining_ = std::max<std::int32_t>(storedSize, 0);
    inputReadSoFar_ = 0;
    inputSum_ = 0;
    outputSum_ = 0;
    outputBudget_ = kExpansionBudget;
    unscramble_ = unscramble && key != 0;
    key_ = TKeyStream(key);
    progress_ = std::move(progress);
}

void TCodecState::EndEntry() noexcept {
    std::vector<std::uint8_t>().swap(input_);
    std::vector<std::uint8_t>().swap(output_);
    inputEnd_ = readPos_ = writePos_ = 0;
    inputStream_ = nullptr;
    outputStream_ = nullptr;
    progress_ = nullptr;
    lzh.reset();
    lh5.reset();
}

std::uint8_t TCodecState::RefillInput() {
    endOfInput_ = true;
    if (inputRemaining_ <= 0) {
        return 0;
    }
    const auto wanted = static_cast<std::streamsize>(
        std::min<std::int64_t>(static_cast<std::int64_t>(kBlockSize), inputRemaining_));
    inputStream_->read(reinterpret_cast<char*>(input_.data()), wanted);
    const std::streamsize got = inputStream_->gcount();
    // A short read at the end of the file is not an error: the missing data
    // simply read as ended input.
    if (inputStream_->eof()) {
        inputStream_->clear();
    }
    inputRemaining_ -= got;
    if (got <= 0) {
        inputRemaining_ = 0;
        return 0;
    }
    inputEnd_ = static_cast<std::size_t>(got);
    readPos_ = 0;
    if (progress_) {
        inputReadSoFar_ += got;
        const std::int64_t total = inputReadSoFar_ + inputRemaining_;
        int percentage = static_cast<int>(total <= 100000 ? inputReadSoFar_ * 100 / total
                                                          : inputReadSoFar_ / (total / 100));
        progress_(percentage);
        if (percentage == -1) {
            inputRemaining_ = 0;
            inputEnd_ = readPos_ = 0;
            return 0;
        }
    }
    std::this_thread::yield();
    endOfInput_ = false;
    return TakeInputByte();
}

void TCodecState::WriteOutputBlock() {
    std::this_thread::yield();
    outputStream_->write(reinterpret_cast<const char*>(output_.data()),
                         static_cast<std::streamsize>(writePos_));
    if (!*outputStream_) {
        throw EWriteError();
    }
    writePos_ = 0;
}

void TCodecState::FlushOutput() {
    if (writePos_ > 0) {
        WriteOutputBlock();
    }
}

void TCodecState::ThrowBudgetExhausted() {
    throw EUnableToCompress();
}

}  // namespace qv::compress
