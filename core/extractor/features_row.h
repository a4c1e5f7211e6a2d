#pragma once
// The columns both programs end a spectrum-features row with: the b/y pairs,
// the longest sequence tag, the cysteine modification and, for reagent
// mixtures, the four partner intensities.
#include <string>

#include "core/extractor/log_sink.h"
#include "core/peaks/spec_features.h"

void writeFeaturesRowTail(LogSink& out, const SpecFeatures& features, const std::string& cys);
