#pragma once
// Stand-in for the first vendor's analysis component: one run, opened from
// its open-format export, with its identity and its spectra.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/com_runtime.h"
#include "platform/msanalysis/ms_spectrum.h"
#include "platform/openformat/open_format_export.h"

// The export Open() reads from the run folder `folder`: the first of
// Analysis.mzML, Analysis.mzXML, Analysis.mzML.gz and Analysis.mzXML.gz,
// exact names first, then the same names in any letter case; nothing when
// the folder holds none.
std::optional<std::filesystem::path> findAnalysisExport(const std::filesystem::path& folder);

class MSAnalysis {
public:
    // `path` names an export file (.mzML, .mzXML, either with .gz) or the
    // run folder holding Analysis.mzML, Analysis.mzXML or either with .gz.
    // 0x80070002 when nothing was found, 0x80004005 when the export cannot
    // be read; openFailureDescription() then says what and where.
    HRESULT Open(const std::string& path);
    const std::string& openFailureDescription() const { return openFailure_; }

    MSSpectrumCollection getSpectra() const;
    std::string getOperatorName() const;
    std::string getAnalysisName() const;
    // Days since 30 December 1899 00:00 UTC; 0.0 when the export has no time stamp.
    double getAcquisitionDate() const;
    std::string getSampleName() const;
    std::string getMethodName() const;
    // Beyond the vendor's operations: what the export holds that its reader
    // passed over, one line each (complete once every spectrum was read).
    std::vector<std::string> getWarnings() const;
    // The opened export itself, for tools that look at the whole run; null
    // before a successful Open().
    const std::shared_ptr<const OpenFormatExport>& openedExport() const { return run_; }

private:
    const OpenFormatExport& openRun() const;

    std::shared_ptr<const OpenFormatExport> run_;
    std::string openFailure_;
};
