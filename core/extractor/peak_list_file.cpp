#include "core/extractor/peak_list_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/peaks/peak_writers.h"
#include "core/util/checked_file.h"
#include "core/util/fatal_error.h"
#include "core/util/format_text.h"
#include "core/util/printable_real.h"

namespace {

// Beside the final name, so that the rename stays within one file system,
// and this process's own.
std::string temporaryNameOf(const std::string& path) {
    return formatText("%s.%ld.tmp", path.c_str(), static_cast<long>(::getpid()));
}

// Removes the temporary file (closing it first when it is open) and returns
// `message` with the error number of the failure.
PeakListFailure failure(const std::string& temporary, std::FILE* open, const std::string& message) {
    const int error = errno;
    if (open != nullptr) std::fclose(open);
    std::remove(temporary.c_str());
    return {message, error};
}

template <class Peaks>
std::optional<PeakListFailure> writeFile(const std::string& path, const PeakListFile& header, const Peaks& peaks,
                                         const char* label) {
    const std::string temporary = temporaryNameOf(path);
    std::FILE* file = std::fopen(temporary.c_str(), textModeOf("w").c_str());
    if (file == nullptr) {
        const int error = errno;
        return PeakListFailure{formatText("File open (fopen) failure.\n%s\nFilename = %s.\n", label, path.c_str()), error};
    }
    std::fprintf(file, "%0.2f\t%.0f\t%d", header.parentMz, printableReal(header.precursorIntensity), header.charge);
    if (header.mzDecimals == 4) {
        writePeaksFourDecimals(peaks, file);
    } else {
        writePeaks(peaks, file);
    }
    if (std::ferror(file) != 0 || std::fflush(file) != 0) {
        return failure(temporary, file, formatText("File write (fwrite) failure.\n%s\nFilename = %s.\n", label, path.c_str()));
    }
    if (std::fclose(file) != 0) return failure(temporary, nullptr, formatText("File close (fclose) failure.\n%s\n", label));
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        return failure(temporary, nullptr,
                       formatText("File rename (rename) failure.\n%s\nFilename = %s.\n", label, path.c_str()));
    }
    return std::nullopt;
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
