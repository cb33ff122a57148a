#include "lists/official_list.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <utility>

#include "lists/list_format.h"

using namespace qv_lists_detail;

TOfficialList SenateList, HouseList, LeaderList;
TOfficialList MiscSpareList, MultimediaList, AdditionalLinksList;
std::vector<std::uint8_t> SenateSelected, HouseSelected;
std::uint8_t PresidentSelected = 0;

const TPresidentRecord PresidentRecord{
    "Trump, Donald J.",
    "https://www.whitehouse.gov/contact/",
    "https://www.whitehouse.gov/",
};

const std::string& TOfficialList::Field(int row, int col) const {
    if (row < 0 || col < 0) {
        throw std::out_of_range("TOfficialList: no field at a negative index");
    }
    return rows_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(col));
}

int TOfficialList::Position(int row) const {
    if (row < 0 || row >= RowCount()) {
        throw std::out_of_range("TOfficialList: no such row");
    }
    return row;
}

void TOfficialList::Clear() {
    Reset(0);
}

void TOfficialList::Reset(int fieldCount) {
    if (fieldCount < 0) {
        throw std::invalid_argument("TOfficialList: negative field count");
    }
    fieldCount_ = fieldCount;
    rows_.clear();
    rows_.shrink_to_fit();
}

void TOfficialList::AppendRow(std::vector<std::string> fields) {
    if (fields.size() != static_cast<std::size_t>(fieldCount_)) {
        throw std::invalid_argument("TOfficialList: row does not have the list's field count");
    }
    rows_.push_back(std::move(fields));
}

namespace {

bool IsWhiteSpace(int c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Longer than any int, leading zeros allowed; a longer token is not a count.
constexpr std::size_t kMaxCountToken = 32;

// The next white-space-delimited token, empty at the end of the stream. A
// token longer than kMaxCountToken comes back as "x", which no count parses
// as, without storing the rest of it.
std::string ReadCountToken(std::istream& in) {
    constexpr auto kEof = std::char_traits<char>::eof();
    while (in.peek() != kEof && IsWhiteSpace(in.peek())) {
        in.get();
    }
    std::string token;
    bool tooLong = false;
    while (in.peek() != kEof && !IsWhiteSpace(in.peek())) {
        const char c = static_cast<char>(in.get());
        if (token.size() < kMaxCountToken) {
            token += c;
        } else {
            tooLong = true;
        }
    }
    return tooLong ? std::string("x") : token;
}

std::optional<int> ParseCount(const std::string& token) {
    const auto value = ParseInteger(token);
    if (!value || *value < 0) {
        return std::nullopt;
    }
    return value;
}

// Splits a record line into its first `fieldCount` fields; false on a field
// error. Fields after those are ignored.
bool SplitRecord(std::string_view line, int fieldCount, std::vector<std::string>& fields) {
    fields.clear();
    // Each field takes a character and a separator: a line too short for the
    // count fails before anything is stored for it.
    if (static_cast<std::size_t>(fieldCount) > (line.size() + 1) / 2) {
        return false;
    }
    std::size_t pos = 0;
    for (int i = 0; i < fieldCount; ++i) {
        const auto field = ScanField(line, pos);
        // The first field always needs its comma or closing quote, even when
        // it is the record's only field; only later fields may run to the
        // line's end.
        if (!field || (i == 0 && !field->Terminated)) {
            return false;
        }
        fields.emplace_back(field->Text);
        pos = field->Next;
    }
    return true;
}

std::vector<std::uint8_t>* SelectionFlagsFor(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    if (name.find("senate") != std::string::npos) {
        return &SenateSelected;
    }
    if (name.find("house") != std::string::npos) {
        return &HouseSelected;
    }
    return nullptr;
}

}  // namespace

int ReadListHeader(std::istream& in, int& fieldCount, int& recordCount) {
    const std::string first = ReadCountToken(in);
    if (first.empty()) {
        fieldCount = 0;
        recordCount = 0;
        return 0;
    }
    const auto n = ParseCount(first);
    const auto r = n ? ParseCount(ReadCountToken(in)) : std::nullopt;
    if (!r) {
        return -1;
    }
    fieldCount = *n;
    recordCount = *r;
    return 0;
}

int ReadListSection(std::istream& in, int fieldCount, int recordCount, TOfficialList& table) {
    table.Clear();
    if (fieldCount < 0 || recordCount < 0) {
        return -1;
    }
    SkipRestOfLine(in);
    TOfficialList read;
    read.Reset(fieldCount);
    std::string line;
    std::vector<std::string> fields;
    for (int position = 0; position < recordCount; ++position) {
        if (!ReadLine(in, line) || !SplitRecord(line, fieldCount, fields)) {
            return -1;
        }
        read.AppendRow(std::move(fields));
    }
    table = std::move(read);
    return 0;
}

int LoadOfficialList(const std::string& path, TOfficialList& list,
                     std::vector<std::uint8_t>* selected) {
    std::ifstream in;
    if (!OpenListFile(path, in)) {
        return -2;
    }
    int fieldCount = 0;
    int recordCount = 0;
    TOfficialList read;
    if (ReadListHeader(in, fieldCount, recordCount) != 0 ||
        ReadListSection(in, fieldCount, recordCount, read) != 0) {
        list.Clear();
        if (selected != nullptr) {
            selected->clear();
        }
        return -1;
    }
    list = std::move(read);
    if (selected != nullptr) {
        selected->assign(static_cast<std::size_t>(list.RowCount()), 0);
    }
    return 0;
}

int LoadOfficialList(const std::string& path, TOfficialList& list) {
    return LoadOfficialList(path, list, SelectionFlagsFor(path));
}

int LoadMiscFile(const std::string& path, TOfficialList& spare, TOfficialList& multimedia,
                 TOfficialList& links) {
    std::ifstream in;
    if (!OpenListFile(path, in)) {
        return -2;
    }
    TOfficialList* const sections[] = {&spare, &multimedia, &links};
    for (std::size_t i = 0; i < std::size(sections); ++i) {
        int fieldCount = 0;
        int recordCount = 0;
        if (ReadListHeader(in, fieldCount, recordCount) != 0 ||
            ReadListSection(in, fieldCount, recordCount, *sections[i]) != 0) {
            for (std::size_t later = i; later < std::size(sections); ++later) {
                sections[later]->Clear();
            }
            return -1;
        }
    }
    return 0;
}

int LoadMiscFile(const std::string& path) {
    return LoadMiscFile(path, MiscSpareList, MultimediaList, AdditionalLinksList);
}
