#include "core/extractor/peak_list_file.h"

#include <cerrno>
#include <cstdio>

#include "core/peaks/peak_writers.h"
#include "core/util/committed_file.h"
#include "core/util/fatal_error.h"
#include "core/util/printable_real.h"

namespace {

template <class Peaks>
std::optional<PeakListFailure> writeFile(const std::string& path, const PeakListFile& header, const Peaks& peaks,
                                         const char* label) {
    CommittedFile file(path, label);
    if (file.openFailure()) return file.openFailure();
    std::fprintf(file.stream(), "%0.2f\t%.0f\t%d", header.parentMz, printableReal(header.precursorIntensity), header.charge);
    if (header.mzDecimals == 4) {
        writePeaksFourDecimals(peaks, file.stream());
    } else {
        writePeaks(peaks, file.stream());
    }
    return file.commit();
}
}  // namespace

bool OrderedPeakListFiles::accept(PeakListOutcome outcome) {
    if (failure_) {
        if (outcome.madePath) std::remove(outcome.madePath->c_str());
        return false;
    }
    if (outcome.failure) {
        failure_ = std::move(outcome.failure);
        failed_ = true;
        return false;
    }
    return true;
}

void OrderedPeakListFiles::reportFailure() const {
    if (!failure_) return;
    errno = failure_->error;
    reportFatalError(failure_->message);
}

std::optional<PeakListFailure> writePeakListFile(const std::string& path, const PeakListFile& header,
                                                 const SpectrumPoints& peaks, const char* label) {
    return writeFile(path, header, peaks, label);
}

std::optional<PeakListFailure> writePeakListFile(const std::string& path, const PeakListFile& header,
                                                 const PeakList& peaks, const char* label) {
    return writeFile(path, header, peaks, label);
}
