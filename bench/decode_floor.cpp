// The floor for a whole extraction: open an mzML/mzXML export with the same
// library the reader uses and decode every spectrum's arrays, nothing more.
#include <cstdio>
#include <string>

#include "pwiz/data/msdata/MSDataFile.hpp"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: decode_floor EXPORT\n");
        return 2;
    }
    pwiz::msdata::MSDataFile data(argv[1]);
    const pwiz::msdata::SpectrumList& spectra = *data.run.spectrumListPtr;
    std::size_t points = 0;
    double checksum = 0.0;
    for (std::size_t i = 0; i < spectra.size(); ++i) {
        const pwiz::msdata::SpectrumPtr spectrum = spectra.spectrum(i, true);
        const pwiz::msdata::BinaryDataArrayPtr mz = spectrum->getMZArray();
        const pwiz::msdata::BinaryDataArrayPtr intensity = spectrum->getIntensityArray();
        if (!mz || !intensity) continue;
        points += mz->data.size();
        for (std::size_t k = 0; k < mz->data.size(); ++k) checksum += mz->data[k] * 1e-6 + intensity->data[k] * 1e-9;
    }
    std::printf("%zu spectra, %zu points, checksum %.3f\n", spectra.size(), points, checksum);
    return 0;
}
