// Writes archives that TArchiver reads: the archive header, then each entry's
// header, name and stored data. Entries are compressed when added and kept
// in memory until the archive is written.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "compress/archive_format.h"

namespace qv::compress {

class TArchiveWriter {
  public:
    // `methodID` goes into the archive header (three characters). With a key
    // above 0 every entry is locked: its data are combined with the key and
    // its checksum offset by it.
    explicit TArchiveWriter(std::string methodID = "LH5", std::int32_t key = 0);

    // Compresses `data` with `method` (not Custom) as entry `name`; folders
    // in the name are separated by "\".
    void AddData(const std::string& name, std::span<const std::uint8_t> data, TMethod method,
                 std::uint32_t dosTime = 0, std::int16_t attributes = 0);
    // Adds an entry exactly as given; its name length and stored size are
    // taken from `name` and `stored`.
    void AddStoredEntry(TArchiveEntryHeader header, const std::string& name,
                        std::vector<std::uint8_t> stored);

    // The header's total is the sum of the entries' expanded sizes. Entries
    // are written in the order added, except that empty ones come first.
    void Write(std::ostream& out) const;
    std::vector<std::uint8_t> Bytes() const;

  private:
    struct TEntry {
        TArchiveEntryHeader header;
        std::string name;
        std::vector<std::uint8_t> stored;
    };

    std::string methodID_;
    std::int32_t key_;
    std::vector<TEntry> entries_;
};

}  // namespace qv::compress
