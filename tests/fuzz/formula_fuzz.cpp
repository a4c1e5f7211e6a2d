// Elemental formulas against the shipped element table: the mass of the
// text, and the sum of its two halves (split at the first line feed).
#include "core/chemistry/elements.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzInitialise();
    const std::string text(asText(data, size));
    const std::size_t split = text.find('\n');
    const std::string first = text.substr(0, split);
    const std::string second = split == std::string::npos ? std::string() : text.substr(split + 1);
    try {
        (void)formulaMonoisotopicMass(text);
    } catch (const FatalErrorReached&) {
    }
    try {
        (void)addFormulas(first, second);
    } catch (const FatalErrorReached&) {
    }
    return 0;
}
