#pragma once
// The last stage of both programs: one .pkl file per written spectrum (or
// merged group), one MGF file per run or sample, and a spectrum-features row
// for each, in record order. Making thousands of small files is most of the
// stage, so both cores make them; the rows, the MGF blocks and a failure's
// report come in record order, as one pass would leave them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/extractor/extraction_context.h"
#include "core/extractor/mgf_file.h"
#include "core/extractor/peak_list_file.h"
#include "core/util/two_cores.h"

// What differs between the programs' peak lists, besides their records.
struct PeakListOutput {
    std::string mgfName;   // the MGF file's name in resultsXtractorDir
    int mzDecimals = 2;    // of the peak lines
    const char* label;     // names the stage in a failure's message
};

// For each written record i of the first `count`: `fileName(record)` names its
// .pkl file, `peaksOf(record)` gives the peaks written, `retentionSeconds(record)`
// its time (nothing when the run gives none), and `writeFeaturesRow(name, record)`
// writes its row once its file stands.
template <class Record, class FileName, class PeaksOf, class RetentionSeconds, class WriteFeaturesRow>
void writePeakListsAndFeatures(const std::vector<Record>& records, std::int32_t count, const PeakListOutput& output,
                               const ExtractionContext& context, FileName fileName, PeaksOf peaksOf,
                               RetentionSeconds retentionSeconds, WriteFeaturesRow writeFeaturesRow) {
    const std::string& folder = context.parameters.resultsXtractorDir;
    std::optional<MgfFile> mgf;
    if (context.peakListFormats.mgf) mgf.emplace(folder + output.mgfName);
    const auto record = [&](std::int32_t i) -> const Record& { return records[static_cast<std::size_t>(i)]; };
    OrderedPeakListFiles files;
    computeOnTwoCoresConsumeInOrder<PeakListOutcome>(
        count,
        [&](std::int32_t i) -> PeakListOutcome {
            const Record& scan = record(i);
            if (!scan.written() || !context.peakListFormats.pkl) return {};
            return files.make(folder + fileName(scan),
                              {scan.parentMz, scan.precursorIntensity, scan.charge, output.mzDecimals}, peaksOf(scan),
                              output.label);
        },
        [&](std::int32_t i, PeakListOutcome outcome) {
            const Record& scan = record(i);
            if (!scan.written() || !files.accept(std::move(outcome))) return;
            const std::string name = fileName(scan);
            if (mgf) {
                mgf->add({name.substr(0, name.size() - 4), scan.parentMz, scan.precursorIntensity, scan.charge,
                          scan.scanNumber, scan.lastScanNumber, retentionSeconds(scan), output.mzDecimals},
                         peaksOf(scan));
            }
            writeFeaturesRow(name, scan);
        });
    files.reportFailure();
    if (mgf) mgf->commit();
}
