// zarn_manpage OUTPUT VERSION: writes the manual page zarn.6 at build time, from the same table as
// `zarn help`.
#include <cstdio>
#include <fstream>
#include <string>

#include "cli/manual/manual.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zarn_manpage OUTPUT VERSION\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << zarn::cli::manual::Roff(argv[2]);
    out.close();
    if (!out) {
        std::fprintf(stderr, "zarn_manpage: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
