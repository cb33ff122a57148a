#pragma once

// The tables of officials and links read from the list files, and the reader
// for them.
//
// A table file starts with a header of two decimal integers separated by
// white space (line breaks included): N, the fields per record, then R, the
// record count; the rest of the header's line is skipped. Then come exactly R
// lines of N comma-separated fields (see lists/list_format.h for a field).
// A record's first field must end with its comma or closing quote even when
// N is 1; a later field may run to the end of the line.
// senate.dat, house.dat and leaders.dat hold one table each; misc.dat holds
// three, each header following the previous table's last line.
//
// The process-wide lists below are touched only from the user-interface
// thread; the readers are not thread-safe on them.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// One table: rows in file order, each of exactly FieldCount() fields, held as
// the raw bytes between the delimiters (see lists/list_text.h to show them).
class TOfficialList {
  public:
    int RowCount() const { return static_cast<int>(rows_.size()); }
    int FieldCount() const { return fieldCount_; }
    // Throws std::out_of_range outside 0..RowCount()-1, 0..FieldCount()-1.
    const std::string& Field(int row, int col) const;
    // The record's position in its file, 0-based: the row itself, since rows
    // keep file order.
    int Position(int row) const;
    // No rows and no fields.
    void Clear();

    // Builds a list by hand (readers, tests). Reset empties the list and sets
    // the field count; AppendRow throws std::invalid_argument unless the row
    // has exactly FieldCount() fields.
    void Reset(int fieldCount);
    void AppendRow(std::vector<std::string> fields);

  private:
    int fieldCount_ = 0;
    std::vector<std::vector<std::string>> rows_;
};

// The lists of the program, empty until read.
extern TOfficialList SenateList, HouseList, LeaderList;
// The three sections of misc.dat: a table no view shows, the Multimedia links
// and the Additional Links (field 0 a caption, field 1 the address).
extern TOfficialList MiscSpareList, MultimediaList, AdditionalLinksList;

// One byte per record of SenateList and HouseList, 1 = chosen as recipient.
// Reading a list's file again clears its flags.
extern std::vector<std::uint8_t> SenateSelected, HouseSelected;
extern std::uint8_t PresidentSelected;

// The one official no file supplies. Name is written last name first. The
// White House publishes no e-mail address, so Email holds the address of its
// web contact form; views treat an "http" address as a form, not a mailbox.
struct TPresidentRecord {
    std::string Name, Email, HomePage;
};
extern const TPresidentRecord PresidentRecord;

// Reads a table header into `fieldCount` and `recordCount`, leaving the
// stream right after the second integer. Returns 0, or -1 when the header is
// not two non-negative integers; on -1 both outputs are left unchanged. At the
// end of the stream (an empty file or section) the header reads as 0 0.
int ReadListHeader(std::istream& in, int& fieldCount, int& recordCount);

// Skips the rest of the header line and reads `recordCount` record lines of
// `fieldCount` fields from `in` into `table`. Returns 0, or -1 on a field
// error, on negative counts, or when the stream ends first; on -1 `table` is
// left empty. Memory grows with the lines actually read, never with what the
// header claims.
int ReadListSection(std::istream& in, int fieldCount, int recordCount, TOfficialList& table);

// Reads the table file at `path` into `list`. Returns 0; -1 on a field error,
// which leaves `list` and `selected` (if given) empty; -2 when the file cannot
// be opened, which changes nothing. On success `selected` holds one 0 per
// record.
int LoadOfficialList(const std::string& path, TOfficialList& list,
                     std::vector<std::uint8_t>* selected);

// As above, with the selection flags chosen by the file name (the name without
// its folder): SenateSelected if it holds "senate", else HouseSelected if it
// holds "house", else none.
int LoadOfficialList(const std::string& path, TOfficialList& list);

// Reads the three sections of misc.dat at `path` into `spare`, `multimedia`
// and `links`, in that order. Returns 0, -1 or -2 as LoadOfficialList. A
// section that fails is left empty and stops the read: the sections before it
// keep their new contents, the sections after it are emptied.
int LoadMiscFile(const std::string& path, TOfficialList& spare, TOfficialList& multimedia,
                 TOfficialList& links);

// Fills MiscSpareList, MultimediaList and AdditionalLinksList.
int LoadMiscFile(const std::string& path);
