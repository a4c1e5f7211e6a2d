#pragma once
// The last stage of both programs: one .pkl file per written spectrum (or
// merged group), one MGF file per run or sample, and a spectrum-features row
// for each, in record order. The .pkl header carries every decided charge;
// an MGF block only an established one (charge_source.h). Making thousands of small files is most of the
// stage, so both cores make them; the rows, the MGF blocks and a failure's
// report come in record order, as one pass would leave them.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/extractor/charge_source.h"
#include "core/extractor/extraction_context.h"
#include "core/extractor/mgf_file.h"
#include "core/extractor/peak_list_file.h"
#include "core/util/two_cores.h"

// The formats the stage writes, each with its writer in PeakListWriting.
enum class PeakListFormat { pkl, mgf };

// A value of peakListFormat and the formats it asks for.
struct PeakListFormatName {
    const char* name;
    std::vector<PeakListFormat> formats;
};
// Each format by its own name, then "both", kept for the two of them.
const std::vector<PeakListFormatName>& peakListFormatNames();
// The formats of a value (letters in any case); nothing for a value that
// names none.
std::optional<std::vector<PeakListFormat>> peakListFormats(const std::string& value);
// As the error names them: "pkl, mgf and both".
std::string peakListFormatNamesText();

// What differs between the programs' peak lists, besides their records.
struct PeakListOutput {
    std::string mgfName;   // the MGF file's name in resultsXtractorDir
    int mzDecimals = 2;    // of the peak lines
    const char* label;     // names the stage in a failure's message
};

// The stage's state over a run that it writes a block of records at a time:
// the MGF file, the .pkl files made and their first failure. `context`
// gives the folder, the formats and the spectrum-features log. Failures are
// reported by finish(), after the stages before this one have said their
// last: an MGF file that cannot be created (the stage then writes nothing,
// as it began with it), or the first .pkl file that could not be made.
class PeakListWriting {
public:
    PeakListWriting(PeakListOutput output, const ExtractionContext& context)
        : output_(std::move(output)), context_(context) {
        if (wants(PeakListFormat::mgf)) mgf_.emplace(context.parameters.resultsXtractorDir + output_.mgfName);
    }

    // For each written record i of [first, end), after those before first:
    // `fileName(record)` names its .pkl file, `peaksOf(record)` gives the
    // peaks written, `retentionSeconds(record)` its time (nothing when the
    // run gives none), and `writeFeaturesRow(name, record)` writes its row
    // once its file stands.
    template <class Record, class FileName, class PeaksOf, class RetentionSeconds, class WriteFeaturesRow>
    void write(const std::vector<Record>& records, std::int32_t first, std::int32_t end, FileName fileName,
               PeaksOf peaksOf, RetentionSeconds retentionSeconds, WriteFeaturesRow writeFeaturesRow) {
        if (mgf_ && !mgf_->created()) return;
        const std::string& folder = context_.parameters.resultsXtractorDir;
        const bool pkl = wants(PeakListFormat::pkl);
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
                if (mgf_) {
                    const std::int32_t charge = statedCharge(scan.charge, scan.chargeSource,
                                                             context_.instrument.instrument_charges_certain);
                    mgf_->add({name.substr(0, name.size() - 4), scan.parentMz, scan.precursorIntensity, charge,
                               scan.scanNumber, scan.lastScanNumber, retentionSeconds(scan)},
                              peaksOf(scan));
                }
                writeFeaturesRow(name, scan);
            });
    }

    // After the last record: ends the process with the first failure, if
    // there was one, and otherwise gives the MGF file its name. A run whose
    // reading failed before it gave a single block leaves no MGF file: an
    // empty one under the run's name would pass for a run with nothing in it
    // (its temporary goes with this object).
    void finish(bool readingFailed = false) {
        if (mgf_ && !mgf_->created()) mgf_->commit();
        files_.reportFailure();
        if (mgf_ && (!readingFailed || mgf_->blocks() > 0)) mgf_->commit();
    }

    const ExtractionContext& context() const { return context_; }

private:
    bool wants(PeakListFormat format) const {
        const std::vector<PeakListFormat>& formats = context_.peakListFormats;
        return std::find(formats.begin(), formats.end(), format) != formats.end();
    }

    PeakListOutput output_;
    const ExtractionContext& context_;
    std::optional<MgfFile> mgf_;
    OrderedPeakListFiles files_;
};
