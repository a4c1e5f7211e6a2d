#pragma once
// Hand-built run tables for the yepharvest stages, run in process: a context
// from a query (run name "r1") with its four logs in memory, and a table of
// survey scans and MS/MS spectra as the reader would leave it.
#include <string>
#include <vector>

#include "tests/support/query_context.h"
#include "yepharvest/ms_scan.h"

struct ScanSpec {
    int msLevel = 2;
    double parentMz = 0.0;
    PeakList peaks;
};

inline KestranePeak peakAt(double mz, double intensity) { return makeFragmentPeak(mz, intensity); }

// A context for run "r1" from the query, and the run table built from `scans`.
struct StageRun : QueryContext {
    StageRun(const std::string& query, const std::vector<ScanSpec>& scans)
        : QueryContext("xtractorDataFilename=/runs/r1.d/Analysis.yep&" + query) {
        context.runName = "r1";
        allocateMSscanMemory(run, static_cast<std::int32_t>(scans.size()));
        bool anySurvey = false;
        for (std::size_t i = 0; i < scans.size(); ++i) {
            MSscan& record = run.records[i];
            record.scanNumber = record.lastScanNumber = static_cast<std::int32_t>(i) + 1;
            record.lastMergedIndex = static_cast<std::int32_t>(i);
            record.msLevel = scans[i].msLevel;
            anySurvey = anySurvey || scans[i].msLevel == 1;
            if (scans[i].msLevel >= 2) {
                record.selectedParentMz = record.parentMz = scans[i].parentMz;
                record.chargePending = true;
                record.numMergedScans = 1;
            }
            record.peaks = toSpectrumPoints(scans[i].peaks);
            record.numPeaks = static_cast<std::int32_t>(record.peaks.size());
        }
        run.noMSscans = !anySurvey;
    }

    RunTable run;
};
