// zarn_manpage OUTPUT VERSION [BINDIR LIBDIR INCLUDEDIR DOCDIR]: writes the manual page zarn.6, from the
// same table as `zarn help`, naming the given installed directories (by default the configured ones).
// The build writes one; `cmake --install` writes the installed one for the prefix it installs to.
#include <cstdio>
#include <fstream>
#include <string>

#include "cli/manual/manual.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 7) {
        std::fprintf(stderr, "usage: zarn_manpage OUTPUT VERSION [BINDIR LIBDIR INCLUDEDIR DOCDIR]\n");
        return 2;
    }
    namespace manual = zarn::cli::manual;
    const manual::InstalledDirs dirs = argc == 7 ? manual::InstalledDirs{argv[3], argv[4], argv[5], argv[6]}
                                                 : manual::ConfiguredDirs();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << manual::Roff(argv[2], dirs);
    out.close();
    if (!out) {
        std::fprintf(stderr, "zarn_manpage: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
