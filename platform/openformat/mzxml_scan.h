#pragma once
// An mzXML scan's peaks checked against its peaksCount.
#include <string>
#include <string_view>

#include "platform/openformat/export_types.h"

// `scan` runs from the scan's start tag up to its first nested scan. Fills
// `arrays` and returns "" when the peaks agree with the count, else says
// what is wrong. An encoding this reader does not decode itself returns ""
// with `decoded` false.
std::string readMzXMLPeaks(std::string_view scan, ExportArrays& arrays, bool& decoded);
