// Shared pieces of the tests of the record of sent messages.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "sent/sent_store.h"

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TSentTempFolder {
  public:
    TSentTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qvsent-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        path_ = pattern;
    }
    ~TSentTempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TSentTempFolder(const TSentTempFolder&) = delete;
    TSentTempFolder& operator=(const TSentTempFolder&) = delete;

    std::string Path(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

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
