// quarrow-keys: the query keys of both programs, from the key table.
//   quarrow-keys --tsv        one tab-separated line per key (the workflow reads it)
//   quarrow-keys --markdown   the key reference's tables (docs/query-keys.md)
//   quarrow-keys --version    its version
#include <cstdio>
#include <string>

#include "frontend/key_listing.h"

int main(int argc, char** argv) {
    const std::string option = argc == 2 ? argv[1] : "";
    if (option == "--version") {
        std::printf("quarrow-keys %s\n", QUARROW_VERSION);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (option == "--tsv" || option == "--markdown") {
        const std::string text = option == "--tsv" ? keysTsv() : keysMarkdown();
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    std::fprintf(stderr, "usage: quarrow-keys --tsv | --markdown | --version\n");
    return 2;
}
