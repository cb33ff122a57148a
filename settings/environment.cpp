#include "settings/environment.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

EnvironmentLookup& Lookup() {
    static EnvironmentLookup lookup;
    return lookup;
}

}  // namespace

std::optional<std::string> GetEnvironmentValue(const std::string& name) {
    if (Lookup()) {
        return Lookup()(name);
    }
    if (const char* value = std::getenv(name.c_str())) {
        return std::string(value);
    }
    return std::nullopt;
}

void SetEnvironmentLookup(EnvironmentLookup lookup) {
    Lookup() = std::move(lookup);
}

std::string HomeDirectory() {
    if (auto home = GetEnvironmentValue("HOME"); home && !home->empty()) {
        return *home;
    }
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found &&
        found->pw_dir) {
        return found->pw_dir;
    }
    return ".";
}

std::string ProgramUserFolder(const std::string& variable, const std::string& fallback) {
    std::string base;
    if (auto value = GetEnvironmentValue(variable);
        value && !value->empty() && value->front() == '/') {
        base = *value;
    } else {
        base = HomeDirectory() + "/" + fallback;
    }
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    return (base == "/" ? "" : base) + "/quorvane";
}

void MakeUserFolders(const std::string& dir) {
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos == dir.size() || dir[pos] == '/') {
            const std::string part = dir.substr(0, pos);
            if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
                return;
            }
        }
    }
}
