#include "core/extractor/extractor_startup.h"

#include <optional>

#include "core/chemistry/amino_acids.h"
#include "core/chemistry/elements.h"
#include "core/extractor/output_files.h"
#include "core/extractor/parameter_ranges.h"
#include "core/util/checked_file.h"
#include "core/util/fatal_error.h"
#include "core/util/html_page.h"

namespace {
// The logs stay open until the process ends, whichever way it ends: exit
// closes them, so rows written before a fatal error are kept.
std::optional<XtractorOutputFiles> openedLogs;
}  // namespace

ExtractionContext prepareExtraction(const std::vector<QueryEntry>& entries, ExtractionLogs logs) {
    ExtractionContext context;
    context.parameters = readExtractorParameters(entries);
    checkParameterRanges(entries, context.parameters);
    initialise_amino_acid_weights("H", "O H", "H", context.parameters.cys, "C2 H3 N1 O1", formulaMonoisotopicMass);

    // Centroiding stays off (below its 0.0001 threshold) until an instrument
    // block asks for it.
    context.picking.peakBinningTolerance = 0.00001;
    context.picking.minSignalNoiseRatio = context.parameters.minSignalNoiseRatio;
    context.picking.peakLimitCount = context.parameters.peakLimitCount;
    context.logs = logs;
    return context;
}

ExtractionContext initialiseExtractor() {
    unbufferStandardOutput();
    setErrorPrinter(writeErrorPage);
    ExtractionContext context = prepareExtraction(query(), {});
    const ExtractorParameters& parameters = context.parameters;

    // Every mode opens the four logs: the stages of both programs write their
    // rows whatever the mode, and must never write to a stream not opened.
    openedLogs = openXtractorOutputFiles(parameters);
    context.logs = openedLogs->logs();
    if (parameters.xtractorMode == "Peak-Picker") openResultsPage(parameters);
    return context;
}
