#include "core/extractor/survey_scans.h"

#include "core/util/fatal_error.h"
#include "core/util/html_page.h"

void noPreceedingMSscan() {
    exitWithOwnErrorLine(PageHtml::markup("\n<BR>Error: spectrumIndex < 0 in function: findIndexOfPreceedingMSscan"));
}
