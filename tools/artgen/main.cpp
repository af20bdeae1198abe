// pavlune-artgen: draws every picture of the application into res/ (and the
// board font into fonts/). The output is committed; run this after changing
// a design, then commit the changed files.
//
//   pavlune-artgen [--root DIR] [--contact-sheet FILE] [--no-readme]
//
// The contact sheet (every card's front and backs) goes to the build folder
// unless --contact-sheet names another file.
#include "tools/artgen/Generator.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    pavlune::artgen::Generator::Options options;
    options.root = PAVLUNE_SOURCE_ROOT;
    // the overview of all cards goes to the build folder: it is not shipped
    options.contactSheet = std::string(PAVLUNE_BINARY_DIR) + "/contact-sheet.png";
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--root") == 0 && hasValue) {
            options.root = argv[++i];
        } else if (std::strcmp(argv[i], "--contact-sheet") == 0 && hasValue) {
            options.contactSheet = argv[++i];
        } else if (std::strcmp(argv[i], "--no-readme") == 0) {
            options.updateReadme = false;
        } else {
            std::fprintf(stderr, "usage: %s [--root DIR] [--contact-sheet FILE] [--no-readme]\n", argv[0]);
            return 2;
        }
    }
    std::string error;
    const int written = pavlune::artgen::Generator::run(options, error);
    if (written < 0) {
        std::fprintf(stderr, "pavlune-artgen: %s\n", error.c_str());
        return 1;
    }
    std::printf("pavlune-artgen: %d files written below %s\n", written, options.root.string().c_str());
    return 0;
}
