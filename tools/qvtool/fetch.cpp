#include <cstdio>

#include "commands.h"

namespace qvtool {

int RunFetch(const Args&) {
    std::fputs("qvtool fetch: not available in this build\n", stderr);
    return 2;
}

}  // namespace qvtool
