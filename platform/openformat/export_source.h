#pragma once
// What a peak-list file that keeps its spectra's origin (mzML) states of the
// export they were read from: its path, its instrument model as a term of
// the vocabulary, and its own ids of the spectra behind the records.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "core/extractor/run_peak_list_file.h"
#include "platform/openformat/open_format_export.h"

// `exportIndex` gives the position in `source` of the spectrum behind a
// record's scan number, nothing when there is none. An empty source (a run
// that could not be opened) gives an empty account.
PeakListSource exportSource(std::shared_ptr<const OpenFormatExport> source,
                            std::function<std::optional<std::size_t>(std::int32_t scanNumber)> exportIndex);
