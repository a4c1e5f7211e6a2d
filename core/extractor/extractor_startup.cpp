#include "core/extractor/extractor_startup.h"

#include <cstdlib>
#include <cerrno>
#include <optional>
#include <utility>

#include "core/chemistry/amino_acids.h"
#include "core/chemistry/elements.h"
#include "core/extractor/output_files.h"
#include "core/extractor/parameter_ranges.h"
#include "core/extractor/peak_list_output.h"
#include "core/extractor/query_keys.h"
#include "core/util/checked_file.h"
#include "core/util/fatal_error.h"
#include "core/util/format_text.h"
#include "core/util/html_page.h"

namespace {
// The logs stay open until the process ends, whichever way it ends: an exit
// handler writes what they still hold and closes them, so rows written
// before a fatal error are kept. A log that cannot be written then still
// ends the process with the error page and status 1.
std::optional<XtractorOutputFiles> openedLogs;

void closeOpenedLogs() {
    markProcessExiting();
    if (openedLogs) openedLogs->close();
}
}  // namespace

ExtractionContext prepareExtraction(const std::vector<QueryEntry>& entries, ExtractionLogs logs) {
    ExtractionContext context;
    context.parameters = readExtractorParameters(entries);
    checkParameterRanges(entries, context.parameters);
    std::optional<std::vector<PeakListFormat>> formats = peakListFormats(context.parameters.peakListFormat);
    if (!formats) {
        errno = 0;  // the message is about the value, not about a library call
        reportFatalError(formatText("The value %s of the query key peakListFormat is not one of %s.\n",
                                    context.parameters.peakListFormat.c_str(), peakListFormatNamesText().c_str()));
    }
    context.peakListFormats = std::move(*formats);
    context.chemistry =
        initialise_amino_acid_weights("H", "O H", "H", context.parameters.cys, "C2 H3 N1 O1", formulaMonoisotopicMass);

    // Centroiding stays off (below its 0.0001 threshold) until an instrument
    // block asks for it.
    context.picking.peakBinningTolerance = 0.00001;
    context.picking.minSignalNoiseRatio = context.parameters.minSignalNoiseRatio;
    context.picking.peakLimitCount = context.parameters.peakLimitCount;
    context.logs = logs;
    return context;
}

ExtractionContext initialiseExtractor(FeaturesRows rows) {
    unbufferStandardOutput();
    setErrorPrinter(writeErrorPage);
    ExtractionContext context = prepareExtraction(query(), {});
    const ExtractorParameters& parameters = context.parameters;

    // Every mode opens the four logs: the stages of both programs write their
    // rows whatever the mode, and must never write to a stream not opened.
    openedLogs = openXtractorOutputFiles(parameters, rows);
    // Registered after openedLogs was built, so it runs before its destructor.
    if (std::atexit(closeOpenedLogs) != 0) reportFatalError("Exit handler (atexit) failure.\nFunction: initialiseExtractor\n");
    context.logs = openedLogs->logs();
    if (parameters.mode == XtractorMode::peakPicker) openResultsPage(parameters);
    return context;
}
