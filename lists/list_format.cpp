#include "lists/list_format.h"

#include <charconv>
#include <filesystem>
#include <istream>

#include "base/trim.h"

namespace qv_lists_detail {

bool OpenListFile(const std::string& path, std::ifstream& in) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return false;
    }
    in.open(path, std::ios::binary);
    return in.is_open();
}

bool ReadLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) {
        return false;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

void SkipRestOfLine(std::istream& in) {
    for (int c = in.get(); c != std::char_traits<char>::eof() && c != '\n'; c = in.get()) {
    }
}

std::optional<TField> ScanField(std::string_view line, std::size_t start) {
    if (start >= line.size()) {
        return std::nullopt;
    }
    TField field{};
    field.Quoted = line[start] == '"';
    const std::size_t begin = field.Quoted ? start + 1 : start;
    const std::size_t end = line.find(field.Quoted ? '"' : ',', begin);
    field.Terminated = end != std::string_view::npos;
    if (field.Terminated) {
        field.Text = line.substr(begin, end - begin);
        // After a closing quote the next character is the separator.
        field.Next = end + (field.Quoted ? 2 : 1);
    } else {
        field.Text = line.substr(begin);
        field.Next = line.size();
    }
    if (field.Text.empty()) {
        return std::nullopt;
    }
    return field;
}

std::optional<int> ParseInteger(std::string_view text) {
    text = qv::TrimSpacesAndTabs(text);
    if (text.empty()) {
        return std::nullopt;
    }
    if (text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-') {
            return std::nullopt;
        }
    }
    int value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace qv_lists_detail
