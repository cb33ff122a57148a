#include "arguments.h"

#include <fstream>

namespace qvtool {

std::optional<std::string> ParseOperandAndOptions(const Args& args,
                                                  const std::vector<ValueOption>& options) {
    std::optional<std::string> operand;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string* target = nullptr;
        for (const auto& [name, value] : options) {
            if (arg == name) {
                target = value;
            }
        }
        if (target != nullptr) {
            if (++i == args.size()) {
                return std::nullopt;
            }
            *target = args[i];
        } else if (arg.empty() || arg[0] == '-' || operand) {
            return std::nullopt;
        } else {
            operand = arg;
        }
    }
    return operand;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text;
    char buffer[8192];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (!in.is_open() || in.bad()) {
        return std::nullopt;
    }
    return text;
}

}  // namespace qvtool
