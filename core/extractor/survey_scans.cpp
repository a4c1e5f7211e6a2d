#include "core/extractor/survey_scans.h"

#include <cstdio>
#include <cstdlib>

#include "core/util/html_page.h"

void noPreceedingMSscan() {
    std::fprintf(getHtmlStream(), "\n<BR>Error: spectrumIndex < 0 in function: findIndexOfPreceedingMSscan");
    std::fflush(getHtmlStream());
    std::exit(1);
}
