// The floor for a whole extraction: open each mzML/mzXML export (all the
// samples of a .wiff file, one after another) with the same library the
// readers use and decode every spectrum's arrays, nothing more.
#include <cstdio>
#include <string>

#include "pwiz/data/msdata/MSDataFile.hpp"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: decode_floor EXPORT...\n");
        return 2;
    }
    std::size_t count = 0;
    std::size_t points = 0;
    double checksum = 0.0;
    for (int file = 1; file < argc; ++file) {
        pwiz::msdata::MSDataFile data(argv[file]);
        const pwiz::msdata::SpectrumList& spectra = *data.run.spectrumListPtr;
        count += spectra.size();
        for (std::size_t i = 0; i < spectra.size(); ++i) {
            const pwiz::msdata::SpectrumPtr spectrum = spectra.spectrum(i, true);
            const pwiz::msdata::BinaryDataArrayPtr mz = spectrum->getMZArray();
            const pwiz::msdata::BinaryDataArrayPtr intensity = spectrum->getIntensityArray();
            if (!mz || !intensity) continue;
            points += mz->data.size();
            for (std::size_t k = 0; k < mz->data.size(); ++k)
                checksum += mz->data[k] * 1e-6 + intensity->data[k] * 1e-9;
        }
    }
    std::printf("%zu spectra, %zu points, checksum %.3f\n", count, points, checksum);
    return 0;
}
