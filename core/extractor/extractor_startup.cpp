#include "core/extractor/extractor_startup.h"

#include "core/chemistry/amino_acids.h"
#include "core/chemistry/elements.h"
#include "core/extractor/extractor_parameters.h"
#include "core/util/cgi_query.h"
#include "core/util/checked_file.h"
#include "core/util/fatal_error.h"
#include "core/util/html_page.h"

int initialiseExtractor() {
    unbufferStandardOutput();
    setErrorPrinter(writeErrorPage);
    const std::vector<QueryEntry> entries = query();
    setExtractorParameterDefaults();
    readExtractorParameters(entries);
    initialise_amino_acid_weights("H", "O H", "H", extractorParameters().cys, "C2 H3 N1 O1", formulaMonoisotopicMass);
    return 1;
}
