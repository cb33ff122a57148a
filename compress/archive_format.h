// The archive's on-disk records and method table, shared by the reader and
// the writer. All integers are little-endian; records are packed.
//
// Archive: a 21-byte header, then entries back to back. Entry: a 25-byte
// header, the name (N single-byte characters, "\" between folders), then
// the stored data in the format of the entry's method.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qv::compress {

// Method index as stored in an entry's method byte.
enum class TMethod : std::uint8_t { Stored = 0, RunLength = 1, Lzh = 2, Custom = 3, Lh5 = 4 };

// The known method IDs, in index order.
inline constexpr std::array<std::string_view, 5> kMethodIDs = {"NON", "RLE", "LZH", "CUS", "LH5"};

inline std::string_view MethodID(TMethod method) {
    return kMethodIDs[static_cast<std::size_t>(method)];
}

// Index of a known ID (case-sensitive), or nothing.
std::optional<TMethod> FindMethodID(std::string_view id);

inline constexpr std::size_t kArchiveHeaderSize = 21;
inline constexpr std::size_t kEntryHeaderSize = 25;
inline constexpr std::uint8_t kArchiveTypeMulti = 1;  // caMulti, the only type read
inline constexpr std::array<std::uint8_t, 5> kArchiveMagic = {'Q', 'V', 'P', 'K', 0x1A};

struct TArchiveHeader {
    std::array<std::uint8_t, 5> magic = kArchiveMagic;
    std::string methodID = "NON";  // exactly three characters
    std::int32_t totalExpandedSize = 0;
    std::uint8_t archiveType = kArchiveTypeMulti;
    std::int32_t lock = 0;  // 2 when written with a key, ignored on reading
};

struct TArchiveEntryHeader {
    std::int16_t nameLength = 0;
    std::uint32_t dosTime = 0;  // high word the DOS date, low word the DOS time
    std::int16_t attributes = 0;
    std::int32_t expandedSize = 0;
    std::int32_t storedSize = 0;
    std::uint8_t method = 0;
    std::int32_t checksum = 0;
    std::int32_t lock = 0;  // <= 0 open, >= 1 locked, 2 locked with data combined with the key
};

// Windows attribute bit that marks a file read-only.
inline constexpr std::int32_t kAttributeReadOnly = 0x01;

std::array<std::uint8_t, kArchiveHeaderSize> EncodeArchiveHeader(const TArchiveHeader& header);
TArchiveHeader DecodeArchiveHeader(std::span<const std::uint8_t, kArchiveHeaderSize> bytes);
std::array<std::uint8_t, kEntryHeaderSize> EncodeEntryHeader(const TArchiveEntryHeader& header);
TArchiveEntryHeader DecodeEntryHeader(std::span<const std::uint8_t, kEntryHeaderSize> bytes);

// The checksum of expanded bytes: their unsigned sum, wrapping at 32 bits.
std::uint32_t ByteSum(std::span<const std::uint8_t> bytes, std::uint32_t start = 0);

// DOS date and time (local time) to and from calendar time. A stamp that
// names no valid date gives nothing.
std::optional<std::time_t> DosTimeToTime(std::uint32_t dosTime);
std::uint32_t TimeToDosTime(std::time_t time);

}  // namespace qv::compress

namespace qv::compress {

// How the data of a locked entry (lock indicator 2) are combined with the
// key: each stored byte is XORed with the key's bytes in turn, low byte
// first, starting over after the fourth. The same pass locks and unlocks.
class TKeyStream {
  public:
    explicit TKeyStream(std::int32_t key) : key_(static_cast<std::uint32_t>(key)) {}
    std::uint8_t Apply(std::uint8_t b) {
        const auto k = static_cast<std::uint8_t>(key_ >> (8 * index_));
        index_ = (index_ + 1) & 3;
        return static_cast<std::uint8_t>(b ^ k);
    }

  private:
    std::uint32_t key_;
    unsigned index_ = 0;
};

}  // namespace qv::compress
