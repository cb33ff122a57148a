#include "compress/archive_format.h"

#include <algorithm>

namespace qv::compress {

namespace {

// Little-endian field access over a packed record.
class TRecordWriter {
  public:
    explicit TRecordWriter(std::span<std::uint8_t> out) : out_(out) {}
    void Put(std::uint32_t value, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            out_[pos_++] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }

  private:
    std::span<std::uint8_t> out_;
    std::size_t pos_ = 0;
};

class TRecordReader {
  public:
    explicit TRecordReader(std::span<const std::uint8_t> in) : in_(in) {}
    std::uint32_t Get(std::size_t size) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            value |= static_cast<std::uint32_t>(in_[pos_++]) << (8 * i);
        }
        return value;
    }

  private:
    std::span<const std::uint8_t> in_;
    std::size_t pos_ = 0;
};

}  // namespace

std::optional<TMethod> FindMethodID(std::string_view id) {
    for (std::size_t i = 0; i < kMethodIDs.size(); ++i) {
        if (kMethodIDs[i] == id) {
            return static_cast<TMethod>(i);
        }
    }
    return std::nullopt;
}

std::array<std::uint8_t, kArchiveHeaderSize> EncodeArchiveHeader(const TArchiveHeader& header) {
    std::array<std::uint8_t, kArchiveHeaderSize> bytes{};
    TRecordWriter w(bytes);
    for (std::uint8_t b : header.magic) {
        w.Put(b, 1);
    }
    for (std::size_t i = 0; i < 3; ++i) {
        w.Put(i < header.methodID.size() ? static_cast<std::uint8_t>(header.methodID[i]) : ' ', 1);
    }
    w.Put(static_cast<std::uint32_t>(header.totalExpandedSize), 4);
    w.Put(header.archiveType, 1);
    w.Put(0, 4);
    w.Put(static_cast<std::uint32_t>(header.lock), 4);
    return bytes;
}

TArchiveHeader DecodeArchiveHeader(std::span<const std::uint8_t, kArchiveHeaderSize> bytes) {
    TArchiveHeader header;
    TRecordReader r(bytes);
    for (std::uint8_t& b : header.magic) {
        b = static_cast<std::uint8_t>(r.Get(1));
    }
    header.methodID.clear();
    for (std::size_t i = 0; i < 3; ++i) {
        header.methodID.push_back(static_cast<char>(r.Get(1)));
    }
    header.totalExpandedSize = static_cast<std::int32_t>(r.Get(4));
    header.archiveType = static_cast<std::uint8_t>(r.Get(1));
    r.Get(4);
    header.lock = static_cast<std::int32_t>(r.Get(4));
    return header;
}

std::array<std::uint8_t, kEntryHeaderSize> EncodeEntryHeader(const TArchiveEntryHeader& header) {
    std::array<std::uint8_t, kEntryHeaderSize> bytes{};
    TRecordWriter w(bytes);
    w.Put(static_cast<std::uint16_t>(header.nameLength), 2);
    w.Put(header.dosTime, 4);
    w.Put(static_cast<std::uint16_t>(header.attributes), 2);
    w.Put(static_cast<std::uint32_t>(header.expandedSize), 4);
    w.Put(static_cast<std::uint32_t>(header.storedSize), 4);
    w.Put(header.method, 1);
    w.Put(static_cast<std::uint32_t>(header.checksum), 4);
    w.Put(static_cast<std::uint32_t>(header.lock), 4);
    return bytes;
}

TArchiveEntryHeader DecodeEntryHeader(std::span<const std::uint8_t, kEntryHeaderSize> bytes) {
    TArchiveEntryHeader header;
    TRecordReader r(bytes);
    header.nameLength = static_cast<std::int16_t>(r.Get(2));
    header.dosTime = r.Get(4);
    header.attributes = static_cast<std::int16_t>(r.Get(2));
    header.expandedSize = static_cast<std::int32_t>(r.Get(4));
    header.storedSize = static_cast<std::int32_t>(r.Get(4));
    header.method = static_cast<std::uint8_t>(r.Get(1));
    header.checksum = static_cast<std::int32_t>(r.Get(4));
    header.lock = static_cast<std::int32_t>(r.Get(4));
    return header;
}

std::uint32_t ByteSum(std::span<const std::uint8_t> bytes, std::uint32_t start) {
    std::uint32_t sum = start;
    for (std::uint8_t b : bytes) {
        sum += b;
    }
    return sum;
}

// DOS stamps: date bits 15-9 year since 1980, 8-5 month, 4-0 day; time bits
// 15-11 hours, 10-5 minutes, 4-0 seconds divided by two.
std::optional<std::time_t> DosTimeToTime(std::uint32_t dosTime) {
    const std::uint32_t date = dosTime >> 16;
    const std::uint32_t time = dosTime & 0xFFFF;
    std::tm tm{};
    tm.tm_year = static_cast<int>((date >> 9) & 0x7F) + 80;
    tm.tm_mon = static_cast<int>((date >> 5) & 0x0F) - 1;
    tm.tm_mday = static_cast<int>(date & 0x1F);
    tm.tm_hour = static_cast<int>((time >> 11) & 0x1F);
    tm.tm_min = static_cast<int>((time >> 5) & 0x3F);
    tm.tm_sec = static_cast<int>(time & 0x1F) * 2;
    tm.tm_isdst = -1;
    if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_hour > 23 || tm.tm_min > 59 ||
        tm.tm_sec > 59) {
        return std::nullopt;
    }
    const std::time_t result = std::mktime(&tm);
    if (result == static_cast<std::time_t>(-1)) {
        return std::nullopt;
    }
    return result;
}

std::uint32_t TimeToDosTime(std::time_t time) {
    std::tm tm{};
    localtime_r(&time, &tm);
    const int year = std::clamp(tm.tm_year - 80, 0, 127);
    const std::uint32_t date = static_cast<std::uint32_t>(year << 9) |
                               static_cast<std::uint32_t>((tm.tm_mon + 1) << 5) |
                               static_cast<std::uint32_t>(tm.tm_mday);
    const std::uint32_t clock = static_cast<std::uint32_t>(tm.tm_hour << 11) |
                                static_cast<std::uint32_t>(tm.tm_min << 5) |
                                static_cast<std::uint32_t>(tm.tm_sec / 2);
    return (date << 16) | clock;
}

}  // namespace qv::compress
