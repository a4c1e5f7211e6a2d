#pragma once
// The values the stand-ins serve, taken from ProteoWizard's data model: the
// reference reader, and the one for what the streaming reader leaves to it.
#include <string>
#include <vector>

#include "pwiz/data/msdata/MSData.hpp"

#include "platform/openformat/export_types.h"

ExportRunInfo describeRun(const pwiz::msdata::MSData& data, const std::string& path, bool isMzXML);
ExportSpectrum describeSpectrum(const pwiz::msdata::Spectrum& spectrum);
std::vector<ExportParameter> listParameters(const pwiz::msdata::Spectrum& spectrum);
