// An export as the first-vendor stand-in reads it: the first byte chooses
// mzML or mzXML, the rest is the file. Every spectrum is read as the run
// reader reads it; a failure must come back as the stand-in's error.
#include <exception>
#include <vector>

#include "platform/com/com_runtime.h"
#include "platform/msanalysis/ms_analysis.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

void readEverySpectrum(const MSAnalysis& analysis) {
    (void)analysis.getAnalysisName();
    (void)analysis.getSampleName();
    (void)analysis.getAcquisitionDate();
    const MSSpectrumCollection spectra = analysis.getSpectra();
    const std::int32_t count = spectra.getCount();
    for (std::int32_t i = 1; i <= count; ++i) {
        const MSSpectrum spectrum = spectra.getItem(i);
        (void)spectrum.getMSOrder();
        std::vector<double> mz;
        std::vector<double> intensity;
        std::int32_t n = 0;
        spectrum.getPrecursor(mz, n);
        spectrum.getData(0, mz, intensity, n);
        if (i == 1) (void)spectrum.getParameters().getCount();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzInitialise();
    if (size < 1) return 0;
    static const std::string mzML = fuzzFile("run.mzML");
    static const std::string mzXML = fuzzFile("run.mzXML");
    const std::string& path = (data[0] & 1) != 0 ? mzXML : mzML;
    writeFuzzFile(path, asText(data + 1, size - 1));
    MSAnalysis analysis;
    if (FAILED(analysis.Open(path))) return 0;
    try {
        readEverySpectrum(analysis);
    } catch (const ComError&) {
    }
    return 0;
}
