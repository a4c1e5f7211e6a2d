// A tab-separated parameter file as an administrator may leave it: read,
// split and searched for the columns the residue tables need.
#include "core/util/parameter_files.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzInitialise();
    static const std::string path = fuzzFile("table.tsv");
    writeFuzzFile(path, asText(data, size));
    try {
        const TsvTable table = parseTSVfile(path, 1);
        (void)checkParsedHeadersForExpectedHeaders(path, {"AAname", "AAsymbol", "ElementalComposition"}, table.headers);
    } catch (const FatalErrorReached&) {
    }
    return 0;
}
