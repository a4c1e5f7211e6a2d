// instrument.txt as an administrator may leave it, searched for the blocks
// of both programs' instruments.
#include "core/extractor/instrument_specifics.h"
#include "core/util/parameter_files.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzInitialise();
    static const std::string path = fuzzFile(parameterFilePath("instrument.txt"));
    writeFuzzFile(path, asText(data, size));
    for (const char* name : {"ESI-ION-TRAP", "ESI-QSTAR"}) {
        try {
            (void)initialise_instrument_specifics(name, PeakPickParams{});
        } catch (const FatalErrorReached&) {
        }
    }
    return 0;
}
