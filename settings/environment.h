#pragma once

// The settings store's one window on the process environment (the
// configuration folder and the system proxy), kept behind a seam so that tests
// can supply the values.

#include <functional>
#include <optional>
#include <string>

using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The variable's value, nullopt when it is not set.
std::optional<std::string> GetEnvironmentValue(const std::string& name);

// Tests install a lookup of their own; an empty function restores getenv.
void SetEnvironmentLookup(EnvironmentLookup lookup);
