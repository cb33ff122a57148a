#include "mail/recipient_selection.h"

#include <algorithm>
#include <cstddef>

#include "lists/official_list.h"

namespace qv {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameText(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return Lower(x) == Lower(y); });
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
    return std::search(text.begin(), text.end(), part.begin(), part.end(), [](char x, char y) {
               return Lower(x) == Lower(y);
           }) != text.end();
}

}  // namespace

bool IsMailable(std::string_view email) {
    return !SameText(email, "none") && !ContainsNoCase(email, "http");
}

void SelectByParty(const TOfficialList& list, const TChamberColumns& columns,
                   const TPartyChoice& choice, std::vector<std::uint8_t>& flags) {
    const int rows = std::min(list.RowCount(), static_cast<int>(flags.size()));
    for (int row = 0; row < rows; ++row) {
        if (!IsMailable(list.Field(row, columns.Email)))
            continue;
        const std::string& party = list.Field(row, columns.Party);
        // "All" takes precedence over the party boxes.
        if (choice.All || (choice.Democrats && SameText(party, "D")) ||
            (choice.Republicans && SameText(party, "R")))
            flags[static_cast<std::size_t>(row)] = 1;
    }
}

std::string JoinRecipients(const std::vector<std::string>& addresses) {
    std::string text;
    for (const std::string& address : addresses) {
        if (!text.empty())
            text += ';';
        text += '<' + address + '>';
    }
    return text;
}

bool BccByDefault(int senators, int representatives) {
    const auto rows = [](int listed) { return 1 + std::max(listed, 1); };
    return rows(senators) + rows(representatives) > 5;
}

}  // namespace qv
