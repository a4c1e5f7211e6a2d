// quarrow-keys: the query keys of both programs, from the key table.
//   quarrow-keys --tsv        one tab-separated line per key (the workflow reads it)
//   quarrow-keys --markdown   the key reference's tables (docs/query-keys.md)
//   quarrow-keys --formats --tsv   one tab-separated line per peak-list format
//   quarrow-keys --version    its version
#include <cstdio>
#include <string>

#include "core/extractor/peak_list_formats.h"
#include "frontend/key_listing.h"

int main(int argc, char** argv) {
    const std::string option = argc == 2 ? argv[1] : "";
    if (option == "--version") {
        std::printf("quarrow-keys %s\n", QUARROW_VERSION);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    const bool formats = argc == 3 && std::string(argv[1]) == "--formats" && std::string(argv[2]) == "--tsv";
    if (option == "--tsv" || option == "--markdown" || formats) {
        const std::string text = formats ? peakListFormatsTsv() : option == "--tsv" ? keysTsv() : keysMarkdown();
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    std::fprintf(stderr, "usage: quarrow-keys --tsv | --formats --tsv | --markdown | --version\n");
    return 2;
}
