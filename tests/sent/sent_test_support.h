// Shared pieces of the tests of the record of sent messages.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "sent/sent_store.h"
#include "support/temp_folder.h"

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A split send of four entries at two per transaction, with an attachment.
inline qv::sent::TMailStart SplitStart(std::int64_t when) {
    using qv::sent::TRole;
    qv::sent::TMailStart start;
    start.When = when;
    start.Server = "smtp.example.org";
    start.Fields = {"me@example.org",      "<a@senate.example>", "<b@house.example>",
                    "<c@x.example>;<d@y.example>", "Budget vote",
                    "Please vote no.\n",   {"/home/me/letter.pdf"}};
    start.Body = "Name:           Me\r\n\r\nPlease vote no.\n";
    start.Transactions = {{{TRole::To, "<a@senate.example>"}, {TRole::CC, "<b@house.example>"}},
                          {{TRole::BCC, "<c@x.example>"}, {TRole::BCC, "<d@y.example>"}}};
    return start;
}
