#pragma once
// One mzXML scan read straight from its text: the description the
// stand-ins serve (in the terms an mzML export would use), its parameters,
// and its peaks checked against its peaksCount.
#include <list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/openformat/export_types.h"
#include "platform/openformat/mzml_spectrum.h"
#include "platform/openformat/mzxml_header.h"

struct MzXMLScanText {
    ExportSpectrum description;
    std::size_t peaksCount = 0;
    std::string_view peaks;  // the base64 text, a view into the scan or into decodedText
    std::list<std::string> decodedText;  // text that had to be decoded; its strings stay in place
    BinaryLayout layout;
    bool hasPeaks = false;
};

// `scan` runs from the scan's start tag up to its first nested scan or its
// end. Fills `parameters` when given. Throws SpectrumDamage.
MzXMLScanText readMzXMLScan(std::string_view scan, const MzXMLHeader& header,
                            std::vector<ExportParameter>* parameters = nullptr);

// The scan's peaks; "" on success, else what is wrong with them.
std::string decodeMzXMLPeaks(const MzXMLScanText& scan, ExportArrays& arrays);
