#include <cstdio>
#include <cstring>

#include "commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const qvtool::Args&);
    const char* usage;
};

constexpr Command kCommands[] = {
    {"send", qvtool::RunSend,
     "send --server HOST[:PORT] --from TEXT [--to LIST] [--cc LIST] [--bcc LIST] "
     "[--subject TEXT] [--body-file FILE] [--attach FILE]... [--max N] [--hide-from] "
     "[--port N] [--security 0-3] [--user NAME] [--password-file FILE] [--ca-file FILE]"},
    {"fetch", qvtool::RunFetch,
     "fetch URL [--proxy HOST[:PORT]] [--proxy-port PORT] [--proxy-user NAME "
     "--proxy-password PASSWORD] [-o FILE]"},
    {"expand", qvtool::RunExpand, "expand ARCHIVE NAME TARGETDIR"},
    {"pack", qvtool::RunPack,
     "pack [--method NON|RLE|LZH|LH5] [--sign SECRETFILE] ARCHIVE FILE..."},
    {"fill-form", qvtool::RunFillForm,
     "fill-form URL [--settings FILE] [--subject TEXT] [--body-file FILE]"},
    {"keygen", qvtool::RunKeygen, "keygen SECRETFILE PUBLICFILE"},
    {"update", qvtool::RunUpdate,
     "update --dir DIR --server BASEURL --mirror BASEURL [--yes] [--key PUBLICFILE]... "
     "[--ca-file PEMFILE]..."},
    {"lists", qvtool::RunLists,
     "lists check FILE...\n  qvtool lists from-congress YAML OUTDIR\n"
     "  qvtool lists find-zip ZIP [--dir DIR]"},
};

int Usage() {
    std::fputs("usage:\n", stderr);
    for (const Command& c : kCommands) {
        std::fprintf(stderr, "  qvtool %s\n", c.usage);
    }
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        return Usage();
    }
    for (const Command& c : kCommands) {
        if (std::strcmp(argv[1], c.name) == 0) {
            return c.run(qvtool::Args(argv + 2, argv + argc));
        }
    }
    return Usage();
}
