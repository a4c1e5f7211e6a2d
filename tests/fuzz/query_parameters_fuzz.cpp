// A query text as a browser or a hostile client sends it: split, decoded,
// read into the parameters and range-checked, as the start-up does.
#include "core/extractor/extractor_parameters.h"
#include "core/extractor/parameter_ranges.h"
#include "core/extractor/query_keys.h"
#include "core/util/cgi_query.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzInitialise();
    const std::vector<QueryEntry> entries = parse_query_entry(std::string(asText(data, size)));
    const ExtractorParameters parameters = readExtractorParameters(entries);
    (void)findRangeViolation(entries, parameters);
    return 0;
}
