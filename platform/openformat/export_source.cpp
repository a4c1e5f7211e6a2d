#include "platform/openformat/export_source.h"

#include <string>
#include <utility>

#include "platform/openformat/instrument_models.h"

PeakListSource exportSource(std::shared_ptr<const OpenFormatExport> source,
                            std::function<std::optional<std::size_t>(std::int32_t scanNumber)> exportIndex) {
    PeakListSource account;
    if (!source) return account;
    account.path = source->path();
    const std::vector<std::string>& models = source->runInfo().instrumentModels;
    if (!models.empty()) {
        if (const std::optional<std::string> accession = instrumentModelAccession(models.front())) {
            account.instrumentAccession = *accession;
            account.instrumentName = std::string(instrumentModelName(*accession).value_or(""));
        }
    }
    account.nativeId = [source = std::move(source), exportIndex = std::move(exportIndex)](std::int32_t scan) {
        const std::optional<std::size_t> index = exportIndex(scan);
        if (!index || *index >= source->spectrumCount()) return std::string();
        // The spectrum was read a moment ago; should it fail now, the file
        // still names the scan by its number.
        try {
            return source->spectrum(*index).id;
        } catch (const ExportReadError&) {
            return std::string();
        }
    };
    return account;
}
