#include "core/extractor/peak_list_output.h"

#include "core/util/text_path.h"

const std::vector<PeakListFormatName>& peakListFormatNames() {
    static const std::vector<PeakListFormatName> names = {
        {"pkl", {PeakListFormat::pkl}},
        {"mgf", {PeakListFormat::mgf}},
        {"both", {PeakListFormat::pkl, PeakListFormat::mgf}},
    };
    return names;
}

std::optional<std::vector<PeakListFormat>> peakListFormats(const std::string& value) {
    for (const PeakListFormatName& name : peakListFormatNames()) {
        if (equalsIgnoringCase(value, name.name)) return name.formats;
    }
    return std::nullopt;
}

std::string peakListFormatNamesText() {
    const std::vector<PeakListFormatName>& names = peakListFormatNames();
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + std::string(names[i].name);
    }
    return text;
}
