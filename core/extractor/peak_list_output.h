#pragma once
// The last stage of both programs: the files of the formats asked for
// (peak_list_formats.h), one per written spectrum (or merged group) or one
// per run or sample, and a spectrum-features row for each, in record order.
// The .pkl header carries every decided charge; a run file only an
// established one (charge_source.h). Making thousands of small files is most of the
// stage, so both cores make them; the rows, the MGF blocks and a failure's
// report come in record order, as one pass would leave them.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/extractor/charge_source.h"
#include "core/extractor/extraction_context.h"
#include "core/extractor/peak_list_file.h"
#include "core/extractor/peak_list_formats.h"
#include "core/util/two_cores.h"

// The stage's state over a run that it writes a block of records at a time:
// the run files, the .pkl files made and their first failure. `context`
// gives the folder, the formats and the spectrum-features log. Failures are
// reported by finish(), after the stages before this one have said their
// last: a run file that cannot be created (the stage then writes nothing,
// as it began with it), or the first .pkl file that could not be made.
class PeakListWriting {
public:
    PeakListWriting(PeakListOutput output, const ExtractionContext& context)
        : output_(std::move(output)), context_(context) {
        for (const PeakListFormat format : context.peakListFormats) {
            const PeakListFormatEntry& entry = peakListFormatEntry(format);
            if (entry.span == FileSpan::spectrum) pkl_ = true;
            if (entry.openRunFile == nullptr) continue;
            runFiles_.push_back(entry.openRunFile(
                context.parameters.resultsXtractorDir + output_.stem + entry.ending, output_, context));
        }
    }

    // For each written record i of [first, end), after those before first:
    // `fileName(record)` names its .pkl file, `peaksOf(record)` gives the
    // peaks written, `retentionSeconds(record)` its time (nothing when the
    // run gives none), and `writeFeaturesRow(name, record)` writes its row
    // once its file stands.
    template <class Record, class FileName, class PeaksOf, class RetentionSeconds, class WriteFeaturesRow>
    void write(const std::vector<Record>& records, std::int32_t first, std::int32_t end, FileName fileName,
               PeaksOf peaksOf, RetentionSeconds retentionSeconds, WriteFeaturesRow writeFeaturesRow) {
        if (!allCreated()) return;
        const std::string& folder = context_.parameters.resultsXtractorDir;
        const bool pkl = pkl_;
        const std::string_view pklEnding = peakListFormatEntry(PeakListFormat::pkl).ending;
        const auto record = [&](std::int32_t i) -> const Record& { return records[static_cast<std::size_t>(i)]; };
        computeOnTwoCoresConsumeInOrder<PeakListOutcome>(
            first, end,
            [&](std::int32_t i) -> PeakListOutcome {
                const Record& scan = record(i);
                if (!scan.written() || !pkl) return {};
                return files_.make(folder + fileName(scan),
                                   {scan.parentMz, scan.precursorIntensity, scan.charge, output_.mzDecimals},
                                   peaksOf(scan), output_.label);
            },
            [&](std::int32_t i, PeakListOutcome outcome) {
                const Record& scan = record(i);
                if (!scan.written() || !files_.accept(std::move(outcome))) return;
                const std::string name = fileName(scan);
                if (!runFiles_.empty()) {
                    const std::int32_t charge = statedCharge(scan.charge, scan.chargeSource,
                                                             context_.instrument.instrument_charges_certain);
                    const std::string_view title =
                        std::string_view(name).ends_with(pklEnding)
                            ? std::string_view(name).substr(0, name.size() - pklEnding.size())
                            : std::string_view(name);
                    const PeakListSpectrum spectrum{std::string(title), scan.parentMz, scan.precursorIntensity,
                                                    charge, scan.scanNumber, scan.lastScanNumber,
                                                    retentionSeconds(scan)};
                    for (const std::unique_ptr<RunPeakListFile>& file : runFiles_) file->add(spectrum, peaksOf(scan));
                }
                writeFeaturesRow(name, scan);
            });
    }

    // After the last record: ends the process with the first failure, if
    // there was one, and otherwise gives the run files their names. A run
    // whose reading failed before it gave a single block leaves no run file:
    // an empty one under the run's name would pass for a run with nothing in
    // it (its temporary goes with this object).
    void finish(bool readingFailed = false) {
        for (const std::unique_ptr<RunPeakListFile>& file : runFiles_) {
            if (!file->created()) file->commit();
        }
        files_.reportFailure();
        for (const std::unique_ptr<RunPeakListFile>& file : runFiles_) {
            if (!readingFailed || file->spectra() > 0) file->commit();
        }
    }

    const ExtractionContext& context() const { return context_; }

private:
    bool allCreated() const {
        return std::all_of(runFiles_.begin(), runFiles_.end(),
                           [](const std::unique_ptr<RunPeakListFile>& file) { return file->created(); });
    }

    PeakListOutput output_;
    const ExtractionContext& context_;
    bool pkl_ = false;  // the .pkl files asked for
    std::vector<std::unique_ptr<RunPeakListFile>> runFiles_;  // in table order
    OrderedPeakListFiles files_;
};
