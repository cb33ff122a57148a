#include "compress/archive_writer.h"

#include <algorithm>
#include <limits>
#include <sstream>
#include <stdexcept>

#include "compress/compressors.h"

namespace qv::compress {

TArchiveWriter::TArchiveWriter(std::string methodID, std::int32_t key)
    : methodID_(std::move(methodID)), key_(key) {}

void TArchiveWriter::AddData(const std::string& name, std::span<const std::uint8_t> data,
                             TMethod method, std::uint32_t dosTime, std::int16_t attributes) {
    if (data.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw std::length_error("entry too large for the archive format: " + name);
    }
    TArchiveEntryHeader header;
    header.dosTime = dosTime;
    header.attributes = attributes;
    header.expandedSize = static_cast<std::int32_t>(data.size());
    header.method = static_cast<std::uint8_t>(method);
    std::uint32_t checksum = ByteSum(data);
    std::vector<std::uint8_t> stored = Compress(method, data);
    if (key_ > 0) {
        TKeyStream keyStream(key_);
        for (std::uint8_t& b : stored) {
            b = keyStream.Apply(b);
        }
        checksum += static_cast<std::uint32_t>(key_);
        header.lock = 2;
    }
    header.checksum = static_cast<std::int32_t>(checksum);
    AddStoredEntry(header, name, std::move(stored));
}

void TArchiveWriter::AddStoredEntry(TArchiveEntryHeader header, const std::string& name,
                                    std::vector<std::uint8_t> stored) {
    if (name.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()) ||
        stored.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw std::length_error("entry too large for the archive format: " + name);
    }
    header.nameLength = static_cast<std::int16_t>(name.size());
    header.storedSize = static_cast<std::int32_t>(stored.size());
    entries_.push_back({header, name, std::move(stored)});
}

void TArchiveWriter::Write(std::ostream& out) const {
    TArchiveHeader header;
    header.methodID = methodID_;
    std::int64_t total = 0;
    for (const TEntry& e : entries_) {
        total += e.header.expandedSize;
    }
    if (total > std::numeric_limits<std::int32_t>::max()) {
        throw std::length_error("archive too large for the archive format");
    }
    header.totalExpandedSize = static_cast<std::int32_t>(total);
    header.lock = key_ > 0 ? 2 : 0;
    const auto head = EncodeArchiveHeader(header);
    out.write(reinterpret_cast<const char*>(head.data()), head.size());
    // A reader stops once the sizes it has passed reach the header's total,
    // so an empty entry after the last non-empty one would never be seen:
    // empty entries go first. (An archive of only empty entries has a total
    // of 0 and expands nothing.)
    std::vector<const TEntry*> order;
    for (const TEntry& e : entries_) {
        order.push_back(&e);
    }
    std::stable_partition(order.begin(), order.end(),
                          [](const TEntry* e) { return e->header.expandedSize == 0; });
    for (const TEntry* entry : order) {
        const TEntry& e = *entry;
        const auto entryHead = EncodeEntryHeader(e.header);
        out.write(reinterpret_cast<const char*>(entryHead.data()), entryHead.size());
        out.write(e.name.data(), static_cast<std::streamsize>(e.name.size()));
        out.write(reinterpret_cast<const char*>(e.stored.data()),
                  static_cast<std::streamsize>(e.stored.size()));
    }
}

std::vector<std::uint8_t> TArchiveWriter::Bytes() const {
    std::ostringstream out;
    Write(out);
    const std::string s = std::move(out).str();
    return {s.begin(), s.end()};
}

}  // namespace qv::compress
