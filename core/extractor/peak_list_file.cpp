#include "core/extractor/peak_list_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "core/peaks/peak_writers.h"
#include "core/util/committed_file.h"
#include "core/util/fatal_error.h"
#include "core/util/printable_real.h"

namespace {

// Thousands of these small files make a run: each is formatted whole and
// handed to the system in one write.
template <class Peaks>
std::optional<PeakListFailure> writeFile(const std::string& path, const PeakListFile& header, const Peaks& peaks,
                                         const char* label) {
    thread_local std::string text;
    char line[800];
    const int length = std::snprintf(line, sizeof line, "%0.2f\t%.0f\t%d", header.parentMz,
                                     printableReal(header.precursorIntensity), header.charge);
    text.assign(line, static_cast<std::size_t>(std::clamp(length, 0, static_cast<int>(sizeof line) - 1)));
    appendPeakLines(peaks, header.mzDecimals == 4 ? 4 : 2, text);
    return commitWholeFile(path, text, label);
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
    reportFatalError(failure_->message, {failure_->file});
}

std::optional<PeakListFailure> writePeakListFile(const std::string& path, const PeakListFile& header,
                                                 const SpectrumPoints& peaks, const char* label) {
    return writeFile(path, header, peaks, label);
}

std::optional<PeakListFailure> writePeakListFile(const std::string& path, const PeakListFile& header,
                                                 const PeakList& peaks, const char* label) {
    return writeFile(path, header, peaks, label);
}
