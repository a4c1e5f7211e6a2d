#pragma once
// Hand-built run tables for the yepharvest stages: start-up in a child
// process, a table of survey scans and MS/MS spectra, then the stage under test.
#include <functional>
#include <string>
#include <vector>

#include "tests/support/startup_fixture.h"
#include "yepharvest/ms_scan.h"

struct ScanSpec {
    int msLevel = 2;
    double parentMz = 0.0;
    PeakList peaks;
};

inline KestranePeak peakAt(double mz, double intensity) { return makeFragmentPeak(mz, intensity); }

// Fills the run table as the reader would.
inline void buildRun(const std::vector<ScanSpec>& scans) {
    allocateMSscanMemory(static_cast<std::int32_t>(scans.size()));
    setNumScans(static_cast<std::int32_t>(scans.size()));
    bool anySurvey = false;
    for (std::size_t i = 0; i < scans.size(); ++i) {
        MSscan& record = runTable()[i];
        record.scanNumber = record.lastScanNumber = static_cast<std::int32_t>(i) + 1;
        record.lastMergedIndex = static_cast<std::int32_t>(i);
        record.msLevel = scans[i].msLevel;
        anySurvey = anySurvey || scans[i].msLevel == 1;
        if (scans[i].msLevel >= 2) {
            record.selectedParentMz = record.parentMz = scans[i].parentMz;
            record.chargePending = 1;
            record.numMergedScans = 1;
        }
        record.peaks = toSpectrumPoints(scans[i].peaks);
        record.numPeaks = static_cast<std::int32_t>(record.peaks.size());
    }
    setNoMSscans(anySurvey ? 0 : 1);
}

// Starts up with the query (run name "r1"), builds the run, runs `stages`.
inline ChildResult runStages(const TempDir& dir, const std::string& query, const std::vector<ScanSpec>& scans,
                             const std::function<void()>& stages) {
    return startUpAndRun(dir,
                         "xtractorDataFilename=/runs/r1.d/Analysis.yep&logFileDir=" + dir.path() +
                             "/&resultsXtractorDir=" + dir.path() + "/&" + query,
                         [&] {
                             buildRun(scans);
                             stages();
                         });
}

inline std::string logRows(const TempDir& dir, const std::string& file, const std::string& header) {
    const std::string text = readWholeFile(dir.file(file));
    return text.substr(0, header.size()) == header ? text.substr(header.size()) : "HEADER MISSING:" + text;
}
