#include "yepharvest/run_name.h"

#include "core/util/format_text.h"
#include "platform/openformat/export_names.h"

std::string getRunName(std::string_view dataFilename) { return runNameOfDataFile(dataFilename); }

std::string spectrumName(const std::string& runName, const MSscan& scan) {
    return formatText("%s.%04d.%04d.%d.pkl", runName.c_str(), scan.scanNumber, scan.lastScanNumber, scan.charge);
}
