// The usual conversion chain, built on the same library the readers use:
// read each export, pick peaks of every spectrum with the library's
// vendor-neutral local-maximum picker, and write MGF. The cost an
// extraction is compared with (bench/*_bench.sh).
#include <cstdio>
#include <fstream>
#include <string>

#include "pwiz/analysis/common/LocalMaximumPeakDetector.hpp"
#include "pwiz/analysis/spectrum_processing/SpectrumList_PeakPicker.hpp"
#include "pwiz/data/msdata/MSDataFile.hpp"
#include "pwiz/data/msdata/Serializer_MGF.hpp"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: peak_pick_chain OUTPUT-FOLDER EXPORT...\n");
        return 2;
    }
    for (int file = 2; file < argc; ++file) {
        pwiz::msdata::MSDataFile data(argv[file]);
        const pwiz::analysis::PeakDetectorPtr picker(new pwiz::analysis::LocalMaximumPeakDetector(3));
        data.run.spectrumListPtr.reset(new pwiz::analysis::SpectrumList_PeakPicker(
            data.run.spectrumListPtr, picker, false, pwiz::util::IntegerSet(1, 2)));
        const std::string name = std::string(argv[file]);
        std::ofstream out(std::string(argv[1]) + "/" + name.substr(name.find_last_of('/') + 1) + ".mgf");
        pwiz::msdata::Serializer_MGF().write(out, data);
    }
    return 0;
}
