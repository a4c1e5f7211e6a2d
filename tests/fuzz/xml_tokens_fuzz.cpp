// The reader's hand-written XML tokenizer against libxml2 on random bytes
// (see xml_tokens_compare.h); the plain test suite holds it to the same
// comparison on the committed seeds, which it must also refuse alike.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/xml_tokens_compare.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzInitialise();
    const std::string disagreement = xmlTokensDisagreement(asText(data, size), false);
    if (!disagreement.empty()) {
        std::fprintf(stderr, "%s\n", disagreement.c_str());
        std::abort();
    }
    return 0;
}
