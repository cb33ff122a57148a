#include <cstdio>

#include "commands.h"

namespace qvtool {

int RunSend(const Args&) {
    std::fputs("qvtool send: not available in this build\n", stderr);
    return 2;
}

}  // namespace qvtool
