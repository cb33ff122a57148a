#include "settings/environment.h"

#include <cstdlib>
#include <utility>

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
