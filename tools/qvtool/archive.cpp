#include <cstdio>

#include "commands.h"

namespace qvtool {

int RunExpand(const Args&) {
    std::fputs("qvtool expand: not available in this build\n", stderr);
    return 2;
}

int RunPack(const Args&) {
    std::fputs("qvtool pack: not available in this build\n", stderr);
    return 2;
}

}  // namespace qvtool
